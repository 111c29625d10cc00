#include "device/MultiDownload.h"

#include "base/VBUtil.h"
#include "device/DeviceContext.h"
#include "device/Download.h"
#include "editing/PhoneBook.h"
#include "ml/MLText.h"
#include "store/DownloadHistory.h"
#include "store/SystemDb.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace BenchLine {

QByteArray Format(const QStringList& fields) {
    QStringList clean;
    clean.reserve(fields.size());
    for (QString f : fields)
        clean << f.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
    return clean.join(u'\t').toUtf8() + '\n';
}

QStringList Parse(const QByteArray& line) {
    QByteArray l = line;
    while (l.endsWith('\n') || l.endsWith('\r'))
        l.chop(1);
    return QString::fromUtf8(l).split(u'\t');
}
} // namespace BenchLine

namespace BenchCheck {
QString Refusal(DeviceContext& ctx, const ProjectImage& image, const QString& modelName) {
    const MLText T{ctx.ml, QStringLiteral("MultiDownload")};
    const ModelCapacity cap = SystemDB::LookupModel(ctx.sysdb, modelName);
    if (!cap.found) return {};
    if (image.projectSize > cap.MaxMemoryByte)
        return Download::TooLargeText(ctx.ml, image.projectSize, cap.MaxMemoryByte);
    const int records = int(image.phoneBook.size());
    if (records > cap.MaxTelNo)
        return T(QStringLiteral("簡訊報警機 [%1] 最多可存 %2 筆通知對象, 專案有 %3 筆。"), 1, 25003)
            .arg(modelName)
            .arg(cap.MaxTelNo)
            .arg(records);
    return {};
}
} // namespace BenchCheck

namespace BenchOutcomes {
namespace {
struct Row {
    BenchOutcome outcome;
    const char* word;
};
constexpr Row kRows[] = {{BenchOutcome::Ok, "ok"},
                         {BenchOutcome::Failed, "failed"},
                         {BenchOutcome::Incomplete, "incomplete"},
                         {BenchOutcome::Cancelled, "cancelled"},
                         {BenchOutcome::Refused, "refused"}};
} // namespace

QString Word(BenchOutcome outcome) {
    for (const Row& r : kRows)
        if (r.outcome == outcome) return QString::fromLatin1(r.word);
    return {};
}

BenchOutcome FromWord(const QString& word) {
    for (const Row& r : kRows)
        if (word == QLatin1String(r.word)) return r.outcome;
    return BenchOutcome::None;
}

QString Text(const MLState& ml, BenchOutcome outcome) {
    const MLText T{ml, QStringLiteral("MultiDownload")};
    switch (outcome) {
    case BenchOutcome::Ok:
        return T(QStringLiteral("成功"), 1, 25001);
    case BenchOutcome::Failed:
        return T(QStringLiteral("失敗"), 2, 25001);
    case BenchOutcome::Incomplete:
        return T(QStringLiteral("不完整"), 3, 25001);
    case BenchOutcome::Cancelled:
        return T(QStringLiteral("已取消"), 4, 25001);
    case BenchOutcome::Refused:
        return T(QStringLiteral("已拒絕"), 5, 25001);
    case BenchOutcome::None:
        break;
    }
    return T(QStringLiteral("等待中"), 6, 25001);
}
} // namespace BenchOutcomes

MultiDownload::MultiDownload(const MLState& ml, QString program, QStringList arguments,
                             QObject* parent)
    : QObject(parent), m_ml(ml), m_program(std::move(program)), m_arguments(std::move(arguments)) {}

MultiDownload::~MultiDownload() {
    // Cancelled first, so that a child sending stops cleanly and records how far it got.
    for (const auto& child : m_children) {
        if (child->state() == QProcess::NotRunning) continue;
        child->disconnect(this);
        child->write("cancel\n");
        child->closeWriteChannel();
        child->terminate();
    }
    for (const auto& child : m_children) {
        if (child->state() == QProcess::NotRunning) continue;
        if (!child->waitForFinished(5000)) {
            child->kill();
            child->waitForFinished(1000);
        }
    }
}

QString MultiDownload::ProgramBeside(const QString& exeFolder) {
#ifdef Q_OS_WIN
    return QDir(exeFolder).filePath(QStringLiteral("korvactl.exe"));
#else
    return QDir(exeFolder).filePath(QStringLiteral("korvactl"));
#endif
}

