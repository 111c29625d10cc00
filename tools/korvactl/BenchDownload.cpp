#include "BenchDownload.h"

#include "ProjectCommands.h"
#include "TerminalUi.h"

#include "app/AppContext.h"
#include "device/MultiDownload.h"
#include "ml/MLText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <unistd.h>

namespace BenchDownload {

bool Ports(TerminalUi& ui, const QCommandLineParser& args, const QDir& start,
           QString (*portOf)(const QString&, const QDir&), QStringList& ports) {
    for (const QString& p : args.values(QStringLiteral("port")))
        ports << portOf(p, start);
    if (!args.isSet(QStringLiteral("ports-from"))) return true;
    QFile file(start.absoluteFilePath(args.value(QStringLiteral("ports-from"))));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        ui.err << "Cannot read the list of ports " << QDir::toNativeSeparators(file.fileName())
               << ": " << file.errorString() << ".\n";
        return false;
    }
    for (const QString& raw : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const QString line = raw.trimmed();
        if (!line.isEmpty() && !line.startsWith(u'#')) ports << portOf(line, start);
    }
    return true;
}

namespace {

// "ttyUSB3  S/N 12-09-2143-785634-12  phonebook 83/127"
QString PortLine(const MLState& ml, const BenchPort& p, int labelWidth) {
    const MLText T{ml, QStringLiteral("MultiDownload")};
    QString line = p.target.label.leftJustified(labelWidth) + QStringLiteral("  ");
    if (!p.serialNo.isEmpty())
        line += T(QStringLiteral("序號"), 2, 25006) + u' ' + p.serialNo + QStringLiteral("  ");
    line += MultiDownload::StateText(ml, p);
    if (!p.Finished() && !p.area.isEmpty())
        line += QStringLiteral(" %1/%2").arg(p.done).arg(p.total);
    return line;
}

// The progress of every port: on a terminal a block of lines redrawn in place, elsewhere a
// line when a port connects, starts an area or ends.
class ProgressBlock {
public:
    ProgressBlock(TerminalUi& ui, const MLState& ml, const MultiDownload& run)
        : m_ui(ui), m_ml(ml), m_run(run), m_terminal(::isatty(fileno(stderr))) {}
    void Changed(int index) {
        if (m_shown.size() != m_run.Ports().size()) {
            m_shown.resize(m_run.Ports().size());
            for (const BenchPort& p : m_run.Ports())
                m_width = std::max(m_width, int(p.target.label.size()));
        }
        if (m_terminal) {
            if (!m_clock.isValid() || m_clock.elapsed() >= 200) Draw();
            return;
        }
        const BenchPort& p = m_run.Ports()[index];
        const QString key = p.serialNo + u'|' + p.area + u'|' + QString::number(p.ready) + u'|' +
                            BenchOutcomes::Word(p.outcome);
        if (key == m_shown[index]) return;
        m_shown[index] = key;
        m_ui.err << PortLine(m_ml, p, m_width) << '\n';
        m_ui.err.flush();
    }
    void Draw() {
        if (!m_terminal) return;
        for (const BenchPort& p : m_run.Ports())
            m_width = std::max(m_width, int(p.target.label.size()));
        m_clock.start();
        if (m_drawn > 0) m_ui.err << "\x1b[" << m_drawn << 'A';
        for (const BenchPort& p : m_run.Ports())
            m_ui.err << '\r' << PortLine(m_ml, p, m_width) << "\x1b[K\n";
        m_drawn = int(m_run.Ports().size());
        m_ui.err.flush();
    }
    // A message printed below the block: the block starts anew under it.
    void Break() { m_drawn = 0; }

private:
    TerminalUi& m_ui;
    const MLState& m_ml;
    const MultiDownload& m_run;
    bool m_terminal;
    int m_width = 0;
    int m_drawn = 0;
    QElapsedTimer m_clock;
    QStringList m_shown;
};

void PrintTable(TerminalUi& ui, const MLState& ml, const MultiDownload& run) {
    const MLText T{ml, QStringLiteral("MultiDownload")};
    QVector<QStringList> rows;
    rows << QStringList{T(QStringLiteral("通訊埠"), 1, 25006), T(QStringLiteral("序號"), 2, 25006),
                        T(QStringLiteral("型號"), 3, 25006),   T(QStringLiteral("結果"), 4, 25006),
                        T(QStringLiteral("時間"), 5, 25006),   T(QStringLiteral("說明"), 6, 25006)};
    for (const BenchPort& p : run.Ports())
        rows << QStringList{p.target.label,
                            p.serialNo.isEmpty() ? QStringLiteral("-") : p.serialNo,
                            p.model.isEmpty() ? QStringLiteral("-") : p.model,
                            BenchOutcomes::Text(ml, p.outcome),
                            QString::number(p.seconds, 'f', 1) + u's',
                            p.text};
    QVector<int> width(rows[0].size(), 0);
    for (const QStringList& r : rows)
        for (int c = 0; c + 1 < r.size(); ++c)
            width[c] = std::max(width[c], int(r[c].size()));
    for (const QStringList& r : rows) {
        QString line;
        for (int c = 0; c < r.size(); ++c)
            line += c + 1 < r.size() ? r[c].leftJustified(width[c] + 2) : r[c];
        ui.out << line.trimmed() << '\n';
    }
    ui.out.flush();
}
} // namespace

