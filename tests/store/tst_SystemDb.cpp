// The system database and the start-up steps that need no window.
#include "ScriptedUi.h"
#include "TestEnv.h"
#include "app/AppContext.h"
#include "app/Startup.h"
#include "db/ADOUtil.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace ADOUtil;

class TestSystemDb : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_oldCwd;

private Q_SLOTS:
    void init() {
        m_oldCwd = QDir::currentPath();
        QVERIFY(TestEnv::CopyProgramFolder(m_dir.path()));
        QVERIFY(QDir::setCurrent(m_dir.path()));
    }
    void cleanup() { QDir::setCurrent(m_oldCwd); }

    void shippedModelsAndRates() {
        ScriptedUi ui;
        MLState ml;
        SystemDb sdb;
        QVERIFY(SystemDB::OpenSystemDB(sdb, ui, ml, m_dir.path()));
        auto cap = SystemDB::LookupModel(sdb, QStringLiteral("VX700-RV27S"));
        QVERIFY(cap.found);
        QCOMPARE(cap.MaxTelNo, 64);
        QCOMPARE(cap.MaxMemoryByte, 8192);
        cap = SystemDB::LookupModel(sdb, QStringLiteral("VX800-DI8VM"));
        QCOMPARE(cap.MaxTelNo, 128);
        QCOMPARE(cap.MaxMemoryByte, 16384);
        QVERIFY(!SystemDB::LookupModel(sdb, QStringLiteral("vx700-rv27s")).found); // exact names
        QCOMPARE(SystemDB::LookupBaudRate(sdb, QStringLiteral("RV27MS"), QStringLiteral("3")),
                 QStringLiteral("9600"));
        QCOMPARE(SystemDB::LookupBaudRate(sdb, QStringLiteral("AI"), QStringLiteral("7")),
                 QStringLiteral("115200"));
        QCOMPARE(SystemDB::LookupBaudRate(sdb, QStringLiteral("AI"), QStringLiteral("8")),
                 QStringLiteral("UnKnown"));
        QCOMPARE(SystemDB::LookupBaudRate(sdb, QStringLiteral("UnKnown"), QStringLiteral("3")),
                 QStringLiteral("UnKnown"));
        QCOMPARE(GetRecordCount(sdb.ModelList.get()), 10);
        QCOMPARE(GetRecordCount(sdb.CommBaudList.get()), 80);
        QCOMPARE(GetRecordCount(sdb.MRUList.get()), 0);
        SystemDB::CloseSystemDB(sdb);
        QVERIFY(!sdb.conn && !sdb.ModelList && !sdb.CommBaudList && !sdb.MRUList);
        SystemDB::CloseSystemDB(sdb); // twice is harmless
    }

    void duplicateModelLastWinsAndModelWithoutRates() {
        QVERIFY(TestEnv::ExecSql(
            m_dir.filePath(QStringLiteral("KORVA.sdb")),
            QStringLiteral("INSERT INTO ModelList VALUES ('VX700-RV27S', 32, 4096); INSERT INTO "
                           "ModelList VALUES ('X-NEW', 10, 100);")));
        ScriptedUi ui;
        MLState ml;
        SystemDb sdb;
        QVERIFY(SystemDB::OpenSystemDB(sdb, ui, ml, m_dir.path()));
        QCOMPARE(SystemDB::LookupModel(sdb, QStringLiteral("VX700-RV27S")).MaxTelNo, 32);
        QCOMPARE(SystemDB::LookupBaudRate(sdb, QStringLiteral("NEW"), QStringLiteral("0")),
                 QStringLiteral("UnKnown"));
    }

    void startCoreLoadsRecentFilesInTableOrder() {
        QVERIFY(TestEnv::ExecSql(
            m_dir.filePath(QStringLiteral("KORVA.sdb")),
            QStringLiteral("INSERT INTO MRUList VALUES "
                           "('/p/1.cmb'),('/p/2.cmb'),('/p/3.cmb'),('/p/4.cmb'),('/p/5.cmb');")));
        QVERIFY(TestEnv::WriteFile(m_dir.filePath(QStringLiteral("KORVA.set")),
                                   "[Comm]\r\nTimeOut=7\r\nRetry=1\r\n[ML]\r\nAppliedLangName="
                                   "English\r\nOriginalLangName =ChineseBig5\r\n"));
        ScriptedUi ui;
        AppContext ctx(ui);
        ctx.comm.PortNo = 9;
        ctx.comm.SlaveID = 1;
        QVERIFY(Startup::StartCore(ctx, m_dir.path(), 1028));
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(ctx.recentFiles, (QStringList{"/p/1.cmb", "/p/2.cmb", "/p/3.cmb", "/p/4.cmb"}));
        QCOMPARE(ctx.comm.TimeOut, 7);
        QCOMPARE(ctx.comm.Retry, 1);
        QCOMPARE(ctx.comm.PortNo, 1);
        QCOMPARE(ctx.comm.SlaveID, 247);
        QCOMPARE(ctx.ml.AppliedLang, QStringLiteral("English"));
        Shutdown::CloseCore(ctx);
        QVERIFY(!ctx.sysdb.conn && !ctx.ml.conn);
    }

    void missingSystemDatabaseStopsStartup() {
        QFile::remove(m_dir.filePath(QStringLiteral("KORVA.sdb")));
        ScriptedUi ui;
        AppContext ctx(ui);
        QVERIFY(!Startup::StartCore(ctx, m_dir.path(), 1028));
        QCOMPARE(ui.messages.size(), 1);
        const QString path = QDir(m_dir.path()).absoluteFilePath(QStringLiteral("KORVA.sdb"));
        QCOMPARE(ui.messages[0].text,
                 QStringLiteral("系統資料庫開啟失敗, 程式無法啟動!\r\n檔案不存在: [") + path +
                     u']');
        QCOMPARE(ui.messages[0].title, QStringLiteral("KORVA 系統失敗"));
        QCOMPARE(int(ui.messages[0].style), int(vbOKOnly | vbCritical));
    }

    void unreadableSystemDatabaseStopsStartupInEnglish() {
        const QString path = m_dir.filePath(QStringLiteral("KORVA.sdb"));
        QVERIFY(TestEnv::ExecSql(path, QStringLiteral("DROP TABLE MRUList;")));
        QVERIFY(TestEnv::WriteFile(
            m_dir.filePath(QStringLiteral("KORVA.set")),
            "[ML]\r\nAppliedLangName=English\r\nOriginalLangName =ChineseBig5\r\n"));
        ScriptedUi ui;
        AppContext ctx(ui);
        QVERIFY(!Startup::StartCore(ctx, m_dir.path(), 1028));
        QCOMPARE(ui.messages.size(), 1);
        QVERIFY(ui.messages[0].text.startsWith(
            QStringLiteral("The system database could not be opened")));
        QVERIFY(ui.messages[0].text.contains(QStringLiteral("cannot be read")));
        QVERIFY(ui.messages[0].text.endsWith(
            QDir(m_dir.path()).absoluteFilePath(QStringLiteral("KORVA.sdb")) + u']'));
        QVERIFY(!ctx.sysdb.conn);
    }

    void missingSettingsFileStopsFirst() {
        QFile::remove(m_dir.filePath(QStringLiteral("KORVA.set")));
        ScriptedUi ui;
        AppContext ctx(ui);
        QVERIFY(!Startup::StartCore(ctx, m_dir.path(), 1028));
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].title, QStringLiteral("ML system failed"));
    }

    // sqlite3, an independent reader, sees the shipped databases as built.
    void shippedFilesThroughSqlite3() {
        auto query = [](const QString& db, const QString& sql) {
            QProcess p;
            p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), db, sql});
            p.waitForFinished(10000);
            return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        };
        const QString bin = TestEnv::StagedBin();
        QCOMPARE(query(bin + "/RV27.mdb",
                       "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"),
                 QStringLiteral("Basic\nUserGroups\nUsers\nZones"));
        QCOMPARE(query(bin + "/RV27.mdb",
                       "SELECT count(*), min(ZoneNo), max(ZoneNo), sum(IsDisable), "
                       "max(length(ZoneName)+length(AlarmSMS)+length(ResetSMS)+length(GroupName)) "
                       "FROM Zones"),
                 QStringLiteral("64|0|63|0|0"));
        QCOMPARE(query(bin + "/RV27.mdb", "SELECT DeviceModelName, IsUnicode, count(*) FROM Basic"),
                 QStringLiteral("VX700-RV27MS|0|1"));
        QCOMPARE(query(bin + "/RV27.mdb",
                       "SELECT (SELECT count(*) FROM Users) + (SELECT count(*) FROM UserGroups)"),
                 QStringLiteral("0"));
        QCOMPARE(query(bin + "/KORVA.sdb",
                       "SELECT BaudRate FROM CommBaudList WHERE ModelName='DI8' ORDER BY BaudID"),
                 QStringLiteral("1200\n2400\n4800\n9600\n19200\n38400\n57600\n115200"));
        QCOMPARE(query(bin + "/KORVA.sdb", "SELECT count(DISTINCT ModelName) FROM CommBaudList"),
                 QStringLiteral("10"));
        QCOMPARE(query(bin + "/KORVA.ml", "PRAGMA journal_mode"), QStringLiteral("delete"));
    }
};

QTEST_GUILESS_MAIN(TestSystemDb)
#include "tst_SystemDb.moc"