void MultiDownload::Start(const QVector<BenchTarget>& targets) {
    m_ports.clear();
    m_pending.clear();
    m_children.clear();
    m_settled = m_finished = m_cancelled = false;
    for (int i = 0; i < targets.size(); ++i) {
        const BenchTarget& t = targets[i];
        BenchPort port;
        port.target = t;
        m_ports.append(port);
        m_pending.append(QByteArray());
        QStringList args = m_arguments;
        args << QStringLiteral("--machine");
        if (t.port.isEmpty())
            args << QStringLiteral("--demo");
        else
            args << QStringLiteral("--port") << t.port;
        if (!t.dumpDir.isEmpty()) args << QStringLiteral("--dump-dir") << t.dumpDir;
        auto child = std::make_unique<QProcess>();
        child->setProgram(m_program);
        child->setArguments(args);
        // Its messages are for a terminal; the lines on its output say everything.
        child->setStandardErrorFile(QProcess::nullDevice());
        QProcess* p = child.get();
        connect(p, &QProcess::readyReadStandardOutput, this, [this, i] { ReadLines(i); });
        connect(p, &QProcess::finished, this, [this, i] { Ended(i); });
        connect(p, &QProcess::errorOccurred, this, [this, i](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart) Ended(i);
        });
        m_children.push_back(std::move(child));
    }
    for (const auto& child : m_children)
        child->start();
    if (targets.isEmpty()) {
        CheckSettled();
        m_finished = true;
        Q_EMIT finished();
    }
}

void MultiDownload::Go() {
    for (int i = 0; i < m_ports.size(); ++i)
        if (m_ports[i].ready && !m_ports[i].Finished()) Tell(i, "go\n");
}

void MultiDownload::Cancel() {
    m_cancelled = true;
    for (int i = 0; i < m_ports.size(); ++i) {
        if (m_ports[i].Finished()) continue;
        Tell(i, "cancel\n");
        m_children[i]->closeWriteChannel();
    }
}

bool MultiDownload::AllSettled() const {
    for (const BenchPort& p : m_ports)
        if (!p.ready && !p.Finished()) return false;
    return true;
}

bool MultiDownload::AllFinished() const {
    for (const BenchPort& p : m_ports)
        if (!p.Finished()) return false;
    return true;
}

bool MultiDownload::AllOk() const {
    for (const BenchPort& p : m_ports)
        if (p.outcome != BenchOutcome::Ok) return false;
    return !m_ports.isEmpty();
}

int MultiDownload::ReadyCount() const {
    int n = 0;
    for (const BenchPort& p : m_ports)
        n += p.ready && !p.Finished() ? 1 : 0;
    return n;
}

void MultiDownload::Tell(int index, const QByteArray& command) {
    QProcess& child = *m_children[index];
    if (child.state() == QProcess::Running) child.write(command);
}

void MultiDownload::ReadLines(int index) {
    QByteArray& pending = m_pending[index];
    pending += m_children[index]->readAllStandardOutput();
    for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
        const QByteArray line = pending.left(end);
        pending.remove(0, end + 1);
        Take(index, BenchLine::Parse(line));
    }
}

void MultiDownload::Take(int index, const QStringList& f) {
    BenchPort& p = m_ports[index];
    const QString kind = f.value(0);
    if (p.Finished()) return;
    if (kind == QLatin1String("connected")) {
        p.serialNo = f.value(1);
        p.model = f.value(2);
    } else if (kind == QLatin1String("refused")) {
        p.text = f.value(1);
    } else if (kind == QLatin1String("ready")) {
        p.ready = true;
        // Cancelled while it was still connecting: it sends nothing.
        if (m_cancelled) Tell(index, "cancel\n");
    } else if (kind == QLatin1String("progress")) {
        p.area = f.value(1);
        p.done = f.value(2).toInt();
        p.total = f.value(3).toInt();
    } else if (kind == QLatin1String("result")) {
        p.outcome = BenchOutcomes::FromWord(f.value(1));
        if (p.outcome == BenchOutcome::None) p.outcome = BenchOutcome::Failed;
        p.seconds = f.value(2).toDouble();
        p.text = f.value(3);
    } else {
        return; // a line of a later version: not ours
    }
    Q_EMIT changed(index);
    CheckSettled();
}

