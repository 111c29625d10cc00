// The row set and the data-access procedures over real database files.
#include "ScriptedUi.h"
#include "TestEnv.h"
#include "db/ADOUtil.h"
#include "store/OpenProject.h"

#include <QDate>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace ADOUtil;

class TestRowSet : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_db;
    ScriptedUi m_ui;

    std::unique_ptr<Connection> Open() { return OpenMDBConn(m_ui, m_db, {}, {}); }

private Q_SLOTS:
    void init() {
        m_ui = ScriptedUi();
        m_db = m_dir.filePath(QStringLiteral("t.db"));
        QFile::remove(m_db);
        QVERIFY(TestEnv::ExecSql(
            m_db,
            QStringLiteral("CREATE TABLE Users (UserName TEXT, PhoneNumber TEXT, IsDisable "
                           "BOOLEAN, UserDsc TEXT, Born DATE);"
                           "INSERT INTO Users VALUES "
                           "('A','1',0,NULL,'2024-02-29'),('B','2',1,'',NULL),('C','3',0,'x',NULL);"
                           "CREATE TABLE Empty (Name TEXT);")));
    }

    void positionsAndEnds() {
        auto c = Open();
        QVERIFY(c);
        auto rs = OpenRecordset(c.get(), QStringLiteral("Users"));
        QVERIFY(rs);
        QVERIFY(!rs->Bof() && !rs->Eof());
        QCOMPARE(rs->AbsolutePosition(), 1);
        rs->MoveLast();
        QCOMPARE(NullToStr(rs->Field(QStringLiteral("UserName"))), QStringLiteral("C"));
        rs->MoveNext();
        QVERIFY(rs->Eof());
        QCOMPARE(rs->AbsolutePosition(), RowSet::adPosEOF);
        rs->MoveNext(); // stays after the last row
        QVERIFY(rs->Eof());
        rs->MoveFirst();
        rs->MovePrevious();
        QVERIFY(rs->Bof());
        QCOMPARE(rs->AbsolutePosition(), RowSet::adPosBOF);
        QVERIFY(rs->SetAbsolutePosition(2));
        QCOMPARE(NullToStr(rs->Field(QStringLiteral("UserName"))), QStringLiteral("B"));
        QVERIFY(!rs->SetAbsolutePosition(9));
        QVERIFY(rs->SetAbsolutePosition(RowSet::adPosEOF));
        QVERIFY(rs->Eof());
    }

    void emptyTable() {
        auto c = Open();
        auto rs = OpenRecordset(c.get(), QStringLiteral("Empty"));
        QVERIFY(rs);
        QVERIFY(rs->Bof() && rs->Eof());
        rs->SetSupportsApproxPosition(false);
        QCOMPARE(GetRecordCount(rs.get()), 0);
        QVERIFY(rs->Bof() && rs->Eof());
        QVERIFY(!LocateRecord(rs.get(), QStringLiteral("Name"), QString()));
    }

    void fieldTypesAndNull() {
        auto c = Open();
        auto rs = OpenRecordset(c.get(), QStringLiteral("Users"));
        QCOMPARE(rs->Field(QStringLiteral("IsDisable")).typeId(), int(QMetaType::Bool));
        QCOMPARE(NullToStr(rs->Field(QStringLiteral("IsDisable"))), QStringLiteral("False"));
        QCOMPARE(rs->Field(QStringLiteral("Born")).toDate(), QDate(2024, 2, 29));
        QVERIFY(rs->Field(QStringLiteral("UserDsc")).isNull());
        QCOMPARE(NullToStr(rs->Field(QStringLiteral("UserDsc"))), QString());
        QVERIFY(!rs->Field(QStringLiteral("NoSuchField")).isValid());
        rs->MoveNext();
        QCOMPARE(NullToStr(rs->Field(QStringLiteral("IsDisable"))), QStringLiteral("True"));
    }

    // Rows added from elsewhere are not seen; changed values are.
    void keysetSemantics() {
        auto c = Open();
        auto rs = OpenRecordset(c.get(), QStringLiteral("Users"));
        QVERIFY(TestEnv::ExecSql(m_db,
                                 QStringLiteral("INSERT INTO Users (UserName) VALUES ('D'); UPDATE "
                                                "Users SET PhoneNumber='99' WHERE UserName='A';")));
        QCOMPARE(rs->RecordCount(), 3);
        QCOMPARE(NullToStr(rs->Field(QStringLiteral("PhoneNumber"))), QStringLiteral("99"));
        auto fresh = OpenRecordset(c.get(), QStringLiteral("Users"));
        QCOMPARE(fresh->RecordCount(), 4);
    }

    void editAppendDeleteAndReopen() {
        auto c = Open();
        auto rs = OpenRecordset(c.get(), QStringLiteral("Users"));
        QVERIFY(LocateRecord(rs.get(), QStringLiteral("UserName"), QStringLiteral("B")));
        QVERIFY(rs->SetField(QStringLiteral("PhoneNumber"), QStringLiteral("0912")));
        QVERIFY(rs->SetField(QStringLiteral("IsDisable"), QStringLiteral("False")));
        QVERIFY(rs->Update());
        QVERIFY(rs->AddNew());
        QVERIFY(!rs->Bof() && !rs->Eof());
        rs->SetField(QStringLiteral("UserName"), QStringLiteral("新"));
        rs->SetField(QStringLiteral("IsDisable"), true);
        rs->SetField(QStringLiteral("Born"), QDate(2026, 12, 8));
        QVERIFY(rs->Update());
        QCOMPARE(rs->AbsolutePosition(), 4);
        QCOMPARE(NullToStr(rs->Field(QStringLiteral("UserName"))), QStringLiteral("新"));

        // Delete: the deleted row stays current until a move; the next move lands on its successor.
        QVERIFY(rs->SetAbsolutePosition(1));
        QVERIFY(rs->Delete());
        rs->MoveNext();
        QCOMPARE(NullToStr(rs->Field(QStringLiteral("UserName"))), QStringLiteral("B"));
        QCOMPARE(rs->RecordCount(), 3);

        auto again = OpenRecordset(c.get(), QStringLiteral("Users"));
        QStringList names;
        for (; !again->Eof(); again->MoveNext())
            names << NullToStr(again->Field(QStringLiteral("UserName")));
        QCOMPARE(names, (QStringList{"B", "C", "新"}));
        QVERIFY(LocateRecord(again.get(), QStringLiteral("UserName"), QStringLiteral("B")));
        QCOMPARE(NullToStr(again->Field(QStringLiteral("PhoneNumber"))), QStringLiteral("0912"));
        QVERIFY(LocateRecord(again.get(), QStringLiteral("UserName"), QStringLiteral("新")));
        QCOMPARE(again->Field(QStringLiteral("Born")).toDate(), QDate(2026, 12, 8));
        // Stored as the shared file format: 0/1 and YYYY-MM-DD.
        QVERIFY(TestEnv::ExecSql(
            m_db, QStringLiteral("CREATE TABLE chk AS SELECT typeof(IsDisable) t, IsDisable v, "
                                 "Born b FROM Users WHERE UserName='新';")));
        auto chk = OpenRecordset(c.get(), QStringLiteral("SELECT t, v, b FROM chk"));
        QCOMPARE(NullToStr(chk->Field(QStringLiteral("t"))), QStringLiteral("integer"));
        QCOMPARE(NullToStr(chk->Field(QStringLiteral("v"))), QStringLiteral("1"));
        QCOMPARE(NullToStr(chk->Field(QStringLiteral("b"))), QStringLiteral("2026-12-08"));
    }

    void movingSavesPendingEditAndCancelDiscards() {
        auto c = Open();
        auto rs = OpenRecordset(c.get(), QStringLiteral("Users"));
        rs->SetField(QStringLiteral("UserDsc"), QStringLiteral("moved"));
        rs->MoveNext();
        rs->SetField(QStringLiteral("UserDsc"), QStringLiteral("cancelled"));
        rs->CancelUpdate();
        auto check = OpenRecordset(c.get(), QStringLiteral("Users"));
        QCOMPARE(NullToStr(check->Field(QStringLiteral("UserDsc"))), QStringLiteral("moved"));
        check->MoveNext();
        QCOMPARE(NullToStr(check->Field(QStringLiteral("UserDsc"))), QString());
    }

    void clonesMoveIndependentlyAndFollowDeletes() {
        auto c = Open();
        auto rs = OpenRecordset(c.get(), QStringLiteral("Users"));
        rs->MoveLast();
        auto clone = rs->Clone();
        QCOMPARE(NullToStr(clone->Field(QStringLiteral("UserName"))), QStringLiteral("A"));
        clone->MoveNext();
        QVERIFY(clone->Delete()); // deletes B under rs
        QCOMPARE(rs->RecordCount(), 2);
        QCOMPARE(NullToStr(rs->Field(QStringLiteral("UserName"))), QStringLiteral("C"));
        QCOMPARE(rs->AbsolutePosition(), 2);
    }

    void recordCountRestoresPosition_data() {
        QTest::addColumn<int>("position");
        QTest::newRow("row 2") << 2;
        QTest::newRow("before first") << int(RowSet::adPosBOF);
        QTest::newRow("after last") << int(RowSet::adPosEOF);
    }
    void recordCountRestoresPosition() {
        QFETCH(int, position);
        auto c = Open();
        auto rs = OpenRecordset(c.get(), QStringLiteral("Users"));
        rs->SetSupportsApproxPosition(false);
        QVERIFY(rs->SetAbsolutePosition(position));
        QCOMPARE(GetRecordCount(rs.get()), 3);
        QCOMPARE(rs->AbsolutePosition(), position);
    }

    void recordCountClientCursorUsesClone() {
        auto c = Open();
        auto rs = OpenRecordset(c.get(), QStringLiteral("Users"), true);
        QVERIFY(rs->IsClientCursor());
        rs->SetSupportsApproxPosition(false);
        rs->MoveNext();
        QCOMPARE(GetRecordCount(rs.get()), 3);
        QCOMPARE(rs->AbsolutePosition(), 2);
    }

    void locateRecord() {
        auto c = Open();
        auto rs = OpenRecordset(c.get(), QStringLiteral("Users"));
        QVERIFY(LocateRecord(rs.get(), QStringLiteral("UserDsc"), QString())); // null matches ""
        QCOMPARE(NullToStr(rs->Field(QStringLiteral("UserName"))), QStringLiteral("A"));
        QVERIFY(!LocateRecord(rs.get(), QStringLiteral("UserName"), QStringLiteral("a")));
        QVERIFY(rs->Eof());
        QVERIFY(LocateRecord(rs.get(), QStringLiteral("UserDsc"), QStringLiteral("x")));
        QCOMPARE(NullToStr(rs->Field(QStringLiteral("UserName"))), QStringLiteral("C"));
    }

    void openRecordsetSources() {
        auto c = Open();
        QVERIFY(!OpenRecordset(c.get(), QString()));
        QVERIFY(!OpenRecordset(nullptr, QStringLiteral("Users")));
        auto lower =
            OpenRecordset(c.get(), QStringLiteral("select UserName from Users where IsDisable"));
        QVERIFY(lower);
        QCOMPARE(lower->RecordCount(), 1);
        QVERIFY(!lower->IsUpdatable());
        QVERIFY(!OpenRecordset(c.get(), QStringLiteral("NoSuchTable")));
        // Values are bound, so a quote neither fails nor changes the query.
        auto bound = OpenRecordset(c.get(), QStringLiteral("SELECT * FROM Users WHERE UserName=?"),
                                   false, {QStringLiteral("A' OR '1'='1")});
        QVERIFY(bound);
        QVERIFY(bound->Eof() && bound->Bof());
    }

    void connectionString() {
        ConnectionString cs;
        cs.dataSource = QStringLiteral("/p/a.cmb");
        QCOMPARE(cs.ToString(), QStringLiteral("Provider=SQLite3;Data Source=/p/a.cmb;"));
        cs.userId = QStringLiteral("u");
        cs.password = QStringLiteral("pa;ss");
        QCOMPARE(cs.ToString(), QStringLiteral("Provider=SQLite3;Data Source=/p/a.cmb;User "
                                               "ID=u;Jet OLEDB:Database Password=\"pa;ss\";"));
    }

    void missingFileGivesNothingSilently() {
        QVERIFY(!OpenMDBConn(m_ui, m_dir.filePath(QStringLiteral("none.cmb")), {}, {}));
        QVERIFY(m_ui.messages.isEmpty());
    }

    // A file that is not one of our databases takes the failure path with both messages.
    void foreignFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("[Comm]\r\nTimeOut=2\r\n");
        QTest::newRow("random") << QByteArray(4096, '\x5a');
        QByteArray truncated =
            TestEnv::ReadFile(TestEnv::StagedBin() + QStringLiteral("/RV27.mdb"));
        truncated.truncate(1500);
        QTest::newRow("truncated database") << truncated;
    }
    void foreignFiles() {
        QFETCH(QByteArray, bytes);
        const QString path = m_dir.filePath(QStringLiteral("foreign.cmb"));
        QVERIFY(TestEnv::WriteFile(path, bytes));
        auto c = OpenMDBConn(m_ui, path, {}, {});
        OpenProject p;
        if (c) {
            // An empty file is a valid empty database to the engine: it has none of our tables.
            QVERIFY(!ADOUtil::OpenProjectDB(p, m_ui, path));
        } else {
            QCOMPARE(m_ui.messages.size(), 2);
            QVERIFY(m_ui.messages[0].text.startsWith(
                QStringLiteral("OpenMDBConn Failed!\r\nConnect String:Provider=")));
            QCOMPARE(m_ui.messages[0].title, QStringLiteral("OpenMDBConn Failed"));
            QCOMPARE(m_ui.messages[1].title, QStringLiteral("KORVA"));
        }
        QCOMPARE(TestEnv::ReadFile(path), bytes); // left untouched
    }

    // A hostile file: a trigger or a view that would run code on our writes never fires.
    void hostileDatabaseRunsNothing() {
        const QString path = m_dir.filePath(QStringLiteral("hostile.cmb"));
        QFile::remove(path);
        QVERIFY(TestEnv::ExecSql(
            path, QStringLiteral("CREATE TABLE Users (UserName TEXT); CREATE TABLE Log (x TEXT);"
                                 "INSERT INTO Users VALUES ('a');"
                                 "CREATE TRIGGER t AFTER UPDATE ON Users BEGIN INSERT INTO Log "
                                 "VALUES ('fired'); END;"
                                 "CREATE VIEW V AS SELECT load_extension('/tmp/evil.so');")));
        auto c = OpenMDBConn(m_ui, path, {}, {});
        QVERIFY(c);
        auto rs = OpenRecordset(c.get(), QStringLiteral("Users"));
        QVERIFY(rs);
        rs->SetField(QStringLiteral("UserName"), QStringLiteral("b"));
        const bool saved = rs->Update();
        auto log = OpenRecordset(c.get(), QStringLiteral("SELECT * FROM Log"));
        QVERIFY(log);
        QCOMPARE(log->RecordCount(), 0);
        Q_UNUSED(saved);
        QVERIFY(!OpenRecordset(c.get(), QStringLiteral("SELECT * FROM V")));
    }

    void openAndCloseProjectDb() {
        const QString path = m_dir.filePath(QStringLiteral("p.mir"));
        QFile::remove(path);
        QVERIFY(QFile::copy(TestEnv::StagedBin() + QStringLiteral("/RV27.mdb"), path));
        QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
        OpenProject p;
        QVERIFY(ADOUtil::OpenProjectDB(p, m_ui, path));
        QCOMPARE(GetRecordCount(p.Zones.get()), 64);
        QCOMPARE(NullToStr(p.Basic->Field(QStringLiteral("DeviceModelName"))),
                 QStringLiteral("VX700-RV27MS"));
        auto keep = p.Users->Clone();
        ADOUtil::CloseProjectDB(p);
        QVERIFY(!p.conn && !p.Basic && !p.Zones);
        QVERIFY(!keep->IsOpen()); // a row set outliving its connection is closed, not dangling
        QVERIFY(keep->Eof());
    }
};

QTEST_GUILESS_MAIN(TestRowSet)
#include "tst_RowSet.moc"
