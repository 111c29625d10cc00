#pragma once
// A program folder of its own (KORVA/bin with the shipped data, KORVA/Project beside it), an
// AppContext over it with a ScriptedUi, and helpers to make and inspect project files.
#include "ScriptedUi.h"
#include "TestEnv.h"
#include "app/AppContext.h"
#include "app/Startup.h"
#include "store/KORVAMain.h"
#include "store/OpenProject.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

struct ProjectEnv {
    QTemporaryDir tmp;
    QString oldCwd = QDir::currentPath();
    QString bin;
    QString projDir;
    ScriptedUi ui;
    std::unique_ptr<AppContext> ctx;
    bool started = false;

    // localeId 1028 shows the program's own texts; 1033 the English ones.
    explicit ProjectEnv(int localeId = 1028) {
        bin = tmp.filePath(QStringLiteral("KORVA/bin"));
        projDir = tmp.filePath(QStringLiteral("KORVA/Project"));
        QDir().mkpath(bin);
        QDir().mkpath(projDir);
        TestEnv::CopyProgramFolder(bin);
        QDir::setCurrent(bin);
        ctx = std::make_unique<AppContext>(ui);
        ctx->historyPath = HistoryPath();
        started = Startup::StartCore(*ctx, bin, localeId);
    }
    ~ProjectEnv() {
        ADOUtil::CloseProjectDB(ctx->project);
        Shutdown::CloseCore(*ctx);
        ctx.reset();
        QDir::setCurrent(oldCwd);
    }

    // The download history of this environment.
    QString HistoryPath() const { return tmp.filePath(QStringLiteral("DownloadHistory.sqlite")); }

    QString Template() const { return QDir(bin).filePath(QStringLiteral("RV27.mdb")); }
    QString InProjects(const QString& name) const { return QDir(projDir).filePath(name); }

    // A project file made from the template, with optional SQL run on it.
    QString MakeProject(const QString& name, const QString& sql = {}) const {
        const QString path = InProjects(name);
        QFile::remove(path);
        QFile::copy(Template(), path);
        QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
        if (!sql.isEmpty()) TestEnv::ExecSql(path, sql);
        return path;
    }

    // Opens a project with no question to answer, and forgets the messages so far.
    bool Open(const QString& path) {
        const bool ok = KORVAMain::OpenProject(*ctx, path);
        ui.messages.clear();
        ui.statusLog.clear();
        return ok;
    }

    // The sqlite3 command-line program's answer (read-only): an independent reader.
    static QString Sql3(const QString& db, const QString& sql) {
        QProcess p;
        p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), QStringLiteral("-readonly"),
                                            QStringLiteral("-noheader"), db, sql});
        if (!p.waitForFinished(20000)) return QStringLiteral("<sqlite3 did not finish>");
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    // A test binary run with "--hold BIN PROJECT" stands for a running window: it opens the
    // project from the program folder BIN, prints "open" and holds it (and its lock) until
    // its stdin closes. Returns its exit code, or -1 when the arguments ask for something else.
    static int HoldChild(int argc, char* argv[]) {
        if (argc != 4 || qstrcmp(argv[1], "--hold") != 0) return -1;
        QCoreApplication app(argc, argv);
        const QString bin = QString::fromLocal8Bit(argv[2]);
        ScriptedUi ui;
        AppContext ctx(ui);
        QDir::setCurrent(bin);
        if (!Startup::StartCore(ctx, bin, 1028)) return 10;
        if (!KORVAMain::OpenProject(ctx, QString::fromLocal8Bit(argv[3]))) return 11;
        std::printf("open\n");
        std::fflush(stdout);
        while (std::fgetc(stdin) != EOF) {
        }
        return KORVAMain::CloseProject(ctx);
    }
};