void MultiDownload::Ended(int index) {
    ReadLines(index);
    BenchPort& p = m_ports[index];
    if (!p.Finished()) {
        // Crashed or killed before it could say how it ended.
        const MLText T{m_ml, QStringLiteral("MultiDownload")};
        const QProcess& child = *m_children[index];
        p.outcome = BenchOutcome::Failed;
        p.text = child.error() == QProcess::FailedToStart
                     ? T(QStringLiteral("無法啟動下載程式 %1: %2"), 1, 25002)
                           .arg(QDir::toNativeSeparators(m_program), child.errorString())
                     : T(QStringLiteral("下載程式結束但未回報結果 (結束碼 %1)。"), 2, 25002)
                           .arg(child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1);
        Q_EMIT changed(index);
        CheckSettled();
    }
    if (m_finished) return;
    for (const auto& child : m_children)
        if (child->state() != QProcess::NotRunning) return;
    m_finished = true;
    Q_EMIT finished();
}

void MultiDownload::CheckSettled() {
    if (m_settled || !AllSettled()) return;
    m_settled = true;
    Q_EMIT settled();
}

QStringList MultiDownload::FolderNames(const QStringList& ports) {
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    QStringList names;
    QSet<QString> taken;
    for (const QString& port : ports) {
        QString base = port.section(u'/', -1).section(u'\\', -1);
        base.replace(unsafe, QStringLiteral("_"));
        if (base.isEmpty() || base.startsWith(u'.')) base.prepend(QStringLiteral("port"));
        QString name = base;
        for (int n = 2; taken.contains(name.toLower()); ++n)
            name = base + u'-' + QString::number(n);
        taken.insert(name.toLower());
        names << name;
    }
    return names;
}

QString MultiDownload::ConfirmText() const {
    const MLText T{m_ml, QStringLiteral("MultiDownload")};
    QString text = T(QStringLiteral("下載專案至 %1 台簡訊報警機:"), 1, 25005).arg(ReadyCount());
    for (const BenchPort& p : Ports()) {
        text += VBUtil::kCrLf + QStringLiteral("  ") + p.target.label + QStringLiteral("  ") +
                p.model + QStringLiteral("  ") + p.serialNo;
        if (p.Finished())
            text += QStringLiteral("  ") + BenchOutcomes::Text(m_ml, p.outcome) +
                    QStringLiteral(": ") + p.text;
    }
    return text + VBUtil::kCrLf +
           T(QStringLiteral("是否確定要下載專案至這些簡訊報警機?"), 2, 25005);
}

QString MultiDownload::Title() const {
    const MLText T{m_ml, QStringLiteral("MultiDownload")};
    return T(QStringLiteral("下載專案至多台簡訊報警機"), 3, 25005);
}

QString MultiDownload::StateText(const MLState& ml, const BenchPort& p) {
    const MLText T{ml, QStringLiteral("MultiDownload")};
    if (p.Finished()) return BenchOutcomes::Text(ml, p.outcome);
    if (p.area == QLatin1String("clear")) return T(QStringLiteral("清除"), 1, 25007);
    if (p.area == QLatin1String("phonebook")) return T(QStringLiteral("電話簿"), 2, 25007);
    if (p.area == QLatin1String("messages")) return T(QStringLiteral("簡訊"), 3, 25007);
    if (p.ready) return T(QStringLiteral("準備就緒"), 5, 25007);
    return T(QStringLiteral("連線中"), 4, 25007);
}

bool MultiDownload::MakeTargets(const QStringList& labels, const QStringList& ports,
                                const QString& dumpBase, QVector<BenchTarget>& targets,
                                QString& failed) {
    QStringList names;
    for (int i = 0; i < ports.size(); ++i)
        names << (ports[i].isEmpty() ? labels[i] : ports[i]);
    const QStringList folders = FolderNames(names);
    const QDir base(dumpBase);
    QSet<QString> used;
    targets.clear();
    for (int i = 0; i < ports.size(); ++i) {
        // A file of that name (the port's own link, say) is stepped around.
        QString name = folders[i];
        for (int n = 2; used.contains(name.toLower()) || (QFileInfo::exists(base.filePath(name)) &&
                                                          !QFileInfo(base.filePath(name)).isDir());
             ++n)
            name = folders[i] + u'-' + QString::number(n);
        used.insert(name.toLower());
        if (!base.mkpath(name)) {
            failed = QDir::toNativeSeparators(base.filePath(name));
            return false;
        }
        targets << BenchTarget{labels[i], ports[i], base.filePath(name)};
    }
    return true;
}

QStringList MultiDownload::WindowArguments(const DeviceContext& ctx) {
    return {QStringLiteral("download"),  ctx.project.ProjPath,
            QStringLiteral("--lang"),    ctx.ml.AppliedLang,
            QStringLiteral("--timeout"), QString::number(ctx.comm.TimeOut),
            QStringLiteral("--retry"),   QString::number(ctx.comm.Retry),
            QStringLiteral("--history"), DownloadHistory::PathOf(ctx)};
}
