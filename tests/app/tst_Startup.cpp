// Start-up order and failures, the splash wait, the close rule and shutdown.
#include "app/AppFixture.h"
#include "mainwindow/WindowPlacement.h"
#include "store/KORVAMain.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Records what start-up asks of its windows, with the state seen at each step.
class RecordingWindows : public Startup::StartupWindows {
public:
    explicit RecordingWindows(AppContext& ctx) : m_ctx(ctx) {}
    QStringList calls;
    int clickAfterRounds = -1; // the splash is clicked once this many event rounds ran
    bool dbOpenAtSplash = false;
    int recentAtSplash = -1;
    int timeOutAtSplash = -1;

    void ShowSplash() override {
        calls << QStringLiteral("ShowSplash");
        dbOpenAtSplash = m_ctx.sysdb.IsOpen();
        recentAtSplash = int(m_ctx.recentFiles.size());
        timeOutAtSplash = m_ctx.comm.TimeOut;
    }
    void LoadMainWindow() override { calls << QStringLiteral("LoadMainWindow"); }
    bool SplashClicked() override {
        return clickAfterRounds >= 0 &&
               static_cast<ScriptedUi&>(m_ctx.ui).doEvents >= clickAfterRounds;
    }
    void UnloadSplash() override {
        calls << QStringLiteral("UnloadSplash@") + QString::number(Rounds());
    }
    void FillMainWindow() override { calls << QStringLiteral("FillMainWindow"); }
    void ShowMainWindow() override { calls << QStringLiteral("ShowMainWindow"); }

private:
    int Rounds() const { return static_cast<ScriptedUi&>(m_ctx.ui).doEvents; }
    AppContext& m_ctx;
};

// A clock that moves 100 ms with every reading.
Startup::SplashClock SteppingClock(qint64 phaseMs) {
    auto now = std::make_shared<qint64>(0);
    Startup::SplashClock c;
    c.phaseMs = phaseMs;
    c.elapsedMs = [now] { return (*now += 100) - 100; };
    return c;
}
} // namespace

class tst_Startup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsInOrderAndShowsWindowsLast() {
        AppFixture f;
        QVERIFY(f.Prepare(QStringLiteral("English")));
        QVERIFY(TestEnv::ExecSql(
            f.Path(QStringLiteral("KORVA.sdb")),
            QStringLiteral("INSERT INTO MRUList (FilePath) VALUES ('a.cmb'),('b.cmb');")));
        QByteArray set = TestEnv::ReadFile(f.Path(QStringLiteral("KORVA.set")));
        set.replace("TimeOut=2", "TimeOut=7");
        QVERIFY(TestEnv::WriteFile(f.Path(QStringLiteral("KORVA.set")), set));
        f.ctx.comm.PortNo = 5;
        f.ctx.comm.SlaveID = 1;