int Run(ProjectCommands::Invocation& in, const QStringList& ports) {
    AppContext& ctx = in.ctx;
    const QCommandLineParser& args = in.args;
    const MLText T{ctx.ml, QStringLiteral("MultiDownload")};
    // The dumps of each dialer in a folder of its own: under --dump-dir, or a temporary one
    // removed at the end when none was asked for.
    QTemporaryDir scratch(QDir::temp().filePath(QStringLiteral("korvactl-dumps-XXXXXX")));
    const QDir dumps(args.isSet(QStringLiteral("dump-dir")) ? in.Path(QStringLiteral("dump-dir"))
                                                            : scratch.path());
    QVector<BenchTarget> targets;
    QString failed;
    if (!MultiDownload::MakeTargets(ports, ports, dumps.path(), targets, failed)) {
        in.ui.err << "Cannot create the dump folder " << failed << ".\n";
        return ProjectCommands::kFailed;
    }
    // Every child reads the person's file itself, with the same options.
    QStringList shared{QStringLiteral("download"), in.project};
    for (const char* option : {"timeout", "retry", "lang"})
        if (args.isSet(QLatin1String(option)))
            shared << QLatin1String("--") + QLatin1String(option)
                   << args.value(QLatin1String(option));
    if (args.isSet(QStringLiteral("history")))
        shared << QStringLiteral("--history") << ctx.historyPath;

    MultiDownload run(ctx.ml, QCoreApplication::applicationFilePath(), shared);
    ProgressBlock progress(in.ui, ctx.ml, run);
    QEventLoop loop;
    bool declined = false;
    QObject::connect(&run, &MultiDownload::changed, &loop, [&](int i) { progress.Changed(i); });
    QObject::connect(&run, &MultiDownload::settled, &loop, [&] {
        progress.Draw();
        if (run.ReadyCount() == 0) return;
        progress.Break();
        const MsgResult answer =
            in.ui.MsgBox(run.ConfirmText(), vbOKCancel | vbQuestion, run.Title());
        if (answer == vbOK) {
            run.Go();
        } else {
            declined = true;
            run.Cancel();
        }
    });
    QObject::connect(&run, &MultiDownload::finished, &loop, &QEventLoop::quit);
    run.Start(targets);
    if (!run.Ended()) loop.exec();
    progress.Draw();
    PrintTable(in.ui, ctx.ml, run);
    if (declined) in.ui.err << "Nothing was sent.\n";
    return run.AllOk() ? ProjectCommands::kOk : ProjectCommands::kFailed;
}

} // namespace BenchDownload
