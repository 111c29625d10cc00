// The row set and the data-access procedures over real database files.
#include "ScriptedUi.h"
#include "TestEnv.h"
#include "db/ADOUtil.h"
#include "store/OpenProject.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace ADOUtil;
Q_DECLARE_METATYPE(DbFault)

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

    // Every statement of a text runs; one that fails stops the rest and fails the call.
    void executeRunsEveryStatement_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("names");
        QTest::newRow("two") << "INSERT INTO Empty VALUES('x'); INSERT INTO Empty VALUES('y');"
                             << true << "x,y";
        QTest::newRow("trailing comment")
            << "INSERT INTO Empty VALUES('x'); -- done" << true << "x";
        QTest::newRow("second fails")
            << "INSERT INTO Empty VALUES('x'); INSERT INTO Nowhere VALUES(1); "
               "INSERT INTO Empty VALUES('z')"
            << false << "x";
        QTest::newRow("parameter in the second")
            << "INSERT INTO Empty VALUES(?1); INSERT INTO Empty VALUES(?1)" << false << "p";
    }
    void executeRunsEveryStatement() {
        QFETCH(QString, sql);
        QFETCH(bool, ok);
        QFETCH(QString, names);
        auto c = Open();
        const QVariantList params{QStringLiteral("p")};
        QCOMPARE(c->Execute(sql, sql.contains(u'?') ? params : QVariantList()), ok);
        if (!ok) QVERIFY(!c->ErrorDescription().isEmpty());
        auto rs = OpenRecordset(c.get(), QStringLiteral("SELECT Name FROM Empty"));
        QStringList got;
        for (; !rs->Eof(); rs->MoveNext())
            got << rs->Field(QStringLiteral("Name")).toString();
        QCOMPARE(got.join(u','), names);
    }

    // A held lock is let go at the end of its scope; a connection gone within is left alone.
    void heldLock() {
        auto c = Open();
        auto other = Open();
        {
            const Connection::HeldLock lock(c.get());
            QVERIFY(!OpenRecordset(c.get(), QStringLiteral("Users"))->Eof());
        }
        QElapsedTimer t;
        t.start();
        QVERIFY(other->Execute(QStringLiteral("INSERT INTO Empty VALUES('x')")));
        QVERIFY(t.elapsed() < 500);
        {
            const Connection::HeldLock lock(c.get());
            QVERIFY(!OpenRecordset(c.get(), QStringLiteral("Users"))->Eof());
            c.reset(); // the project closed while events ran
        }
        QVERIFY(other->Execute(QStringLiteral("INSERT INTO Empty VALUES('y')")));
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
        // A field is found in any letter case, the second time as the first; a clone too.
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(NullToStr(rs->Field(QStringLiteral("USERNAME"))), QStringLiteral("A"));
            QVERIFY(!rs->Field(QStringLiteral("NoSuchField")).isValid());
            QVERIFY(!rs->HasField(QStringLiteral("NoSuchField")));
        }
        QCOMPARE(NullToStr(rs->Clone()->Field(QStringLiteral("phonenumber"))), QStringLiteral("1"));
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

    // A value over the engine's length limit fails the write; it is never stored as NULL.
    void overLongValueFailsTheWrite() {
        auto c = Open();
        auto rs = OpenRecordset(c.get(), QStringLiteral("Users"));
        QVERIFY(LocateRecord(rs.get(), QStringLiteral("UserName"), QStringLiteral("C")));
        const QString huge(Connection::kMaxValueBytes + 1, u'd');
        QVERIFY(rs->SetField(QStringLiteral("UserDsc"), huge));
        QVERIFY(!rs->Update());
        QVERIFY(
            !c->Execute(QStringLiteral("UPDATE Users SET UserDsc=?1 WHERE UserName='B'"), {huge}));
        QCOMPARE(c->ErrorDescription(), QStringLiteral("string or blob too big"));
        auto again = OpenRecordset(c.get(), QStringLiteral("SELECT UserName, UserDsc FROM Users"));
        QStringList dsc;
        for (; !again->Eof(); again->MoveNext())
            dsc << again->Field(QStringLiteral("UserDsc")).toString() + u'/' +
                       (again->Field(QStringLiteral("UserDsc")).isNull() ? u'N' : u'T');
        QCOMPARE(dsc, (QStringList{"/N", "/T", "x/T"}));
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

    // The first six letters, upper-cased, tell a statement from a table name.
    void openRecordsetStatementOrTable_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("rows");          // -1: nothing opened
        QTest::addColumn<bool>("updatable");    // a whole table
        QTest::addColumn<QString>("afterward"); // the Users rows, name and description
        const QString same = QStringLiteral("A,|B,|C,x");
        QTest::newRow("select") << "select UserName from Users" << 3 << false << same;
        QTest::newRow("update") << "update Users set UserDsc='u' where UserName='A'" << 0 << false
                                << "A,u|B,|C,x";
        QTest::newRow("delete") << "Delete FROM Users WHERE UserName='B'" << 0 << false << "A,|C,x";
        QTest::newRow("insert") << "INSERT INTO Users(UserName) VALUES('D')" << 0 << false
                                << "A,|B,|C,x|D,";
        QTest::newRow("insert returning")
            << "insert into Users(UserName) values('E') returning UserName" << 0 << false
            << "A,|B,|C,x|E,";
        QTest::newRow("table") << "Users" << 3 << true << same;
        QTest::newRow("table named like a statement") << "Updates" << -1 << false << same;
        QTest::newRow("failing statement") << "UPDATE Nothing SET x=1" << -1 << false << same;
    }
    void openRecordsetStatementOrTable() {
        QFETCH(QString, source);
        QFETCH(int, rows);
        QFETCH(bool, updatable);
        QFETCH(QString, afterward);
        QVERIFY(TestEnv::ExecSql(m_db, QStringLiteral("CREATE TABLE Updates (x TEXT);")));
        auto c = Open();
        auto rs = OpenRecordset(c.get(), source);
        QCOMPARE(rs ? GetRecordCount(rs.get()) : -1, rows);
        QCOMPARE(rs && rs->IsUpdatable(), updatable);
        auto check = OpenRecordset(
            c.get(), QStringLiteral("SELECT UserName||','||ifnull(UserDsc,'') AS r FROM Users"));
        QStringList seen;
        for (; check && !check->Eof(); check->MoveNext())
            seen << NullToStr(check->Field(QStringLiteral("r")));
        QCOMPARE(seen.join(u'|'), afterward);
        QVERIFY(m_ui.messages.isEmpty());
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

    // Code in the schema would run on our reads and writes: such a file is refused before
    // anything is read, while extra plain columns and indexes stay acceptable.
    void schemaWithCodeIsRefused_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("refused");
        QTest::newRow("trigger") << "CREATE TABLE Log (x TEXT); CREATE TRIGGER t AFTER UPDATE ON "
                                    "Users BEGIN INSERT INTO Log VALUES ('fired'); END;"
                                 << true;
        QTest::newRow("view") << "CREATE VIEW V AS SELECT load_extension('/tmp/evil.so');" << true;
        QTest::newRow("virtual table") << "CREATE VIRTUAL TABLE R USING rtree(id, a, b);" << true;
        QTest::newRow("generated column")
            << "ALTER TABLE Users ADD COLUMN G TEXT GENERATED ALWAYS AS "
               "(printf('%.*c',200000000,'x')) VIRTUAL;"
            << true;
        QTest::newRow("extra column and index")
            << "ALTER TABLE Users ADD COLUMN Extra TEXT; CREATE INDEX i ON Users(UserName);"
            << false;
    }
    void schemaWithCodeIsRefused() {
        QFETCH(QString, sql);
        QFETCH(bool, refused);
        QVERIFY(TestEnv::ExecSql(m_db, sql));
        Connection c;
        ConnectionString cs;
        cs.dataSource = m_db;
        QElapsedTimer t;
        t.start();
        QCOMPARE(c.Open(cs), !refused);
        QCOMPARE(c.Fault(), refused ? DbFault::Unsupported : DbFault::None);
        QVERIFY(t.elapsed() < 2000);
    }

    // What the engine can tell about a damaged file is checked on open and told apart from a
    // file that is no database, or one holding values far beyond ours.
    void faultsFoundOnOpen_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("cut"); // bytes cut off the end; -1: no database at all
        QTest::addColumn<DbFault>("fault");
        QTest::newRow("sound") << "" << 0 << DbFault::None;
        QTest::newRow("one byte short") << "" << 1 << DbFault::Damaged;
        QTest::newRow("NUL in a text")
            << "UPDATE Users SET UserDsc=CAST(x'610062' AS TEXT)" << 0 << DbFault::Damaged;
        QTest::newRow("not UTF-8")
            << "UPDATE Users SET UserDsc=CAST(x'61ff' AS TEXT)" << 0 << DbFault::Damaged;
        QTest::newRow("1 MB value")
            << "UPDATE Users SET UserDsc=hex(zeroblob(500000))" << 0 << DbFault::Unsupported;
        QTest::newRow("no database") << "" << -1 << DbFault::NotDatabase;
    }
    void faultsFoundOnOpen() {
        QFETCH(QString, sql);
        QFETCH(int, cut);
        QFETCH(DbFault, fault);
        if (!sql.isEmpty()) QVERIFY(TestEnv::ExecSql(m_db, sql));
        QByteArray bytes = TestEnv::ReadFile(m_db);
        if (cut < 0)
            bytes.fill('x');
        else
            bytes.chop(cut);
        QVERIFY(TestEnv::WriteFile(m_db, bytes));
        Connection c;
        ConnectionString cs;
        cs.dataSource = m_db;
        QCOMPARE(c.Open(cs), fault == DbFault::None);
        QCOMPARE(c.Fault(), fault);
    }

    // A statement that would run for ever, or make a value beyond the limit, is stopped.
    void runawayStatementsAreStopped() {
        auto c = Open();
        QVERIFY(!c->Execute(QStringLiteral("CREATE TABLE Big AS SELECT zeroblob(1000000) AS b")));
        QVERIFY(c->ErrorDescription().contains(QLatin1String("too big")));
        QElapsedTimer t;
        t.start();
        QVERIFY(!c->Execute(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n) SELECT max(i) FROM n")));
        QVERIFY(t.elapsed() < Connection::kStatementDeadlineMs + 2000);
        QCOMPARE(c->ErrorDescription(),
                 QStringLiteral("The database took longer than 3 s and was stopped"));
        QVERIFY(c->Execute(QStringLiteral("UPDATE Users SET PhoneNumber='5'"))); // still usable
    }

    // A row is read once per move: fields come from that read until a move or a write
    // through the connection (this row set or a clone).
    void rowIsReadOncePerMove() {
        auto c = Open();
        auto rs = OpenRecordset(c.get(), QStringLiteral("Users"));
        auto clone = rs->Clone();
        QCOMPARE(NullToStr(rs->Field(QStringLiteral("PhoneNumber"))), QStringLiteral("1"));
        QVERIFY(TestEnv::ExecSql(m_db, QStringLiteral("UPDATE Users SET PhoneNumber='7'")));
        QCOMPARE(NullToStr(rs->Field(QStringLiteral("PhoneNumber"))), QStringLiteral("1"));
        rs->MoveFirst();
        QCOMPARE(NullToStr(rs->Field(QStringLiteral("PhoneNumber"))), QStringLiteral("7"));
        clone->SetField(QStringLiteral("PhoneNumber"), QStringLiteral("8"));
        QVERIFY(clone->Update());
        QCOMPARE(NullToStr(rs->Field(QStringLiteral("PhoneNumber"))), QStringLiteral("8"));
        rs->SetField(QStringLiteral("PhoneNumber"), QStringLiteral("9"));
        QVERIFY(rs->Update());
        QCOMPARE(NullToStr(clone->Field(QStringLiteral("PhoneNumber"))), QStringLiteral("9"));
    }

    // Rows are read ahead in batches: a write through another row set on the connection, or a
    // rollback, is seen by the next row read, in the batch or beyond it.
    void batchFollowsWritesAndRollbacks() {
        QVERIFY(TestEnv::ExecSql(m_db, QStringLiteral("CREATE TABLE T (n INTEGER, v TEXT);"
                                                      "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL "
                                                      "SELECT i+1 FROM k WHERE i < 1000) "
                                                      "INSERT INTO T SELECT i, 'v'||i FROM k;")));
        auto c = Open();
        auto rs = OpenRecordset(c.get(), QStringLiteral("T"));
        auto other = OpenRecordset(c.get(), QStringLiteral("T"));
        QMap<int, QString> expected;
        for (int i = 1; i <= 1000; ++i)
            expected[i] = QStringLiteral("v%1").arg(i);
        const auto write = [&](RowSet* at, int n, const QString& v) {
            QVERIFY(at->SetAbsolutePosition(n));
            QVERIFY(at->SetField(QStringLiteral("v"), v));
            QVERIFY(at->Update());
        };
        int n = 0;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            ++n;
            QCOMPARE(rs->Field(QStringLiteral("n")).toInt(), n);
            QCOMPARE(NullToStr(rs->Field(QStringLiteral("v"))), expected[n]);
            if (n == 3) { // the next row, in this batch; a row far ahead; through a clone
                write(other.get(), 4, expected[4] = QStringLiteral("other"));
                write(other.get(), 700, expected[700] = QStringLiteral("far"));
                write(rs->Clone().get(), 5, expected[5] = QStringLiteral("clone"));
            }
            if (n == 20) { // our own write, then a rolled back one
                rs->SetField(QStringLiteral("v"), expected[20] = QStringLiteral("own"));
                QVERIFY(rs->Update());
                QCOMPARE(NullToStr(rs->Field(QStringLiteral("v"))), QStringLiteral("own"));
                QVERIFY(c->BeginTransaction());
                write(other.get(), 21, QStringLiteral("gone"));
                QCOMPARE(NullToStr(rs->Field(QStringLiteral("v"))), QStringLiteral("own"));
                rs->MoveNext();
                QCOMPARE(NullToStr(rs->Field(QStringLiteral("v"))), QStringLiteral("gone"));
                QVERIFY(c->Rollback());
                QCOMPARE(NullToStr(rs->Field(QStringLiteral("v"))), expected[21]);
                ++n;
            }
        }
        QCOMPARE(n, 1000);
    }

    // The finder gives the row LocateRecord gives: the first whose text equals the value.
    void finderFindsWhatLocateFinds_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("first of two") << "UserName"
                                      << "B";
        QTest::newRow("case counts") << "UserName"
                                     << "b";
        QTest::newRow("null is empty") << "UserDsc"
                                       << "";
        QTest::newRow("yes/no text") << "IsDisable"
                                     << "True";
        QTest::newRow("none") << "UserName"
                              << "Z";
    }
    void finderFindsWhatLocateFinds() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QVERIFY(TestEnv::ExecSql(m_db, QStringLiteral("INSERT INTO Users VALUES "
                                                      "('B','4',1,'',NULL),('b','5',0,'y',NULL)")));
        auto c = Open();
        auto located = OpenRecordset(c.get(), QStringLiteral("Users"));
        auto found = OpenRecordset(c.get(), QStringLiteral("Users"));
        RowFinder finder(found.get(), field);
        for (int twice = 0; twice < 2; ++twice) {
            const bool hit = LocateRecord(located.get(), field, value);
            QCOMPARE(finder.Locate(value), hit);
            QCOMPARE(found->Eof(), located->Eof());
            QCOMPARE(found->Bookmark(), located->Bookmark());
            found->MoveFirst();
        }
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