        RecordingWindows w(f.ctx);
        QVERIFY(Startup::Main(f.ctx, f.dir.path(), 1033, w, SteppingClock(0)));
        QVERIFY(f.ui.messages.isEmpty());
        // The windows come after the core steps: databases open, settings read, list loaded.
        QVERIFY(w.dbOpenAtSplash);
        QCOMPARE(w.recentAtSplash, 2);
        QCOMPARE(w.timeOutAtSplash, 7);
        QCOMPARE(f.ctx.comm.PortNo, 1);
        QCOMPARE(f.ctx.comm.SlaveID, 247);
        QCOMPARE(f.ctx.programFolder, f.dir.path());
        QCOMPARE(f.ctx.ml.AppliedLang, QStringLiteral("English"));
        // From phase 0 the wait ends after the third second boundary: 30 rounds of 100 ms.
        QCOMPARE(w.calls,
                 (QStringList{QStringLiteral("ShowSplash"), QStringLiteral("LoadMainWindow"),
                              QStringLiteral("UnloadSplash@30"), QStringLiteral("FillMainWindow"),
                              QStringLiteral("ShowMainWindow")}));
    }

    void splashWaitLastsTwoToThreeSecondsOrUntilClicked() {
        ScriptedUi ui;
        AppContext ctx(ui);
        {
            RecordingWindows w(ctx);
            // Boundaries at 100, 1100 and 2100 ms: the wait ends at the reading of 2100 ms.
            Startup::SplashWait(ui, w, SteppingClock(900));
            QCOMPARE(ui.doEvents, 21);
        }
        ui.doEvents = 0;
        {
            RecordingWindows w(ctx);
            w.clickAfterRounds = 4;
            Startup::SplashWait(ui, w, SteppingClock(0));
            QCOMPARE(ui.doEvents, 4);
        }
    }

    void failuresEndWithTheirMessageAndNoWindow_data() {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::newRow("settings file") << "KORVA.set"
                                       << "ML system failed!\r\nFile [%1] not exist."
                                       << "ML system failed";
        QTest::newRow("text database") << "KORVA.ml"
                                       << "ML System Error! \r\nFile [%1] not found."
                                       << "ML System Error";
        QTest::newRow("system database")
            << "KORVA.sdb"
            << QStringLiteral("系統資料庫開啟失敗, 程式無法啟動!\r\n檔案不存在: [%1]")
            << QStringLiteral("KORVA 系統失敗");
    }
    void failuresEndWithTheirMessageAndNoWindow() {
        QFETCH(QString, missing);
        QFETCH(QString, text);
        QFETCH(QString, title);
        AppFixture f;
        // Chinese texts: the system database message is then the program's own text.
        QVERIFY(f.Prepare(QStringLiteral("ChineseBig5")));
        QVERIFY(QFile::remove(f.Path(missing)));
        RecordingWindows w(f.ctx);
        QVERIFY(!Startup::Main(f.ctx, f.dir.path(), 1028, w, SteppingClock(0)));
        QVERIFY(w.calls.isEmpty());
        QCOMPARE(f.ui.messages.size(), 1);
        QCOMPARE(f.ui.messages[0].text, text.arg(QDir(f.dir.path()).absoluteFilePath(missing)));
        QCOMPARE(f.ui.messages[0].title, title);
        QCOMPARE(int(f.ui.messages[0].style), int(vbOKOnly | vbCritical));
    }

    // A project named on the command line opens, taken from the folder the program was
    // started in; options are skipped; a name that is no project gets the open's message.
    void opensTheProjectGivenOnTheCommandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QString>("message"); // the title of the message shown, if any
        QTest::newRow("none") << QStringList{} << false << QString();
        QTest::newRow("options only") << QStringList{"-style", "--x"} << false << QString();
        QTest::newRow("relative") << QStringList{"work/Site.cmb"} << true << QString();
        QTest::newRow("after an option")
            << QStringList{"--x", "work/Site.cmb"} << true << QString();
        QTest::newRow("missing") << QStringList{"work/None.cmb"} << false << "專案開啟失敗";
        QTest::newRow("not a project name")
            << QStringList{"work/Site.txt"} << false << "本專案無法執行";
    }
    void opensTheProjectGivenOnTheCommandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, opened);
        QFETCH(QString, message);
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("ChineseBig5")));
        const QString started = f.Path(QStringLiteral("start"));
        QVERIFY(QDir().mkpath(started + QStringLiteral("/work")));
        QVERIFY(QFile::copy(f.Path(QStringLiteral("RV27.mdb")),
                            started + QStringLiteral("/work/Site.cmb")));
        QCOMPARE(Startup::OpenGivenProject(f.ctx, arguments, started), opened);
        QCOMPARE(f.ctx.project.IsOpen(), opened);
        if (opened) QCOMPARE(f.ctx.project.ProjPath, started + QStringLiteral("/work/Site.cmb"));
        QCOMPARE(f.ui.messages.isEmpty() ? QString() : f.ui.messages.last().title, message);
        KORVAMain::CloseProject(f.ctx);
    }

    void startedElsewhereFindsNoSettingsFile() {
        AppFixture f;
        QVERIFY(f.Prepare(QStringLiteral("English")));
        QTemporaryDir elsewhere;
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        RecordingWindows w(f.ctx);
        QVERIFY(!Startup::Main(f.ctx, f.dir.path(), 1033, w, SteppingClock(0)));
        QVERIFY(w.calls.isEmpty());
        QCOMPARE(f.ui.messages.size(), 1);
        QVERIFY(f.ui.messages[0].text.contains(
            QDir(elsewhere.path()).absoluteFilePath(QStringLiteral("KORVA.set"))));
    }

    void closeRuleKeepsRunningWhenTheSavePromptIsCancelled() {
        ScriptedUi ui;
        AppContext ctx(ui);
        int asked = 0;
        int answer = 0;
        const auto closer = [&](MainContext&) {
            ++asked;
            return answer;
        };
        QVERIFY(Shutdown::QueryClose(ctx, closer)); // no project: nothing to ask
        QCOMPARE(asked, 0);
        ctx.project.ProjName = QStringLiteral("Site");
        answer = 2;
        QVERIFY(!Shutdown::QueryClose(ctx, closer));
        answer = 1;
        QVERIFY(Shutdown::QueryClose(ctx, closer));
        QCOMPARE(asked, 2);
    }

    void shutdownStoresPlacementUnlessMinimized() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        const QString ini = f.Path(QStringLiteral("placement.ini"));
        {
            QSettings s(ini, QSettings::IniFormat);
            WindowPlacement::Store(s, nullptr, 0);
            s.setValue(QStringLiteral("Settings/MainLeft"), QStringLiteral("111"));
        }
        Shutdown::MainWindowState st;
        st.minimized = true;
        st.placement = {1, 2, 3000, 4000};
        st.viewMode = 3;
        {
            QSettings s(ini, QSettings::IniFormat);
            Shutdown::AppShutdown(f.ctx, true, &s, st);
        }
        QVERIFY(!f.ctx.sysdb.IsOpen());
        QVERIFY(!f.ctx.ml.conn);
        QSettings s(ini, QSettings::IniFormat);
        QCOMPARE(s.value(QStringLiteral("Settings/MainLeft")).toString(), QStringLiteral("111"));
        QVERIFY(!s.contains(QStringLiteral("Settings/MainWidth")));
        QCOMPARE(s.value(QStringLiteral("Settings/ViewMode")).toString(), QStringLiteral("3"));

        st.minimized = false;
        Shutdown::AppShutdown(f.ctx, true, &s, st);
        QCOMPARE(WindowPlacement::Restore(s), (WindowPlacement::Placement{1, 2, 3000, 4000}));

        // Without saveSettings nothing is stored.
        st.placement = {9, 9, 9000, 9000};
        Shutdown::AppShutdown(f.ctx, false, &s, st);
        QCOMPARE(WindowPlacement::Restore(s), (WindowPlacement::Placement{1, 2, 3000, 4000}));
    }

    void placementRestoreTakesDefaultsForMissingOrUnreadableValues() {
        QTemporaryDir d;
        QSettings s(QDir(d.path()).filePath(QStringLiteral("p.ini")), QSettings::IniFormat);
        QCOMPARE(WindowPlacement::Restore(s), (WindowPlacement::Placement{200, 200, 10800, 6900}));
        s.setValue(QStringLiteral("Settings/MainLeft"), QStringLiteral(" 450 "));
        s.setValue(QStringLiteral("Settings/MainTop"), QStringLiteral("-300"));
        s.setValue(QStringLiteral("Settings/MainWidth"), QStringLiteral("wide"));
        s.setValue(QStringLiteral("Settings/MainHeight"), QStringLiteral("7000.6"));
        QCOMPARE(WindowPlacement::Restore(s), (WindowPlacement::Placement{450, -300, 10800, 7001}));
    }
};

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_Startup.moc"
