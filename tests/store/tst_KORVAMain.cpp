// The project file lifecycle: new, open, save, save as, close, the working copy, the
// recent-files list, and the safety of the project file when a save fails or is cut short.
#include "ProjectEnv.h"
#include "db/ADOUtil.h"
#include "db/FileUtil.h"
#include "mainwindow/MainView.h"

#include <QDate>
#include <QDateTime>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
const QString kToday = QDate::currentDate().toString(Qt::ISODate);

// About 200 KB of contacts: large enough that a copy takes many writes.
const QString kBulk =
    QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<300) "
                   "INSERT INTO Users(UserName,PhoneNumber,IsDisable,UserDsc,GroupName) "
                   "SELECT 'u'||i,'0900',0,hex(randomblob(300)),'' FROM n;");

QString BasicField(AppContext& ctx, const char* field) {
    RowSet* rs = ctx.project.Basic.get();
    if (!rs) return QStringLiteral("<no row set>");
    rs->MoveFirst();
    return ADOUtil::NullToStr(rs->Field(QLatin1String(field)));
}

// An edit as the editing operations make it: written into the working copy, project modified.
void SetCreatedBy(AppContext& ctx, const QString& value) {
    RowSet* rs = ctx.project.Basic.get();
    rs->MoveFirst();
    rs->SetField(QStringLiteral("CreatedBy"), value);
    rs->Update();
    ctx.project.IsModified = true;
}

QStringList FilesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Limits the size of any file this process writes; a write beyond it fails (or, with the
// default signal action, ends the process) like a full disk.
struct FileSizeLimit {
    rlimit old{};
    bool ignoring = false;
    void (*oldHandler)(int) = SIG_DFL;
    FileSizeLimit(rlim_t bytes, bool failWrites) : ignoring(failWrites) {
        getrlimit(RLIMIT_FSIZE, &old);
        if (failWrites) oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit l = old;
        l.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old);
        if (ignoring) std::signal(SIGXFSZ, oldHandler);
    }
};

// The child process of the crash test: opens the project, changes it, and saves it with a
// file-size limit that the kernel enforces by ending the process in the middle of the copy.
int CrashSaveChild(const QString& bin, const QString& project) {
    ScriptedUi ui;
    AppContext ctx(ui);
    QDir::setCurrent(bin);
    if (!Startup::StartCore(ctx, bin, 1028)) return 10;
    if (!KORVAMain::OpenProject(ctx, project)) return 11;
    SetCreatedBy(ctx, QStringLiteral("unsaved"));
    rlimit core{0, 0};
    setrlimit(RLIMIT_CORE, &core);
    std::signal(SIGXFSZ, SIG_DFL);
    rlimit size{};
    getrlimit(RLIMIT_FSIZE, &size);
    size.rlim_cur = rlim_t(QFileInfo(ctx.project.MirPath).size() / 2);
    std::printf("saving\n");
    std::fflush(stdout);
    setrlimit(RLIMIT_FSIZE, &size);
    KORVAMain::SaveProject(ctx, true, false, false);
    std::printf("returned\n");
    return 0;
}

// The child process of the recovery test: opens the project, edits it, says so and waits to
// be killed.
int CrashEditChild(const QString& bin, const QString& project) {
    ScriptedUi ui;
    AppContext ctx(ui);
    QDir::setCurrent(bin);
    if (!Startup::StartCore(ctx, bin, 1028)) return 10;
    if (!KORVAMain::OpenProject(ctx, project)) return 11;
    SetCreatedBy(ctx, QStringLiteral("unsaved"));
    rlimit core{0, 0};
    setrlimit(RLIMIT_CORE, &core);
    std::printf("edited\n");
    std::fflush(stdout);
    char line[8];
    while (std::fgets(line, sizeof line, stdin)) {
    }
    return 12;
}

} // namespace

class TestKORVAMain : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newProjectOffersFreeNameAndCreatesFromTemplate() {
        ProjectEnv e;
        QVERIFY(e.started);
        e.MakeProject(QStringLiteral("Project1.cmb"));
        const QString path = e.InProjects(QStringLiteral("Project2.cmb"));
        e.ui.files.enqueue(path);
        QDir::setCurrent(QDir::tempPath());
        KORVAMain::NewProject(*e.ctx);

        QCOMPARE(e.ui.fileDialogs.size(), 1);
        const FileDialogSetup& d = e.ui.fileDialogs[0];
        QCOMPARE(d.title, QStringLiteral("開新專案"));
        QCOMPARE(d.filter, QStringLiteral("Quillon設定檔案,(*.cmb)|*.cmb|所有檔案,(*.*)|*.*"));
        QCOMPARE(d.defaultName, QStringLiteral("Project2.cmb"));
        QCOMPARE(QDir(d.initialDir).canonicalPath(), QDir(e.projDir).canonicalPath());
        QCOMPARE(QDir::current().canonicalPath(), QDir(e.bin).canonicalPath());

        const OpenProject& p = e.ctx->project;
        QVERIFY(e.ui.messages.isEmpty());
        QCOMPARE(p.ProjName, QStringLiteral("Project2"));
        QCOMPARE(p.ProjPath, path);
        QCOMPARE(p.MirPath, e.InProjects(QStringLiteral("Project2.mir")));
        QVERIFY(QFile::exists(p.MirPath));
        QVERIFY(!p.IsModified);
        QCOMPARE(p.MaxTelNo, 128);
        QCOMPARE(p.MaxMemoryByte, 16384);
        QCOMPARE(BasicField(*e.ctx, "CreatedDate"), kToday);
        // The new file itself carries its creation date, read by an independent reader.
        QCOMPARE(ProjectEnv::Sql3(path, QStringLiteral("SELECT CreatedDate FROM Basic")), kToday);
        QCOMPARE(ProjectEnv::Sql3(path, QStringLiteral("SELECT count(*) FROM Zones")),
                 QStringLiteral("64"));
        QCOMPARE(e.ctx->recentFiles, QStringList{path});
        QVERIFY(e.ui.statusLog.contains(QStringLiteral("Status=專案[Project2]開啟中...")));
        QCOMPARE(e.ui.statusLog.last(), QStringLiteral("Status="));
        QCOMPARE(e.ui.busyDepth, 0);

