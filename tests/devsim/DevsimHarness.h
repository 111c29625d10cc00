#pragma once
// Drives korva-devsim as a client would: starts it with QProcess, opens its symlinked
// pseudo-terminal with plain termios calls and exchanges frames. Every exchange is paced by
// the simulator's --log lines, so a missing reply is known at once instead of by time-out.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace devsimtest {

// The check code of Modbus RTU, computed here independently of the simulator.
inline quint16 Crc(QByteArrayView bytes) {
    quint16 crc = 0xFFFF;
    for (char c : bytes) {
        crc ^= static_cast<quint8>(c);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

// Hex text ("f7 04 00 00") plus its check code.
inline QByteArray Frame(const QByteArray& hex) {
    QByteArray f = QByteArray::fromHex(hex);
    const quint16 crc = Crc(f);
    f.append(static_cast<char>(crc & 0xFF));
    f.append(static_cast<char>(crc >> 8));
    return f;
}

inline bool CrcGood(const QByteArray& f) {
    return f.size() >= 4 &&
           Crc(f.first(f.size() - 2)) ==
               (static_cast<quint8>(f[f.size() - 2]) | static_cast<quint8>(f[f.size() - 1]) << 8);
}

inline QByteArray Hex(const QByteArray& bytes) {
    return bytes.toHex(' ');
}

class Sim {
public:
    ~Sim() {
        CloseTty();
        if (m_proc.state() != QProcess::NotRunning) {
            m_proc.kill();
            m_proc.waitForFinished(3000);
        }
    }

    QString error;
    QString Dir() const { return m_dir.path(); }
    QString Link() const { return m_dir.filePath(QStringLiteral("dev/ttyDEV")); }
    QString StatePath() const { return m_dir.filePath(QStringLiteral("state.json")); }
    QString ControlPath() const { return m_dir.filePath(QStringLiteral("ctl")); }
    QProcess& Process() { return m_proc; }

    static QString Program() { return QStringLiteral(KORVA_BIN_DIR "/korva-devsim"); }

    // Starts the simulator with the harness's link, state file, control FIFO and log.
    bool Start(const QStringList& extra) {
        m_proc.setProgram(Program());
        m_proc.setArguments(QStringList{QStringLiteral("--link"), Link(), QStringLiteral("--state"),
                                        StatePath(), QStringLiteral("--control"), ControlPath(),
                                        QStringLiteral("--log")} +
                            extra);
        m_proc.start();
        if (!m_proc.waitForStarted(5000))
            return Fail(QStringLiteral("cannot start: ") + m_proc.errorString());
        QElapsedTimer t;
        t.start();
        while (!m_proc.readAllStandardOutput().contains("ready")) {
            if (t.elapsed() > 5000 || m_proc.state() == QProcess::NotRunning)
                return Fail(QStringLiteral("no ready line; stderr: ") +
                            QString::fromUtf8(m_proc.readAllStandardError()));
            m_proc.waitForReadyRead(100);
        }
        m_proc.setReadChannel(QProcess::StandardError); // the log, from now on
        return OpenTty();
    }

    bool OpenTty() {
        m_fd = ::open(QFile::encodeName(Link()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0) return Fail(QStringLiteral("cannot open ") + Link());
        termios t{};
        ::tcgetattr(m_fd, &t);
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, B9600);
        ::tcsetattr(m_fd, TCSANOW, &t);
        ::tcflush(m_fd, TCIOFLUSH);
        return true;
    }

    void CloseTty() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

    void Write(const QByteArray& bytes) { (void)!::write(m_fd, bytes.constData(), bytes.size()); }

    // Bytes waiting on the terminal, after up to waitMs for the first.
    QByteArray Drain(int waitMs = 0) {
        QByteArray out;
        pollfd p{m_fd, POLLIN, 0};
        while (::poll(&p, 1, out.isEmpty() ? waitMs : 0) > 0) {
            char buf[512];
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n <= 0) break;
            out.append(buf, n);
        }
        return out;
    }

    // The next log line that starts with "RX" or "TX" (the time stamp cut off).
    QByteArray NextLogLine(int timeoutMs = 5000) {
        QElapsedTimer t;
        t.start();
        for (;;) {
            m_log += m_proc.readAllStandardError();
            const qsizetype end = m_log.indexOf('\n');
            if (end >= 0) {
                const QByteArray line = m_log.left(end);
                m_log.remove(0, end + 1);
                const QByteArray rest = line.mid(line.indexOf(' ') + 1);
                if (rest.startsWith("RX") || rest.startsWith("TX") || rest.startsWith("--"))
                    return rest;
                continue;
            }
            if (t.elapsed() > timeoutMs || m_proc.state() == QProcess::NotRunning) return {};
            m_proc.waitForReadyRead(50);
        }
    }

    // Sends a request and returns what came back: the simulator's log tells when its
    // decision is made (an RX line with a note means no reply; otherwise the TX line).
    QByteArray Exchange(const QByteArray& request) {
        ::tcflush(m_fd, TCIFLUSH);
        Write(request);
        for (;;) {
            const QByteArray line = NextLogLine();
            if (line.isEmpty()) {
                Fail(QStringLiteral("no log line for ") + QString::fromLatin1(Hex(request)));
                return {};
            }
            if (line.startsWith("TX")) return line.contains("# dropped") ? Drain(0) : Drain(1000);
            if (line.startsWith("RX") && line.contains('#')) return Drain(0);
        }
    }

    // A control command; waits for its log note when it has one.
    void Control(const QByteArray& line) {
        const int fd = ::open(QFile::encodeName(ControlPath()).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            (void)!::write(fd, line.constData(), line.size());
            (void)!::write(fd, "\n", 1);
            ::close(fd);
        }
        if (line.startsWith("sw2") || line.startsWith("pace")) NextLogLine();
    }

    // The state as the simulator writes it, asked by the control command or by SIGUSR1.
    QJsonObject State(bool bySignal = false) {
        QFile::remove(StatePath());
        if (bySignal)
            ::kill(static_cast<pid_t>(m_proc.processId()), SIGUSR1);
        else
            Control("state");
        QElapsedTimer t;
        t.start();
        while (!QFile::exists(StatePath()) && t.elapsed() < 5000)
            QThread::msleep(5);
        QFile f(StatePath());
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QJsonDocument::fromJson(f.readAll()).object();
    }

    // The cable pulled: SIGKILL, no clean-up. Start() again brings it back on the same link.
    void Kill() {
        CloseTty();
        m_proc.kill();
        m_proc.waitForFinished(3000);
        m_log.clear();
    }

    // SIGTERM; the exit code, or -1 when it did not end cleanly.
    int Stop() {
        CloseTty();
        ::kill(static_cast<pid_t>(m_proc.processId()), SIGTERM);
        if (!m_proc.waitForFinished(5000) || m_proc.exitStatus() != QProcess::NormalExit) return -1;
        return m_proc.exitCode();
    }

private:
    bool Fail(const QString& text) {
        error += text + QLatin1Char('\n');
        return false;
    }

    QTemporaryDir m_dir;
    QProcess m_proc;
    QByteArray m_log;
    int m_fd = -1;
};

} // namespace devsimtest
