#include "device/DemoDevice.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

namespace {
constexpr int kStartLimitMs = 5000;
constexpr int kStopLimitMs = 3000;
} // namespace

DemoDevice::DemoDevice() = default;

DemoDevice::~DemoDevice() {
    Stop();
}

QString DemoDevice::ProgramIn(const QString& programFolder) {
#ifdef Q_OS_WIN
    return QDir(programFolder).filePath(QStringLiteral("korva-devsim.exe"));
#else
    return QDir(programFolder).filePath(QStringLiteral("korva-devsim"));
#endif
}

bool DemoDevice::Running() const {
    return m_proc && m_proc->state() == QProcess::Running && !m_port.isEmpty();
}

QString DemoDevice::PortName() const {
    return Running() ? m_port : QString();
}

qint64 DemoDevice::ProcessId() const {
    return Running() ? m_proc->processId() : 0;
}

bool DemoDevice::Start(const QString& program, QString& error) {
    if (Running()) return true;
    Stop();
    m_proc = std::make_unique<QProcess>();
    m_proc->setProgram(program);
    m_proc->setProcessChannelMode(QProcess::SeparateChannels);
    m_proc->setStandardErrorFile(QProcess::nullDevice());
#ifdef Q_OS_LINUX
    // A program that dies without ending the simulator takes it along.
    m_proc->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    m_proc->start(QIODevice::ReadOnly);
    if (!m_proc->waitForStarted(kStartLimitMs)) {
        error = program + QStringLiteral(": ") + m_proc->errorString();
        Stop();
        return false;
    }
    // The simulator names its terminal on its first line: "korva-devsim: ready on PATH".
    static const QRegularExpression ready(QStringLiteral("ready on (\\S+)"));
    QByteArray out;
    QElapsedTimer t;
    t.start();
    while (m_proc->state() == QProcess::Running && t.elapsed() < kStartLimitMs) {
        m_proc->waitForReadyRead(100);
        out += m_proc->readAllStandardOutput();
        const QRegularExpressionMatch m = ready.match(QString::fromLocal8Bit(out));
        if (m.hasMatch()) {
            m_port = m.captured(1);
            return true;
        }
    }
    error = program + QStringLiteral(": ") + QString::fromLocal8Bit(out).trimmed();
    Stop();
    return false;
}

void DemoDevice::Stop() {
    m_port.clear();
    if (!m_proc) return;
    if (m_proc->state() != QProcess::NotRunning) {
        m_proc->terminate();
        if (!m_proc->waitForFinished(kStopLimitMs)) {
            m_proc->kill();
            m_proc->waitForFinished(kStopLimitMs);
        }
    }
    m_proc.reset();
}