        // With Project1 to Project99 all taken, the name box starts empty.
        for (int i = 1; i <= 99; ++i)
            QFile(e.InProjects(QStringLiteral("Project%1.cmb").arg(i))).open(QIODevice::WriteOnly);
        QCOMPARE(KORVAMain::DefaultNewName(*e.ctx), QString());
    }

    void newProjectOverwriteQuestionLoopsOnNo() {
        ProjectEnv e;
        const QString existing = e.MakeProject(QStringLiteral("Old.cmb"),
                                               QStringLiteral("UPDATE Basic SET CreatedBy='keep'"));
        e.ui.files << existing << existing;
        e.ui.answers << vbNo << vbYes;
        KORVAMain::NewProject(*e.ctx);
        QCOMPARE(e.ui.fileDialogs.size(), 2);
        QCOMPARE(e.ui.messages.size(), 2);
        for (const RecordedMsg& m : e.ui.messages) {
            QCOMPARE(m.text, QStringLiteral("檔案[") + existing +
                                 QStringLiteral("]已經存在，您要取代現存的檔案嗎？"));
            QCOMPARE(m.title, QStringLiteral("此檔案已經存在"));
            QCOMPARE(int(m.style), int(vbYesNo | vbExclamation));
        }
        QVERIFY(e.ctx->project.IsOpen());
        QCOMPARE(ProjectEnv::Sql3(existing, QStringLiteral("SELECT CreatedBy FROM Basic")),
                 QString());

        // Cancelling the dialog creates nothing.
        ProjectEnv f;
        f.ui.files.enqueue(std::nullopt);
        KORVAMain::NewProject(*f.ctx);
        QVERIFY(!f.ctx->project.IsOpen());
        QVERIFY(FilesIn(f.projDir).isEmpty());
    }

    // The open project's own lock is not another program's: New on its file asks whether to
    // replace it, and Yes makes the new project of that name.
    void newOnTheOpenProjectsFileAsksToReplaceIt_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("no") << int(vbNo);
        QTest::newRow("yes") << int(vbYes);
    }
    void newOnTheOpenProjectsFileAsksToReplaceIt() {
        QFETCH(int, answer);
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"),
                                        QStringLiteral("UPDATE Basic SET CreatedBy='a'"));
        QVERIFY(e.Open(a));
        e.ui.files << a << std::nullopt;
        e.ui.answers << MsgResult(answer);
        KORVAMain::NewProject(*e.ctx);
        QCOMPARE(e.ui.messages.size(), 1);
        QCOMPARE(e.ui.messages[0].title, QStringLiteral("此檔案已經存在"));
        QVERIFY(e.ctx->project.IsOpen());
        QCOMPARE(e.ctx->project.ProjPath, a);
        QVERIFY(e.ctx->project.lock && e.ctx->project.lock->isLocked());
        QCOMPARE(BasicField(*e.ctx, "CreatedBy"),
                 answer == vbYes ? QString() : QStringLiteral("a"));
    }

    void projectExtensionOfATypedName_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("taken");
        QTest::newRow("bare") << "/p/Walk1"
                              << "/p/Walk1.cmb";
        QTest::newRow("with .cmb") << "/p/Walk1.cmb"
                                   << "/p/Walk1.cmb";
        QTest::newRow("other extension") << "/p/notes.txt"
                                         << "/p/notes.txt";
        QTest::newRow("capitals") << "/p/B.CMB"
                                  << "/p/B.CMB";
        QTest::newRow("dot in folder") << "/p.d/Walk1"
                                       << "/p.d/Walk1.cmb";
        QTest::newRow("trailing dot") << "/p/Walk1."
                                      << "/p/Walk1.";
    }
    void projectExtensionOfATypedName() {
        QFETCH(QString, typed);
        QFETCH(QString, taken);
        QCOMPARE(KORVAMain::WithProjectExtension(typed), taken);
    }

    // A name typed without an extension becomes a ".cmb" project; the project open until then
    // is closed only once the name stands; any other extension is refused before anything.
    void newProjectTakesTheTypedNameBeforeClosing() {
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"));
        QVERIFY(e.Open(a));
        SetCreatedBy(*e.ctx, QStringLiteral("changed"));
        const QString notes = e.InProjects(QStringLiteral("notes"));
        QVERIFY(TestEnv::WriteFile(notes, "my notes"));
        e.ui.files.enqueue(e.InProjects(QStringLiteral("notes.txt")));
        KORVAMain::NewProject(*e.ctx);
        QCOMPARE(e.ui.messages.size(), 1);
        QCOMPARE(
            e.ui.messages[0].text,
            QStringLiteral(
                "本專案無法開啟！\r\n因為專案檔名[notes.txt]不屬於[.cmb]，導致本專案無法開啟。"));
        QCOMPARE(e.ctx->project.ProjPath, a); // no save prompt: A stays open as it was
        QVERIFY(e.ctx->project.IsModified);

        e.ui.files.enqueue(notes);
        e.ui.answers.enqueue(vbNo); // the save prompt of A, after the dialog
        KORVAMain::NewProject(*e.ctx);
        QCOMPARE(e.ui.fileDialogs.size(), 2);
        QCOMPARE(e.ui.fileDialogs[1].defaultSuffix, QStringLiteral("cmb"));
        QCOMPARE(e.ui.messages.size(), 2);
        QCOMPARE(e.ui.messages[1].text, QStringLiteral("您要將變更儲存到專案[A]?"));
        QCOMPARE(e.ctx->project.ProjPath, notes + QStringLiteral(".cmb"));
        QCOMPARE(TestEnv::ReadFile(notes), QByteArray("my notes"));
    }

    void cancelledSavePromptKeepsProjectAndFlag() {
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"));
        const QString b = e.MakeProject(QStringLiteral("B.cmb"));
        QVERIFY(e.Open(a));
        SetCreatedBy(*e.ctx, QStringLiteral("changed"));

        const QString c = e.InProjects(QStringLiteral("C.cmb"));
        e.ui.files.enqueue(c);
        e.ui.answers.enqueue(vbCancel);
        KORVAMain::NewProject(*e.ctx);
        QCOMPARE(e.ui.messages.size(), 1);
        QCOMPARE(e.ui.messages[0].text, QStringLiteral("您要將變更儲存到專案[A]?"));
        QCOMPARE(e.ui.messages[0].title, QStringLiteral("是否儲存專案"));
        QCOMPARE(int(e.ui.messages[0].style), int(vbYesNoCancel | vbQuestion));
        QVERIFY(!QFile::exists(c)); // New stops before it creates anything

        e.ui.answers.enqueue(vbCancel);
        QVERIFY(!KORVAMain::OpenProject(*e.ctx, b));
        e.ui.answers.enqueue(vbCancel);
        QCOMPARE(KORVAMain::CloseProject(*e.ctx), KORVAMain::kCancelled);
        QCOMPARE(e.ui.messages.size(), 3);

        QCOMPARE(e.ctx->project.ProjPath, a);
        QVERIFY(e.ctx->project.IsModified);
        QVERIFY(QFile::exists(e.ctx->project.MirPath));
        QCOMPARE(BasicField(*e.ctx, "CreatedBy"), QStringLiteral("changed"));

        // No closes without saving: the file keeps its state, the working copy goes.
        e.ui.answers.enqueue(vbNo);
        QCOMPARE(KORVAMain::CloseProject(*e.ctx), KORVAMain::kSaved);
        QVERIFY(!e.ctx->project.IsOpen());
        QVERIFY(!e.ctx->project.IsModified);
        QVERIFY(!QFile::exists(e.InProjects(QStringLiteral("A.mir"))));
        QCOMPARE(ProjectEnv::Sql3(a, QStringLiteral("SELECT CreatedBy FROM Basic")), QString());
        QVERIFY(e.ui.statusLog.contains(QStringLiteral("Status=專案[A]關閉中...")));
        QCOMPARE(e.ui.statusLog.last(), QStringLiteral("ProjName="));
        QCOMPARE(e.ctx->view.tree.rowCount(), 0);
    }

    void openChecksExtensionAndExistenceBeforeClosing() {
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"));
        const QString upper = e.MakeProject(QStringLiteral("B.CMB"));
        QVERIFY(e.Open(a));
        SetCreatedBy(*e.ctx, QStringLiteral("changed"));

        QVERIFY(!KORVAMain::OpenProject(*e.ctx, upper));
        QCOMPARE(e.ui.messages.size(), 1); // no save prompt came first
        QCOMPARE(e.ui.messages[0].text,
                 QStringLiteral(
                     "本專案無法開啟！\r\n因為專案檔名[B.CMB]不屬於[.cmb]，導致本專案無法開啟。"));
        QCOMPARE(e.ui.messages[0].title, QStringLiteral("本專案無法執行"));
        QCOMPARE(int(e.ui.messages[0].style), int(vbOKOnly | vbCritical));

        const QString gone = e.InProjects(QStringLiteral("gone.cmb"));
        QVERIFY(!KORVAMain::OpenProject(*e.ctx, gone));
        QCOMPARE(e.ui.messages.size(), 2);
        QCOMPARE(e.ui.messages[1].text,
                 QStringLiteral("本專案檔案路徑[") + gone + QStringLiteral("]不存在。"));
        QCOMPARE(e.ui.messages[1].title, QStringLiteral("專案開啟失敗"));

        QCOMPARE(e.ctx->project.ProjPath, a);
        QVERIFY(e.ctx->project.IsModified);
        QCOMPARE(BasicField(*e.ctx, "CreatedBy"), QStringLiteral("changed"));
    }

    void openRefusesFilesThatAreNotProjects() {
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"));
        QVERIFY(e.Open(a));
        SetCreatedBy(*e.ctx, QStringLiteral("changed"));

        const QByteArray real = TestEnv::ReadFile(e.Template());
        struct Case {
            QString name;
            QByteArray bytes; // written as is, or empty with sql set
            QString sql;
            bool damaged = false;
        };
        const QList<Case> cases = {
            {QStringLiteral("text.cmb"),
             QByteArray("this is not a database at all\n").repeated(50),
             {}},
            {QStringLiteral("empty.cmb"), QByteArray(), {}},
            {QStringLiteral("truncated.cmb"), real.left(real.size() / 2), {}, true},
            {QStringLiteral("onebyteshort.cmb"), real.left(real.size() - 1), {}, true},
            {QStringLiteral("nozones.cmb"), {}, QStringLiteral("DROP TABLE Zones")},
            {QStringLiteral("nobasicrow.cmb"), {}, QStringLiteral("DELETE FROM Basic")},
            {QStringLiteral("renamedfield.cmb"),
             {},
             QStringLiteral("ALTER TABLE Zones RENAME COLUMN ZoneNo TO Number")},
            {QStringLiteral("generated.cmb"),
             {},
             QStringLiteral("ALTER TABLE Zones ADD COLUMN G TEXT GENERATED ALWAYS AS "
                            "(printf('%.*c',200000000,'x')) VIRTUAL")},
            {QStringLiteral("trigger.cmb"),
             {},
             QStringLiteral("CREATE TRIGGER t AFTER INSERT ON Users BEGIN SELECT 1; END")},
        };
        const QString unsupported =
            QStringLiteral("]含有專案檔案不會有的內容（觸發程序、檢視表、虛擬資料表、計算欄位或超過"
                           "長度上限的值），為安全起見不予開啟；檔案未被變更。");
        for (const Case& c : cases) {
            const QString path =
                c.sql.isEmpty() ? e.InProjects(c.name) : e.MakeProject(c.name, c.sql);
            if (c.sql.isEmpty()) QVERIFY(TestEnv::WriteFile(path, c.bytes));
            const QByteArray before = TestEnv::ReadFile(path);
            e.ui.messages.clear();
            QVERIFY2(!KORVAMain::OpenProject(*e.ctx, path), qPrintable(c.name));
            QCOMPARE(e.ui.messages.size(), 1);
            const bool code =
                c.name == QLatin1String("generated.cmb") || c.name == QLatin1String("trigger.cmb");
            QCOMPARE(e.ui.messages[0].text,
                     QStringLiteral("開啟專案失敗。\r\n專案檔案[") + path +
                         (c.damaged ? QStringLiteral("]已損毀，無法開啟；檔案未被變更。")
                          : code ? unsupported
                                 : QStringLiteral("]不是本系統的專案檔案，無法開啟。")));
            QCOMPARE(e.ui.messages[0].title, QStringLiteral("開啟專案失敗"));
            QCOMPARE(TestEnv::ReadFile(path), before);
            QVERIFY(!QFile::exists(KORVAMain::WorkingPathOf(path)));
            // The project open before is untouched and still works.
            QCOMPARE(e.ctx->project.ProjPath, a);
            QVERIFY(e.ctx->project.IsModified);
            QCOMPARE(BasicField(*e.ctx, "CreatedBy"), QStringLiteral("changed"));
        }
        QCOMPARE(e.ctx->recentFiles, QStringList{a});

        // With nothing open, the open ends with no project.
        e.ui.answers.enqueue(vbNo);
        QCOMPARE(KORVAMain::CloseProject(*e.ctx), KORVAMain::kSaved);
        QVERIFY(!KORVAMain::OpenProject(*e.ctx, e.InProjects(QStringLiteral("text.cmb"))));
        QVERIFY(!e.ctx->project.IsOpen());
        QVERIFY(!e.ctx->project.Basic);
    }

    void openReplacesLeftOverWorkingCopyAndItsJournal() {
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"),
                                        QStringLiteral("UPDATE Basic SET CreatedBy='saved'"));
        const QString mir = e.InProjects(QStringLiteral("A.mir"));
        // A crash image of an earlier run: a working copy in the middle of a transaction that
        // spilled pages to it, with its hot journal beside it.
        QVERIFY(QFile::copy(a, mir));
        QVERIFY(TestEnv::ExecSql(mir, QStringLiteral("UPDATE Basic SET CreatedBy='stale'")));
        {
            sqlite3* db = nullptr;
            QCOMPARE(sqlite3_open(mir.toUtf8().constData(), &db), SQLITE_OK);
            QCOMPARE(
                sqlite3_exec(db,
                             "PRAGMA cache_size=2; BEGIN; UPDATE Basic SET CreatedBy='in flight';"
                             "UPDATE Zones SET ZoneDsc=hex(randomblob(3000));",
                             nullptr, nullptr, nullptr),
                SQLITE_OK);
            QVERIFY(QFile::exists(mir + QStringLiteral("-journal")));
            const QString image = e.tmp.filePath(QStringLiteral("image"));
            QVERIFY(QFile::copy(mir, image));
            QVERIFY(
                QFile::copy(mir + QStringLiteral("-journal"), image + QStringLiteral("-journal")));
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            QFile::remove(mir);
            QVERIFY(QFile::copy(image, mir));
            QVERIFY(
                QFile::copy(image + QStringLiteral("-journal"), mir + QStringLiteral("-journal")));
            // The journal is hot: a reader of the image rolls it back to the stale state.
            const QString probe = e.tmp.filePath(QStringLiteral("probe"));
            QVERIFY(QFile::copy(image, probe));
            QVERIFY(QFile::copy(image + QStringLiteral("-journal"),
                                probe + QStringLiteral("-journal")));
            QVERIFY(TestEnv::ExecSql(probe, QStringLiteral("PRAGMA user_version")));
            QCOMPARE(ProjectEnv::Sql3(
                         probe, QStringLiteral(
                                    "SELECT CreatedBy || max(length(ZoneDsc)) FROM Basic, Zones")),
                     QStringLiteral("stale0"));
        }
        // Its committed content differs from the project: the recovery question comes; No.
        e.ui.answers.enqueue(vbNo);
        QVERIFY(KORVAMain::OpenProject(*e.ctx, a));
        QCOMPARE(e.ui.messages.size(), 1);
        QCOMPARE(e.ui.messages[0].title, QStringLiteral("復原未儲存的變更"));
        QCOMPARE(BasicField(*e.ctx, "CreatedBy"), QStringLiteral("saved"));
        QVERIFY(!e.ctx->project.IsModified);
        auto check =
            ADOUtil::OpenRecordset(e.ctx->project.conn.get(),
                                   QStringLiteral("SELECT max(length(ZoneDsc)) AS n FROM Zones"));
        QVERIFY(check);
        QCOMPARE(ADOUtil::NullToStr(check->Field(QStringLiteral("n"))), QStringLiteral("0"));
        QVERIFY(!QFile::exists(mir + QStringLiteral("-journal")));
    }

    // Capacities come anew on every open; a model the list does not know is said once and
    // takes the template's model's capacities.
    void openTakesTheModelsCapacities() {
        ProjectEnv e;
        struct Step {
            QString sql;
            int maxTel, maxBytes;
            QString unknown; // the model named in the message; empty: no message
        };
        const QList<Step> steps = {
            {QStringLiteral("UPDATE Basic SET DeviceModelName='VX700-RV27S'"), 64, 8192, {}},
            {QStringLiteral("UPDATE Basic SET DeviceModelName='NoSuchModel'"), 128, 16384,
             QStringLiteral("NoSuchModel")},
            {QStringLiteral("UPDATE Basic SET DeviceModelName='VX700-RV27S'"), 64, 8192, {}},
            {QStringLiteral("UPDATE Basic SET DeviceModelName=NULL"), 128, 16384, QString(u'-')},
        };
        for (int i = 0; i < steps.size(); ++i) {
            const QString path = e.MakeProject(QStringLiteral("M%1.cmb").arg(i), steps[i].sql);
            e.ui.answers.enqueue(vbNo);
            QVERIFY(KORVAMain::OpenProject(*e.ctx, path));
            QCOMPARE(e.ctx->project.MaxTelNo, steps[i].maxTel);
            QCOMPARE(e.ctx->project.MaxMemoryByte, steps[i].maxBytes);
            const QString model = steps[i].unknown == QString(u'-') ? QString() : steps[i].unknown;
            const QStringList expected =
                steps[i].unknown.isEmpty()
                    ? QStringList()
                    : QStringList{
                          QStringLiteral("專案的設備型號[") + model +
                          QStringLiteral("]不在型號清單中，改用範本型號[VX700-RV27MS]的容量。")};
            QCOMPARE(e.ui.Texts(), expected);
            e.ui.messages.clear();
            e.ui.answers.clear();
        }
    }

    // A project put into WAL mode by another tool and copied with its log before a checkpoint
    // opens with the log's rows; neither file is changed and nothing is left beside them.
    void openHonoursAWriteAheadLog() {
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"));
        const QString w = e.tmp.filePath(QStringLiteral("KORVA/Project/W.cmb"));
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(a.toUtf8().constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"
                              "UPDATE Basic SET CreatedBy='in the log'",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        QVERIFY(QFile::copy(a, w));
        QVERIFY(QFile::copy(a + QStringLiteral("-wal"), w + QStringLiteral("-wal")));
        sqlite3_close(db);
        QFile::remove(a);
        const QStringList files = FilesIn(e.projDir);
        const QByteArray main = TestEnv::ReadFile(w),
                         log = TestEnv::ReadFile(w + QStringLiteral("-wal"));
        QVERIFY(e.Open(w));
        QCOMPARE(BasicField(*e.ctx, "CreatedBy"), QStringLiteral("in the log"));
        QCOMPARE(ProjectEnv::Sql3(e.ctx->project.MirPath, QStringLiteral("PRAGMA journal_mode")),
                 QStringLiteral("delete"));
        QCOMPARE(KORVAMain::CloseProject(*e.ctx), KORVAMain::kSaved);
        QCOMPARE(FilesIn(e.projDir), files);
        QCOMPARE(TestEnv::ReadFile(w), main);
        QCOMPARE(TestEnv::ReadFile(w + QStringLiteral("-wal")), log);
    }

    // A run killed mid-edit leaves its working copy; the next open offers its content.
    void crashedEditIsRecoveredOnRequest_data() {
        QTest::addColumn<bool>("recover");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void crashedEditIsRecoveredOnRequest() {
        QFETCH(bool, recover);
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"),
                                        QStringLiteral("UPDATE Basic SET CreatedBy='orig'"));
        const QByteArray before = TestEnv::ReadFile(a);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--crash-edit"), e.bin, a});
        QVERIFY(child.waitForReadyRead(60000));
        QCOMPARE(child.readLine().trimmed(), QByteArray("edited"));
        child.kill(); // SIGKILL: no code of the child runs any more
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QCOMPARE(TestEnv::ReadFile(a), before);

        e.ui.answers.enqueue(recover ? vbYes : vbNo);
        QVERIFY(KORVAMain::OpenProject(*e.ctx, a));
        QCOMPARE(e.ui.messages.size(), 1);
        QCOMPARE(e.ui.messages[0].text,
                 QStringLiteral("專案[A]留有上次未正常結束時的工作檔案，其中有尚未儲存的變更。\r\n"
                                "要復原這些變更嗎？（是：以工作檔案的內容開啟，變更尚未儲存；否："
                                "捨棄工作檔案）"));
        QCOMPARE(int(e.ui.messages[0].style), int(vbYesNo | vbQuestion));
        const QString expected = recover ? QStringLiteral("unsaved") : QStringLiteral("orig");
        QCOMPARE(BasicField(*e.ctx, "CreatedBy"), expected);
        QCOMPARE(e.ctx->project.IsModified, recover);
        QCOMPARE(TestEnv::ReadFile(a), before);
        e.ui.answers.enqueue(vbYes);
        QCOMPARE(KORVAMain::CloseProject(*e.ctx), KORVAMain::kSaved);
        QCOMPARE(ProjectEnv::Sql3(a, QStringLiteral("SELECT CreatedBy FROM Basic")), expected);
        QCOMPARE(FilesIn(e.projDir), QStringList{QStringLiteral("A.cmb")});
    }

    // The open does not flush its working copy to the disk: what a power cut leaves of one
    // (nothing, a part, blocks of zeros) is no unsaved work, and the next open starts afresh.
    void tornWorkingCopyIsNotOffered_data() {
        QTest::addColumn<int>("kept"); // bytes of the project's copy that reached the disk
        QTest::addColumn<bool>("zeros");
        QTest::newRow("empty") << 0 << false;
        QTest::newRow("first page") << 4096 << false;
        QTest::newRow("zeros") << 0 << true;
    }
    void tornWorkingCopyIsNotOffered() {
        QFETCH(int, kept);
        QFETCH(bool, zeros);
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"),
                                        QStringLiteral("UPDATE Basic SET CreatedBy='saved'"));
        const QByteArray whole = TestEnv::ReadFile(a);
        QFile mir(e.InProjects(QStringLiteral("A.mir")));
        QVERIFY(mir.open(QIODevice::WriteOnly));
        mir.write(zeros ? QByteArray(whole.size(), '\0') : whole.left(kept));
        mir.close();
        QVERIFY(KORVAMain::OpenProject(*e.ctx, a));
        QCOMPARE(e.ui.messages.size(), 0);
        QCOMPARE(BasicField(*e.ctx, "CreatedBy"), QStringLiteral("saved"));
        QVERIFY(!e.ctx->project.IsModified);
    }

    void saveForceGivesNoNewDateButTheYesAnswerDoes() {
        ProjectEnv e;
        const QString a = e.MakeProject(
            QStringLiteral("A.cmb"), QStringLiteral("UPDATE Basic SET ModifiedDate='2001-02-03'"));
        const QString both = QStringLiteral("SELECT CreatedBy || '|' || ModifiedDate FROM Basic");
        QVERIFY(e.Open(a));
        SetCreatedBy(*e.ctx, QStringLiteral("one"));
        QCOMPARE(KORVAMain::SaveProject(*e.ctx, true, false, false), KORVAMain::kSaved);
        QVERIFY(e.ui.messages.isEmpty());
        QCOMPARE(ProjectEnv::Sql3(a, both), QStringLiteral("one|2001-02-03"));
        QCOMPARE(ProjectEnv::Sql3(a, QStringLiteral("PRAGMA integrity_check")),
                 QStringLiteral("ok"));
        QVERIFY(!e.ctx->project.IsModified);
        QCOMPARE(BasicField(*e.ctx, "ModifiedDate"), kToday); // only in the working copy

        // Save copies even without changes.
        QVERIFY(TestEnv::ExecSql(e.ctx->project.MirPath,
                                 QStringLiteral("UPDATE Basic SET ProjectDsc='direct'")));
        QCOMPARE(KORVAMain::SaveProject(*e.ctx, true, false, false), KORVAMain::kSaved);
        QCOMPARE(ProjectEnv::Sql3(a, QStringLiteral("SELECT ProjectDsc FROM Basic")),
                 QStringLiteral("direct"));
        // Without force and without changes nothing is copied or asked.
        QVERIFY(TestEnv::ExecSql(e.ctx->project.MirPath,
                                 QStringLiteral("UPDATE Basic SET ProjectDsc='later'")));
        QCOMPARE(KORVAMain::SaveProject(*e.ctx, false, true, true), KORVAMain::kSaved);
        QVERIFY(e.ui.messages.isEmpty());
        QCOMPARE(ProjectEnv::Sql3(a, QStringLiteral("SELECT ProjectDsc FROM Basic")),
                 QStringLiteral("direct"));

        QVERIFY(TestEnv::ExecSql(a, QStringLiteral("UPDATE Basic SET ModifiedDate='2001-02-03'")));
        SetCreatedBy(*e.ctx, QStringLiteral("two"));
        e.ui.answers.enqueue(vbYes);
        QCOMPARE(KORVAMain::CloseProject(*e.ctx), KORVAMain::kSaved);
        QCOMPARE(ProjectEnv::Sql3(a, both), QStringLiteral("two|") + kToday);
        QVERIFY(!e.ctx->project.IsOpen());
        QVERIFY(!QFile::exists(e.InProjects(QStringLiteral("A.mir"))));
    }

    // A person's copy of an installed program (it holds the record of the packaged files)
    // offers projects in Documents, made when missing; a project of the old folder stays
    // reachable through the recent-files list.
    void installedProgramOffersDocuments() {
        ProjectEnv e;
        const QString old = e.MakeProject(QStringLiteral("Project1.cmb"));
        QVERIFY(e.Open(old));
        QCOMPARE(KORVAMain::CloseProject(*e.ctx), KORVAMain::kSaved);
        QCOMPARE(KORVAMain::ProjectFolder(*e.ctx), QDir::cleanPath(e.projDir)); // portable
        const QByteArray home = qgetenv("HOME");
        const auto restore = qScopeGuard([&] { qputenv("HOME", home); });
        qputenv("HOME", e.tmp.filePath(QStringLiteral("home")).toUtf8());
        QVERIFY(TestEnv::WriteFile(QDir(e.bin).filePath(QStringLiteral("KORVA.pkg")), "x\n"));
        const QString docs = e.tmp.filePath(QStringLiteral("home/Documents/KORVA Projects"));
        QCOMPARE(KORVAMain::ProjectFolder(*e.ctx), docs);
        QVERIFY(QFileInfo(docs).isDir());
        const QString made = QDir(docs).filePath(QStringLiteral("Project1.cmb"));
        e.ui.files.enqueue(made);
        KORVAMain::NewProject(*e.ctx);
        QCOMPARE(e.ui.fileDialogs[0].initialDir, docs);
        QCOMPARE(e.ui.fileDialogs[0].defaultName, QStringLiteral("Project1.cmb"));
        QCOMPARE(e.ctx->project.ProjPath, made);
        QCOMPARE(e.ctx->recentFiles, (QStringList{made, old}));
        QVERIFY(MainView::mnuFileMRU_Click(*e.ctx, e.ctx->recentFiles[1]));
        QCOMPARE(e.ctx->project.ProjPath, old);
    }

    void saveAsWritesUnsavedChangesIntoTheNewFileOnly() {
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"),
                                        QStringLiteral("UPDATE Basic SET CreatedBy='orig'"));
        const QString b = e.InProjects(QStringLiteral("B.cmb"));
        QVERIFY(e.Open(a));
        SetCreatedBy(*e.ctx, QStringLiteral("changed"));
        e.ui.files.enqueue(b);
        KORVAMain::SaveProjectAs(*e.ctx);

        QCOMPARE(e.ui.fileDialogs.size(), 1);
        QCOMPARE(e.ui.fileDialogs[0].title, QStringLiteral("另存專案"));
        QCOMPARE(e.ui.fileDialogs[0].filter,
                 QStringLiteral("Quillon設定檔案,(*.cbm)|*.cmb|所有檔案,(*.*)|*.*"));
        QCOMPARE(e.ui.fileDialogs[0].defaultName, QStringLiteral("A.cmb"));
        QCOMPARE(e.ui.fileDialogs[0].initialDir, QFileInfo(a).absolutePath());
        QVERIFY(e.ui.messages.isEmpty());
        QCOMPARE(ProjectEnv::Sql3(a, QStringLiteral("SELECT CreatedBy FROM Basic")),
                 QStringLiteral("orig"));
        QCOMPARE(ProjectEnv::Sql3(b, QStringLiteral("SELECT CreatedBy FROM Basic")),
                 QStringLiteral("changed"));
        QCOMPARE(e.ctx->project.ProjName, QStringLiteral("B"));
        QCOMPARE(e.ctx->project.ProjPath, b);
        QVERIFY(!e.ctx->project.IsModified);
        QVERIFY(!QFile::exists(e.InProjects(QStringLiteral("A.mir"))));
        QVERIFY(QFile::exists(e.InProjects(QStringLiteral("B.mir"))));
        QCOMPARE(e.ctx->recentFiles, (QStringList{b, a}));
        QVERIFY(e.ui.statusLog.contains(QStringLiteral("Status=專案[B]開啟中...")));
        QCOMPARE(e.ctx->view.tvCaption, QStringLiteral("B"));
    }

    void saveAsAbandonsOnNoAndReplacesOnYes() {
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"));
        const QString b = e.MakeProject(QStringLiteral("B.cmb"),
                                        QStringLiteral("UPDATE Basic SET CreatedBy='other'"));
        QVERIFY(e.Open(a));
        SetCreatedBy(*e.ctx, QStringLiteral("changed"));
        e.ui.files.enqueue(b);
        e.ui.answers.enqueue(vbNo);
        KORVAMain::SaveProjectAs(*e.ctx);
        QCOMPARE(e.ui.fileDialogs.size(), 1); // no second dialog: Save As is abandoned
        QCOMPARE(e.ui.messages.size(), 1);
        QCOMPARE(e.ui.messages[0].text,
                 QStringLiteral("檔案[") + b + QStringLiteral("]已經存在，您要取代現存的檔案嗎？"));
        QCOMPARE(e.ui.messages[0].title, QStringLiteral("此檔案已經存在"));
        QCOMPARE(ProjectEnv::Sql3(b, QStringLiteral("SELECT CreatedBy FROM Basic")),
                 QStringLiteral("other"));
        QCOMPARE(e.ctx->project.ProjPath, a);
        QVERIFY(e.ctx->project.IsModified);

        e.ui.files.enqueue(b);
        e.ui.answers.enqueue(vbYes);
        KORVAMain::SaveProjectAs(*e.ctx);
        QCOMPARE(ProjectEnv::Sql3(b, QStringLiteral("SELECT CreatedBy FROM Basic")),
                 QStringLiteral("changed"));
        QCOMPARE(e.ctx->project.ProjPath, b);

        // A name the open would refuse is refused before anything is written.
        e.ui.messages.clear();
        e.ui.files.enqueue(e.InProjects(QStringLiteral("copy.txt")));
        KORVAMain::SaveProjectAs(*e.ctx);
        QCOMPARE(e.ui.messages.size(), 1);
        QCOMPARE(
            e.ui.messages[0].text,
            QStringLiteral(
                "本專案無法開啟！\r\n因為專案檔名[copy.txt]不屬於[.cmb]，導致本專案無法開啟。"));
        QVERIFY(!QFile::exists(e.InProjects(QStringLiteral("copy.txt"))));
        QCOMPARE(e.ctx->project.ProjPath, b);
    }

    void failedSaveAsKeepsTheOldProjectOpen() {
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"));
        QVERIFY(e.Open(a));
        SetCreatedBy(*e.ctx, QStringLiteral("changed"));
        const QString target = e.InProjects(QStringLiteral("no-such-folder/C.cmb"));
        e.ui.files.enqueue(target);
        KORVAMain::SaveProjectAs(*e.ctx);
        QCOMPARE(e.ui.messages.size(), 1);
        // The system's reason follows.
        QCOMPARE(e.ui.messages[0].text,
                 QStringLiteral("另存專案失敗。\r\n專案檔案[") + target +
                     QStringLiteral("]檔案無法另存。\r\nNo such file or directory"));
        QCOMPARE(e.ui.messages[0].title, QStringLiteral("另存專案失敗"));
        QCOMPARE(e.ui.busyDepth, 0);
        QCOMPARE(e.ctx->project.ProjPath, a);
        QVERIFY(e.ctx->project.IsModified);
        QVERIFY(e.ctx->project.RowSetsOpen());
        QCOMPARE(BasicField(*e.ctx, "CreatedBy"), QStringLiteral("changed"));
        SetCreatedBy(*e.ctx, QStringLiteral("still editable"));
        QCOMPARE(BasicField(*e.ctx, "CreatedBy"), QStringLiteral("still editable"));
    }

    // What is there but no file says what it is; nothing is opened or copied.
    void openNamesWhatIsNotAFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("said");
        QTest::newRow("folder") << "dir"
                                << "資料夾";
        QTest::newRow("FIFO") << "fifo"
                              << "具名管道 (FIFO)";
        QTest::newRow("link to a device") << "device"
                                          << "裝置";
    }
    void openNamesWhatIsNotAFile() {
        QFETCH(QString, kind);
        QFETCH(QString, said);
        ProjectEnv e;
        const QString path = e.InProjects(QStringLiteral("x.cmb"));
        if (kind == QLatin1String("dir"))
            QVERIFY(QDir().mkpath(path));
        else if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        QVERIFY(!KORVAMain::OpenProject(*e.ctx, path));
        QCOMPARE(e.ui.messages.size(), 1);
        QCOMPARE(e.ui.messages[0].text, QStringLiteral("專案檔案[") + path + QStringLiteral("]是") +
                                            said + QStringLiteral("，不是檔案，無法開啟。"));
        QVERIFY(!QFile::exists(KORVAMain::WorkingPathOf(path)));
    }

    // A file far larger than the pages its header counts (a hole of a gigabyte) is refused as
    // damaged before anything is copied.
    void openRefusesAFileLargerThanItsPages() {
        ProjectEnv e;
        const QString path = e.MakeProject(QStringLiteral("Holed.cmb"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.resize(qint64(1) << 30)); // sparse: no gigabyte is written
        }
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!KORVAMain::OpenProject(*e.ctx, path));
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(e.ui.messages.size(), 1);
        QVERIFY(
            e.ui.messages[0].text.endsWith(QStringLiteral("]已損毀，無法開啟；檔案未被變更。")));
        QCOMPARE(QFileInfo(path).size(), qint64(1) << 30);
    }

    // A working copy the open would refuse (a text holding NUL) never replaces the project.
    void saveNeverWritesWhatCannotBeOpened() {
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"));
        QVERIFY(e.Open(a));
        const QByteArray before = TestEnv::ReadFile(a);
        QVERIFY(TestEnv::ExecSql(e.ctx->project.MirPath,
                                 QStringLiteral("UPDATE Basic SET CreatedBy='a'||char(0)||'b'")));
        e.ctx->project.IsModified = true;
        QCOMPARE(KORVAMain::SaveProject(*e.ctx, true, false, false), KORVAMain::kCancelled);
        QVERIFY(!e.ui.messages.isEmpty());
        QCOMPARE(e.ui.messages[0].text,
                 QStringLiteral("儲存專案失敗。\r\n專案工作檔案的內容無法再次開啟，專案檔案[") + a +
                     QStringLiteral("]未被變更。"));
        QCOMPARE(TestEnv::ReadFile(a), before);
    }

    void failedWriteLeavesProjectFileAndChangesIntact() {
        ProjectEnv e;
        const QString a = e.MakeProject(
            QStringLiteral("A.cmb"), kBulk + QStringLiteral("UPDATE Basic SET CreatedBy='orig';"));
        QVERIFY(QFileInfo(a).size() > 100 * 1024);
        QVERIFY(e.Open(a));
        SetCreatedBy(*e.ctx, QStringLiteral("changed"));
        const QByteArray before = TestEnv::ReadFile(a);
        int result;
        {
            FileSizeLimit full(32 * 1024, true); // the disk is full after 32 KB
            result = KORVAMain::SaveProject(*e.ctx, true, false, false);
        }
        QCOMPARE(result, KORVAMain::kCancelled);
        QCOMPARE(e.ui.messages.size(), 1);
        // The message ends with the system's reason (here: the file would be too large).
        QVERIFY2(e.ui.messages[0].text.startsWith(QStringLiteral("儲存專案失敗。\r\n專案檔案[") +
                                                  a + QStringLiteral("]檔案無法儲存。\r\n")),
                 qPrintable(e.ui.messages[0].text));
        QVERIFY2(!e.ui.messages[0].text.endsWith(QStringLiteral("\r\n")),
                 qPrintable(e.ui.messages[0].text));
        QCOMPARE(e.ui.messages[0].title, QStringLiteral("儲存專案失敗"));
        QCOMPARE(TestEnv::ReadFile(a), before);
        QCOMPARE(FilesIn(e.projDir),
                 (QStringList{QStringLiteral("A.cmb"), QStringLiteral("A.cmb.lock"),
                              QStringLiteral("A.mir")}));
        QVERIFY(e.ctx->project.IsModified);
        QVERIFY(e.ctx->project.RowSetsOpen());
        QCOMPARE(BasicField(*e.ctx, "CreatedBy"), QStringLiteral("changed"));

        // Closing while the disk is still full keeps the project open rather than drop changes.
        e.ui.answers.enqueue(vbYes);
        {
            FileSizeLimit full(32 * 1024, true);
            result = KORVAMain::CloseProject(*e.ctx);
        }
        QCOMPARE(result, KORVAMain::kCancelled);
        QVERIFY(e.ctx->project.IsOpen());
        QVERIFY(QFile::exists(e.ctx->project.MirPath));
        QCOMPARE(TestEnv::ReadFile(a), before);

        e.ui.answers.enqueue(vbYes);
        QCOMPARE(KORVAMain::CloseProject(*e.ctx), KORVAMain::kSaved);
        QCOMPARE(ProjectEnv::Sql3(a, QStringLiteral("SELECT CreatedBy FROM Basic")),
                 QStringLiteral("changed"));
        QCOMPARE(ProjectEnv::Sql3(a, QStringLiteral("SELECT count(*) FROM Users")),
                 QStringLiteral("300"));
    }

    void saveCutShortByACrashLeavesTheOldProject() {
        ProjectEnv e;
        const QString a = e.MakeProject(
            QStringLiteral("A.cmb"), kBulk + QStringLiteral("UPDATE Basic SET CreatedBy='orig';"));
        const QByteArray before = TestEnv::ReadFile(a);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--crash-save"), e.bin, a});
        QVERIFY(child.waitForFinished(60000));
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        QVERIFY2(out.contains(QLatin1String("saving")),
                 qPrintable(out + child.readAllStandardError()));
        QVERIFY2(!out.contains(QLatin1String("returned")), qPrintable(out));
        // Ended by the kernel at the write that crossed half the file's size: mid-copy.
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QCOMPARE(child.exitCode(), int(SIGXFSZ));

        // The project file is the old one, whole, and no piece of the new one lies about (the
        // lock of the ended process stays until the next open takes it over).
        QCOMPARE(FilesIn(e.projDir),
                 (QStringList{QStringLiteral("A.cmb"), QStringLiteral("A.cmb.lock"),
                              QStringLiteral("A.mir")}));
        QCOMPARE(TestEnv::ReadFile(a), before);
        QCOMPARE(ProjectEnv::Sql3(a, QStringLiteral("PRAGMA integrity_check")),
                 QStringLiteral("ok"));
        QCOMPARE(ProjectEnv::Sql3(a, QStringLiteral("SELECT CreatedBy FROM Basic")),
                 QStringLiteral("orig"));
        // And it opens again, over the working copy the crash left when its offer is refused.
        e.ui.answers.enqueue(vbNo);
        QVERIFY(e.Open(a));
        QCOMPARE(BasicField(*e.ctx, "CreatedBy"), QStringLiteral("orig"));
    }

    // A project open in another process is refused with its host and process, and the project
    // open here stays; once that process is gone (killed: its lock stays behind) it opens.
    void projectOpenElsewhereIsLocked() {
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"));
        QVERIFY(e.Open(e.MakeProject(QStringLiteral("B.cmb"))));
        QProcess holder;
        holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold"), e.bin, a});
        QVERIFY(holder.waitForReadyRead(30000));
        QCOMPARE(holder.readAllStandardOutput(), QByteArray("open\n"));

        // The holder's temporary copies are its own business.
        const QString copy = a + QStringLiteral(".tmpq1");
        QVERIFY(QFile::copy(a, copy));
        QVERIFY(!KORVAMain::OpenProject(*e.ctx, a));
        QVERIFY(QFile::exists(copy));
        QCOMPARE(e.ui.messages.size(), 1);
        const QString text = e.ui.messages[0].text;
        QVERIFY2(text.startsWith(QStringLiteral("專案檔案[") + a +
                                 QStringLiteral("]已由其他程式開啟，本專案無法開啟。\r\n電腦: ") +
                                 QSysInfo::machineHostName() + QStringLiteral("\r\n")),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("(程序 ") + QString::number(holder.processId()) +
                               QStringLiteral(")")),
                 qPrintable(text));
        QCOMPARE(e.ui.messages[0].title, QStringLiteral("專案開啟失敗"));
        QCOMPARE(e.ctx->project.ProjName, QStringLiteral("B"));
        // Nor may New or Save As replace it.
        e.ui.files.enqueue(a);
        KORVAMain::SaveProjectAs(*e.ctx);
        QCOMPARE(e.ui.messages.size(), 2);
        QCOMPARE(e.ui.messages[1].title, QStringLiteral("專案開啟失敗"));
        QCOMPARE(e.ctx->project.ProjName, QStringLiteral("B"));

        holder.kill();
        QVERIFY(holder.waitForFinished(30000));
        QVERIFY(QFile::exists(a + QStringLiteral(".lock")));
        QVERIFY(KORVAMain::OpenProject(*e.ctx, a));
        QCOMPARE(e.ui.messages.size(), 2);
        QVERIFY(e.ctx->project.lock && e.ctx->project.lock->isLocked());
        QVERIFY(!QFile::exists(e.InProjects(QStringLiteral("B.cmb.lock"))));
        QCOMPARE(KORVAMain::CloseProject(*e.ctx), KORVAMain::kSaved);
        QVERIFY(!QFile::exists(a + QStringLiteral(".lock")));
    }

    // A lock file that names no holder is taken over; something else in its place is refused
    // by name, never read (a FIFO would block the open until someone writes to it).
    void lockFileThatIsNoLock_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("opens");
        QTest::newRow("empty") << "file" << QByteArray() << true;
        QTest::newRow("garbage") << "file" << QByteArray("\x01\xffnot a lock") << true;
        QTest::newRow("process 0") << "file" << QByteArray("0\nKORVA\nhost\n") << true;
        QTest::newRow("no host line") << "file" << QByteArray("12\nKORVA") << true;
        QTest::newRow("garbage written just now") << "new file" << QByteArray("x") << true;
        QTest::newRow("folder") << "dir" << QByteArray() << false;
        QTest::newRow("fifo") << "fifo" << QByteArray() << false;
        QTest::newRow("link") << "link" << QByteArray() << false;
    }
    void lockFileThatIsNoLock() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, content);
        QFETCH(bool, opens);
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"));
        const QString lockPath = a + QStringLiteral(".lock");
        const QByteArray native = QFile::encodeName(lockPath);
        if (kind.endsWith(QLatin1String("file"))) {
            QFile f(lockPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
            if (kind == QLatin1String("file"))
                QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                      QFileDevice::FileModificationTime));
        } else if (kind == QLatin1String("dir")) {
            QVERIFY(QDir().mkdir(lockPath));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(native.constData(), 0600), 0);
        } else {
            QVERIFY(QFile::link(e.InProjects(QStringLiteral("nowhere")), lockPath));
        }
        // Should the open read the FIFO, a writer comes after 5 s so that it fails, not hangs.
        std::atomic<bool> done{false};
        std::thread unblock([&] {
            for (int i = 0; i < 50 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (done || kind != QLatin1String("fifo")) return;
            const int fd = ::open(native.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        });
        QElapsedTimer took;
        took.start();
        const bool opened = KORVAMain::OpenProject(*e.ctx, a);
        done = true;
        unblock.join();
        QVERIFY2(took.elapsed() < 4000, qPrintable(QString::number(took.elapsed())));
        QCOMPARE(opened, opens);
        if (opens) {
            QVERIFY(e.ui.messages.isEmpty());
            QVERIFY(e.ctx->project.lock && e.ctx->project.lock->isLocked());
            QCOMPARE(KORVAMain::CloseProject(*e.ctx), KORVAMain::kSaved);
            QVERIFY(!QFileInfo::exists(lockPath));
            return;
        }
        QCOMPARE(e.ui.messages.size(), 1);
        QCOMPARE(e.ui.messages[0].text,
                 QStringLiteral("專案檔案[") + a + QStringLiteral("]的鎖定檔案[") + lockPath +
                     QStringLiteral("]不是鎖定檔案(是資料夾或特殊檔案)，本專案無法開啟。\r\n"
                                    "請將它移除或改名後再開啟本專案。"));
        QCOMPARE(e.ui.messages[0].title, QStringLiteral("專案開啟失敗"));
        QVERIFY(!e.ctx->project.IsOpen());
        QVERIFY(QFileInfo(lockPath).isSymLink() || QFileInfo::exists(lockPath));
        // Nor does New replace the project while its lock's place is taken.
        e.ui.files << a;
        KORVAMain::NewProject(*e.ctx);
        QCOMPARE(e.ui.messages.size(), 2);
        QCOMPARE(e.ui.messages[1].text, e.ui.messages[0].text);
        QVERIFY(!e.ctx->project.IsOpen());
    }

    // The open removes the temporary copies a killed save or open left beside the project
    // (under its lock, so none is being written), and nothing else.
    void openRemovesLeftOverCopiesOfTheProject() {
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"));
        const QStringList ours{QStringLiteral("A.cmb.tmp1x9zq"), QStringLiteral("A.mir.tmp0")};
        const QStringList others{QStringLiteral("A.cmb.tmp"), QStringLiteral("A.cmb.tmpNOTE"),
                                 QStringLiteral("A.cmb.tmp-1.txt"),
                                 QStringLiteral("A.cmb.tmp12345678"),
                                 QStringLiteral("B.cmb.tmp1a")};
        for (const QString& name : ours + others)
            QVERIFY(QFile::copy(a, e.InProjects(name)));
        QVERIFY(e.Open(a));
        for (const QString& name : ours)
            QVERIFY2(!QFile::exists(e.InProjects(name)), qPrintable(name));
        for (const QString& name : others)
            QVERIFY2(QFile::exists(e.InProjects(name)), qPrintable(name));
    }

    // A read-only project opens with a note; saving it needs Save As and keeps the changes.
    void readOnlyProjectSavesOnlyUnderANewName() {
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"));
        QVERIFY(QFile::setPermissions(a, QFile::ReadOwner | QFile::ReadGroup));
        const QByteArray before = TestEnv::ReadFile(a);
        QVERIFY(KORVAMain::OpenProject(*e.ctx, a));
        QCOMPARE(e.ui.messages.size(), 1);
        QCOMPARE(e.ui.messages[0].style, vbOKOnly | vbInformation);
        QVERIFY(e.ui.messages[0].text.endsWith(QStringLiteral("須使用[另存專案]儲存。")));
        SetCreatedBy(*e.ctx, QStringLiteral("changed"));
        QCOMPARE(KORVAMain::SaveProject(*e.ctx, true, false, false), KORVAMain::kCancelled);
        QCOMPARE(e.ui.messages.size(), 2);
        QVERIFY(e.ui.messages[1].text.endsWith(QStringLiteral("請使用[另存專案]。")));
        QCOMPARE(TestEnv::ReadFile(a), before);
        QVERIFY(e.ctx->project.IsModified);
        const QString b = e.InProjects(QStringLiteral("B.cmb"));
        e.ui.files.enqueue(b);
        KORVAMain::SaveProjectAs(*e.ctx);
        QCOMPARE(e.ctx->project.ProjPath, b);
        QVERIFY(!e.ctx->project.ReadOnly);
        QCOMPARE(ProjectEnv::Sql3(b, QStringLiteral("SELECT CreatedBy FROM Basic")),
                 QStringLiteral("changed"));
    }

    void recentFilesReorderAndDropTheOldest() {
        ProjectEnv e;
        QStringList p;
        for (int i = 1; i <= 5; ++i)
            p << e.MakeProject(QStringLiteral("P%1.cmb").arg(i));
        for (int i = 0; i < 4; ++i)
            QVERIFY(e.Open(p[i]));
        QCOMPARE(e.ctx->recentFiles, (QStringList{p[3], p[2], p[1], p[0]}));

        const QString sdb = e.bin + QStringLiteral("/KORVA.sdb");
        const QString stored = QStringLiteral("SELECT group_concat(FilePath, '|') FROM (SELECT "
                                              "FilePath FROM MRUList ORDER BY rowid)");
        QVERIFY(e.Open(p[1])); // entry 3 becomes entry 1
        QCOMPARE(e.ctx->recentFiles, (QStringList{p[1], p[3], p[2], p[0]}));
        QCOMPARE(ProjectEnv::Sql3(sdb, stored), (QStringList{p[1], p[3], p[2], p[0]}).join(u'|'));
        QVERIFY(e.Open(p[1])); // already entry 1
        QCOMPARE(e.ctx->recentFiles, (QStringList{p[1], p[3], p[2], p[0]}));
        QVERIFY(e.Open(p[4])); // a fifth drops the oldest
        QCOMPARE(e.ctx->recentFiles, (QStringList{p[4], p[1], p[3], p[2]}));
        QCOMPARE(ProjectEnv::Sql3(sdb, stored), (QStringList{p[4], p[1], p[3], p[2]}).join(u'|'));

        const auto menu = KORVAMain::mkRecentFilePathMenu(*e.ctx);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(menu[size_t(i)].caption, e.ctx->recentFiles[i]);
            QVERIFY(menu[size_t(i)].enabled && menu[size_t(i)].visible);
        }
        // What was stored comes back at the next start.
        e.ctx->recentFiles.clear();
        Startup::LoadRecentFiles(*e.ctx);
        QCOMPARE(e.ctx->recentFiles, (QStringList{p[4], p[1], p[3], p[2]}));

        // An entry opens its project; the empty-entry text opens nothing.
        QVERIFY(MainView::mnuFileMRU_Click(*e.ctx, p[3]));
        QCOMPARE(e.ctx->project.ProjPath, p[3]);
        QVERIFY(!MainView::mnuFileMRU_Click(*e.ctx, QStringLiteral("(空)")));
        QCOMPARE(e.ctx->project.ProjPath, p[3]);
        QVERIFY(e.ui.fileDialogs.isEmpty() && e.ui.messages.isEmpty());
    }

    void twoRecentFilesShowTwoItems() {
        ProjectEnv e;
        const QString a = e.MakeProject(QStringLiteral("A.cmb"));
        const QString b = e.MakeProject(QStringLiteral("B.cmb"));
        QVERIFY(e.Open(a));
        QVERIFY(e.Open(b));
        const auto menu = KORVAMain::mkRecentFilePathMenu(*e.ctx);
        QCOMPARE(menu[0].caption, b);
        QCOMPARE(menu[1].caption, a);
        QVERIFY(menu[0].visible && menu[1].visible && menu[0].enabled && menu[1].enabled);
        for (size_t i : {2u, 3u}) {
            QVERIFY(menu[i].caption.isEmpty());
            QVERIFY(!menu[i].visible && !menu[i].enabled);
        }
    }

    void openDialogStartsInProjectFolderThenKeepsItsLastFolder() {
        ProjectEnv e;
        e.ui.files.enqueue(std::nullopt);
        QVERIFY(!KORVAMain::OpenProject(*e.ctx, QString()));
        QCOMPARE(e.ui.fileDialogs[0].title, QStringLiteral("開啟專案"));
        QCOMPARE(e.ui.fileDialogs[0].filter, QStringLiteral("Quillon設定檔案,(*.cmb)|*.cmb"));
        QCOMPARE(e.ui.fileDialogs[0].defaultName, QString());
        QCOMPARE(e.ui.fileDialogs[0].initialDir, KORVAMain::ProjectFolder(*e.ctx));
        QCOMPARE(QDir(KORVAMain::ProjectFolder(*e.ctx)).canonicalPath(),
                 QDir(e.projDir).canonicalPath());

        QDir().mkpath(e.tmp.filePath(QStringLiteral("elsewhere")));
        const QString x = e.tmp.filePath(QStringLiteral("elsewhere/X.cmb"));
        QVERIFY(QFile::copy(e.Template(), x));
        e.ui.files.enqueue(x);
        QDir::setCurrent(e.tmp.path());
        QVERIFY(KORVAMain::OpenProject(*e.ctx, QString()));
        QCOMPARE(QDir::current().canonicalPath(), QDir(e.bin).canonicalPath());
        QCOMPARE(e.ctx->project.ProjName, QStringLiteral("X"));

        e.ui.files.enqueue(std::nullopt);
        QVERIFY(!KORVAMain::OpenProject(*e.ctx, QString()));
        QCOMPARE(e.ui.fileDialogs[2].initialDir, e.tmp.filePath(QStringLiteral("elsewhere")));
        // The name offered is one the Open button takes: the file itself, while it exists.
        QCOMPARE(e.ui.fileDialogs[2].defaultName, QStringLiteral("X.cmb"));
        QCOMPARE(e.ctx->project.ProjName,
                 QStringLiteral("X")); // a cancelled dialog changes nothing
        QVERIFY(QFile::rename(x, x + QStringLiteral(".old")));
        e.ui.files.enqueue(std::nullopt);
        QVERIFY(!KORVAMain::OpenProject(*e.ctx, QString()));
        QCOMPARE(e.ui.fileDialogs[3].defaultName, QString());
    }

    void atomicCopyReplacesWholeOrNotAtAll() {
        QTemporaryDir dir;
        const QString from = dir.filePath(QStringLiteral("from")),
                      to = dir.filePath(QStringLiteral("to"));
        QVERIFY(TestEnv::WriteFile(from, QByteArray(700 * 1024, 'n')));
        QVERIFY(TestEnv::WriteFile(to, "old"));
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QVERIFY(FileUtil::CopyFileAtomic(from, to));
        QCOMPARE(TestEnv::ReadFile(to), TestEnv::ReadFile(from));
        QCOMPARE(QFile::permissions(to) & (QFile::ReadGroup | QFile::ReadOther), QFile::ReadGroup);

        QVERIFY(TestEnv::WriteFile(to, "old"));
        QString why;
        {
            FileSizeLimit full(64 * 1024, true);
            QVERIFY(!FileUtil::CopyFileAtomic(from, to, &why));
        }
        QVERIFY(!why.isEmpty());
        QCOMPARE(TestEnv::ReadFile(to), QByteArray("old"));
        QCOMPARE(FilesIn(dir.path()), (QStringList{QStringLiteral("from"), QStringLiteral("to")}));
        QVERIFY(!FileUtil::CopyFileAtomic(dir.filePath(QStringLiteral("missing")), to));
        QCOMPARE(TestEnv::ReadFile(to), QByteArray("old"));
    }

    // The copy is synced before the rename and the folder after it; a failed step fails the
    // copy, keeps the old target and leaves no temporary file.
    void atomicCopyOrderAndFailures_data() {
        QTest::addColumn<QString>("failAt");
        QTest::addColumn<QStringList>("calls");
        const QString sync = QStringLiteral("sync file"), rename = QStringLiteral("rename");
        QTest::newRow("none") << QString()
                              << QStringList{sync, rename, QStringLiteral("sync folder")};
        QTest::newRow("sync") << sync << QStringList{sync};
        QTest::newRow("rename") << rename << QStringList{sync, rename};
    }
    void atomicCopyOrderAndFailures() {
        QFETCH(QString, failAt);
        QFETCH(QStringList, calls);
        struct RecordingOps : FileUtil::FileOps {
            QString failAt;
            QStringList calls;
            bool Step(const QString& name) {
                calls << name;
                return name != failAt;
            }
            bool SyncFile(int fd) override {
                return Step(QStringLiteral("sync file")) && FileOps::SyncFile(fd);
            }
            bool Rename(const QString& from, const QString& to) override {
                return Step(QStringLiteral("rename")) && FileOps::Rename(from, to);
            }
            void SyncFolder(const QString& folder) override {
                Step(QStringLiteral("sync folder"));
                FileOps::SyncFolder(folder);
            }
        } ops;
        ops.failAt = failAt;
        QTemporaryDir dir;
        const QString from = dir.filePath(QStringLiteral("from")),
                      to = dir.filePath(QStringLiteral("to"));
        QVERIFY(TestEnv::WriteFile(from, "new"));
        QVERIFY(TestEnv::WriteFile(to, "old"));
        QString why;
        QCOMPARE(FileUtil::CopyFileAtomic(from, to, &why, &ops), failAt.isEmpty());
        QCOMPARE(ops.calls, calls);
        QCOMPARE(why.isEmpty(), failAt.isEmpty());
        QCOMPARE(TestEnv::ReadFile(to), failAt.isEmpty() ? QByteArray("new") : QByteArray("old"));
        QCOMPARE(FilesIn(dir.path()), (QStringList{QStringLiteral("from"), QStringLiteral("to")}));
    }
};

int main(int argc, char* argv[]) {
    if (argc == 4 && qstrcmp(argv[1], "--crash-edit") == 0) {
        QCoreApplication app(argc, argv);
        return CrashEditChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    if (const int held = ProjectEnv::HoldChild(argc, argv); held >= 0) return held;
    if (argc == 4 && qstrcmp(argv[1], "--crash-save") == 0) {
        QCoreApplication app(argc, argv);
        return CrashSaveChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    TestKORVAMain test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_KORVAMain.moc"
