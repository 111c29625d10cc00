// Contacts and zones as comma-separated files: the verdict of every row under the dialogs'
// rules, the header in each language, the file faults, the round trip and the one
// transaction that writes an import.
#include "editing/CsvExchange.h"
#include "editing/EditEnv.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStringEncoder>
#include <sys/stat.h>

using namespace CsvExchange;

namespace {
const QString kContacts = QStringLiteral("連絡人名稱,電話號碼,連絡人群組,暫停使用,說明\r\n");
const QString kZones = QStringLiteral(
    "警報點,警報點名稱,警報點說明,警報發起訊息,警報復歸訊息,通知的連絡人群組,暫停使用\r\n");
// Groups G1, G2; Tom in G1; Ann in G1 and G2, disabled.
QString Filled() {
    return GroupsSql({"G1", "G2"}) + UserSql("Tom", "0911", "G1") +
           UserSql("Ann", "0922", "G1|G2", 1, "boss");
}

// One line per row: the verdict, and for a change or a refusal its details.
QStringList Verdicts(const ImportPlan& plan) {
    QStringList out;
    for (const RowVerdict& r : plan.rows)
        out << (r.verdict == Verdict::New         ? QStringLiteral("New")
                : r.verdict == Verdict::Unchanged ? QStringLiteral("Unchanged")
                : r.verdict == Verdict::Changes   ? QStringLiteral("Changes:") + r.details
                                                  : QStringLiteral("Refused:") + r.details);
    return out;
}

bool Load(EditEnv& env, Table table, const QString& text, bool create, QByteArray bytes = {}) {
    const QString path = env.InProjects(QStringLiteral("in.csv"));
    TestEnv::WriteFile(path, bytes.isEmpty() ? text.toUtf8() : bytes);
    CsvImportForm& f = env.c().forms.csvImport;
    f.chkCreateGroups = create;
    return f.LoadFormObj(env.c(), table, path);
}
// The one message of a file the import refuses whole.
void Check(EditEnv& env, const QString& reason) {
    QCOMPARE(env.ui.messages.size(), 1);
    QVERIFY2(env.ui.messages[0].text.endsWith(reason), qPrintable(env.ui.messages[0].text));
    QCOMPARE(env.ui.messages[0].title, QStringLiteral("匯入失敗"));
}
} // namespace

class tst_CsvExchange : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void verdicts_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("zones");
        QTest::addColumn<QString>("csv");
        QTest::addColumn<bool>("create");
        QTest::addColumn<QStringList>("expected"); // a refusal: the start of its reason
        QTest::newRow("same, changed, new")
            << Filled() << false
            << kContacts + "Tom,0911,G1,否,\r\nann,0922,G2;g1,1,boss\r\nBob,+886912,G2,0,x" << false
            << QStringList{"Unchanged", "Changes:連絡人群組", "New"};
        QTest::newRow("name rules")
            << Filled() << false << kContacts + "NONE,1,,0,\r\n,1,,0,\r\nBob,1,,0,\r\n bob ,2,,0,"
            << false
            << QStringList{"Refused:不合法的使用者群組名稱！ 本使用者名稱[NONE]",
                           "Refused:本使用者名稱不得為空白。", "New",
                           "Refused:檔案中已有連絡人[bob]的資料列。"};
        QTest::newRow("telephone rule")
            << Filled() << false
            << kContacts + "A,12a,,0,\r\nB,,,0,\r\nC,0123456789012345678901,,0,\r\nTom,,G1,0,"
            << false
            << QStringList{"Refused: 電話號碼只能輸入數字", "Refused:本電話簿不得為空",
                           "Refused: 電話號碼不得大於20個數字", "Refused:本電話簿不得為空"};
        QTest::newRow("missing group refused")
            << Filled() << false << kContacts + "Bob,1,G9,0," << false
            << QStringList{"Refused:連絡人群組[G9]不存在"};
        QTest::newRow("missing group created")
            << Filled() << false << kContacts + "Bob,1,G9;g2,0,\r\nCy,1,g9,0,\r\nDi,1,ALL,0,"
            << true
            << QStringList{"New", "New", "Refused:不合法的使用者群組名稱！ 本使用者群組名稱[ALL]"};
        QTest::newRow("flags and field count")
            << Filled() << false
            << kContacts + "Bob,1,,Yes,\r\nCy,1,,maybe,\r\nDi,1\r\nEd,1,,0,,extra" << false
            << QStringList{"New", "Refused:無法辨識的暫停使用值[maybe]",
                           "Refused:此列有2個欄位，標題列有5個。",
                           "Refused:此列有6個欄位，標題列有5個。"};
        // 29 contacts and Ann in G1 and G2, three in G1: 63 of the model's 64 targets.
        QTest::newRow("targets up to the model's limit")
            << QStringLiteral("UPDATE Basic SET DeviceModelName='VX700-RV27S';") + Filled() +
                   UserSql("Cy", "1", "G1") + UserSql("Di", "1", "G1") +
                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < 29) "
                   "INSERT INTO Users(UserName,PhoneNumber,IsDisable,UserDsc,GroupName) SELECT "
                   "'U'||i, '1', 0, '', 'G1'||char(13)||char(10)||'G2' FROM n;"
            << false << kContacts + "Tom,0911,G1;G2,0,\r\nCy,1,G1;G2,0," << false
            << QStringList{"Changes:連絡人群組", "Refused:通知對象[群組/連絡人]已超過最大筆數[64]"};
        QTest::newRow("texts under the editors' rules")
            << Filled() << false
            << kContacts + "Tom,0911,G1,0,a" + QChar(0) + "b\r\nBob,1,,0," + QString(256, u'x') +
                   "\r\nCy,1,,0,\"tab\there\"\r\nAnn,0922,G1;G2,1,boss"
            << false
            << QStringList{"Refused:[說明]不得含有控制字元[U+0000]", "Refused:[說明]有256個字元",
                           "Refused:[說明]不得含有控制字元[U+0009]", "Unchanged"};
        QTest::newRow("formula prefixes removed")
            << Filled() << false
            << kContacts + "'=1+1,'+886912,,0,'@x\r\n'abc,'0933,,0,''=y\r\nTom,'0911,G1,0," << false
            << QStringList{"New", "New", "Unchanged"};
        QTest::newRow("group names with separators")
            << Filled() << false
            << kContacts + "Bob,1,\"\"\"Sales;North\"\";G1\",0,\r\nCy,1,\"\"\"Sales;North\"\"\",0,"
                           "\r\nDi,1,\"a\"\"b\",0,"
            << true << QStringList{"New", "New", "Refused:連絡人群組欄位的引號不合規則"};
        QTest::newRow("zone texts under the editors' rules")
            << Filled() << true
            << kZones + "1,a\tb,,,,,0\r\n2,," + QString(256, u'x') + ",,,,0\r\n3,,,,x" +
                   QChar(0x1B) + ",,0\r\n4,'=x,'-y,'+z,'@w,,0"
            << false
            << QStringList{"Refused:[警報點名稱]不得含有控制字元[U+0009]",
                           "Refused:[警報點說明]有256個字元",
                           "Refused:[警報復歸訊息]不得含有控制字元[U+001B]",
                           "Changes:警報點名稱, 警報點說明, 警報發起訊息, 警報復歸訊息"};
        QTest::newRow("zone numbers 5 and 05")
            << Filled() << true << kZones + "5,,,,,,0\r\n05,,,,,,0" << false
            << QStringList{"Unchanged", "Refused:檔案中已有警報點[05]的資料列。"};
        QTest::newRow("English subset keeps the rest")
            << Filled() << false
            << QStringLiteral("Telephone number,Contact name,Notes\n0999,Ann,x") << false
            << QStringList{"Changes:電話號碼"};
        QTest::newRow("Simplified header")
            << Filled() << false << QStringLiteral("连络人名称,电话号码\nTom,0911") << false
            << QStringList{"Unchanged"};
        QTest::newRow("model limit")
            << QStringLiteral("UPDATE Basic SET DeviceModelName='VX700-RV27S';"
                              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n "
                              "WHERE i < 63) INSERT INTO Users(UserName,PhoneNumber,IsDisable,"
                              "UserDsc,GroupName) SELECT 'U'||i, '1', 0, '', '' FROM n;")
            << false << kContacts + "N1,1,,0,\r\nN2,1,,0," << false
            << QStringList{"New", "Refused:連絡人已超過最大筆數[64]"};
        QTest::newRow("names alike in case: the first stored row")
            << Filled() + UserSql("TOM", "0999", "G2") << false
            << kContacts + "tOm,0911,G1,0,\r\nTOm,0911,G1,0," << false
            << QStringList{"Unchanged", "Refused:檔案中已有連絡人[TOm]的資料列。"};
        QTest::newRow("zones")
            << Filled() << true
            << kZones +
                   "3,Door,,Open,Closed,G1,0\r\n99,x,,,,,0\r\n3,,,,,,0\r\n"
                   "4,,,,,All contact groups,0\r\n5,,," +
                   QString(161, u'a') + ",,,0\r\n6,,,,,,否\r\n7,,,,,G7,0"
            << false
            << QStringList{"Changes:警報點名稱, 警報發起訊息, 警報復歸訊息, 通知的連絡人群組",
                           "Refused:專案沒有警報點[99]。",
                           "Refused:檔案中已有警報點[3]的資料列。",
                           "Changes:通知的連絡人群組",
                           "Refused:警報發起訊息長度不得超過160個位元組!",
                           "Unchanged",
                           "Refused:連絡人群組[G7]不存在"};
        QTest::newRow("zones of a Unicode project: its length rule")
            << Filled() + "UPDATE Basic SET IsUnicode = 1;" << true
            << kZones + "3,,," + QString(71, u'a') + ",,,0\r\n4,,," + QString(70, u'警') + ",,,0"
            << false
            << QStringList{"Refused:警報發起訊息長度不得超過70個字!", "Changes:警報發起訊息"};
    }
    void verdicts() {
        QFETCH(QString, sql);
        QFETCH(bool, zones);
        QFETCH(QString, csv);
        QFETCH(bool, create);
        QFETCH(QStringList, expected);
        EditEnv env;
        QVERIFY(env.OpenWith(sql));
        QVERIFY(Load(env, zones ? Table::Zones : Table::Contacts, csv, create));
        const QStringList got = Verdicts(env.c().forms.csvImport.plan);
        QCOMPARE(got.size(), expected.size());
        for (int i = 0; i < got.size(); ++i)
            QVERIFY2(got[i].startsWith(expected[i]), qPrintable(got[i]));
        // Judging tells nothing to the person and changes nothing.
        QVERIFY(env.ui.messages.isEmpty());
        QVERIFY(!env.p().IsModified);
    }

    void headerInTheAppliedLanguage_data() {
        QTest::addColumn<int>("locale");
        QTest::addColumn<QString>("contacts");
        QTest::addColumn<QString>("tom");
        QTest::newRow("Chinese") << 1028 << kContacts << "Tom,'0911,G1,否,\r\n";
        QTest::newRow("English") << 1033
                                 << "Contact name,Telephone number,Groups,Disabled,Description\r\n"
                                 << "Tom,'0911,G1,no,\r\n";
    }
    void headerInTheAppliedLanguage() {
        QFETCH(int, locale);
        QFETCH(QString, contacts);
        QFETCH(QString, tom);
        EditEnv env(locale);
        QVERIFY(env.OpenWith(Filled()));
        const QString path = env.InProjects(QStringLiteral("out.csv"));
        int rows = 0;
        QVERIFY(ExportFile(env.c(), Table::Contacts, path, &rows));
        QCOMPARE(rows, 2);
        const QByteArray bytes = TestEnv::ReadFile(path);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(QString::fromUtf8(bytes.mid(3)).startsWith(contacts + tom));
        // The menu's export proposes the project's folder.
        env.ui.files.enqueue(path);
        QVERIFY(ExportCommand(env.c(), Table::Contacts));
        QCOMPARE(env.ui.fileDialogs.last().initialDir, QFileInfo(env.p().ProjPath).absolutePath());
    }

    void fileFaults_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("quoting") << (kContacts + "Tom,\"0911\n").toUtf8()
                                 << "第2行的引號不合 CSV 的規則。";
        QTest::newRow("not text") << QByteArray("\xA1\x30\xA1\x30", 4)
                                  << "檔案不是 UTF-8 或 Big5 編碼的文字。請將檔案另存為 UTF-8 "
                                     "後再匯入。";
        QTest::newRow("GBK") << QByteArray("\xC1\xAC\xC2\xE7\xC8\xCB\xC3\xFB\xB3\xC6\r\n"
                                           "\xD5\xC5\xCE\xB0\r\n")
                             << "檔案看來是簡體中文（GB）編碼，以 Big5 讀取會變成亂碼；請將檔案"
                                "另存為 UTF-8 後再匯入。";
        QTest::newRow("UTF-16 without mark")
            << QByteArray(QStringEncoder(QStringEncoder::Utf16LE).encode(kContacts + "Tom,1"))
            << "檔案看來是沒有位元組順序標記的 UTF-16 文字；請將檔案另存為 UTF-8 後再匯入。";
        QTest::newRow("larger than 8 MB")
            << (kContacts + "Tom,1,,0,").toUtf8() + QByteArray(8 * 1024 * 1024, 'x')
            << "檔案大於8 MB，不會是一個專案的連絡人或警報點。";
        QTest::newRow("header only") << kContacts.toUtf8() << "檔案沒有標題列以外的資料列。";
        QTest::newRow("no name column")
            << QByteArray("電話號碼\n1\n") << "標題列沒有欄位[連絡人名稱]。";
        QTest::newRow("twice") << QByteArray("Contact name,連絡人名稱\na,b\n")
                               << "標題列的欄位[連絡人名稱]出現兩次。";
    }
    void fileFaults() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        EditEnv env;
        QVERIFY(env.OpenWith(Filled()));
        QVERIFY(!Load(env, Table::Contacts, {}, false, bytes));
        Check(env, reason);
    }
    // Devices, FIFOs and folders are never opened, so nothing can block or run on for ever.
    void specialFilesAreNotRead_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("device") << "/dev/zero"
                                << "這不是一般的檔案（裝置）。";
        QTest::newRow("folder") << "/tmp"
                                << "這不是一般的檔案（資料夾）。";
        QTest::newRow("FIFO") << "fifo"
                              << "這不是一般的檔案（具名管道 (FIFO)）。";
    }
    void specialFilesAreNotRead() {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        EditEnv env;
        QVERIFY(env.OpenWith(Filled()));
        if (!path.startsWith(u'/')) {
            path = env.InProjects(path);
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        }
        CsvImportForm& f = env.c().forms.csvImport;
        QVERIFY(!f.LoadFormObj(env.c(), Table::Contacts, path));
        Check(env, reason);
    }
    // Export then import of the same files finds every row unchanged, Big5 included.
    void roundTripChangesNothing() {
        EditEnv env;
        QVERIFY(env.OpenWith(Filled() + UserSql("Quo", "1", "", 0, "a,\"b\"\r\nc") +
                             "UPDATE Zones SET ZoneName='前門', AlarmSMS='門,開\"了\"', "
                             "GroupName='ALL', IsDisable=1 WHERE ZoneNo=2;"));
        for (Table t : {Table::Contacts, Table::Zones}) {
            const QString path = env.InProjects(QStringLiteral("rt.csv"));
            QVERIFY(ExportFile(env.c(), t, path));
            const QString text = QString::fromUtf8(TestEnv::ReadFile(path).mid(3));
            for (const QByteArray& bytes :
                 {QByteArray(), QByteArray(QStringEncoder("Big5").encode(text))}) {
                QVERIFY(Load(env, t, text, false, bytes));
                const ImportPlan& plan = env.c().forms.csvImport.plan;
                QCOMPARE(plan.rows.size(), t == Table::Contacts ? 3 : 64);
                QCOMPARE(plan.Count(Verdict::Unchanged), plan.rows.size());
            }
        }
    }

    // Projects with names as hostile as the rules allow (formula starts, separators, quotes,
    // the quote mark, punctuation of every kind) leave export and import unchanged; no cell
    // of the file starts like a formula.
    void roundTripOfHostileNames_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 8; ++seed)
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
    }
    void roundTripOfHostileNames() {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        const QString alphabet = QStringLiteral("=+-@'\";,!#$%&()*./:<>?[\\]^_`{|}~ aZ9門張");
        const auto name = [&](int maxLength) {
            QString n;
            const int length = 1 + int(random.bounded(quint32(maxLength)));
            for (int i = 0; i < length; ++i)
                n += alphabet[int(random.bounded(quint32(alphabet.size())))];
            n = n.trimmed();
            return n.isEmpty() ? QStringLiteral("x") : n;
        };
        const auto sqlText = [](QString t) {
            return u'\'' + t.replace(u'\'', QLatin1String("''")) + u'\'';
        };
        QStringList groups;
        QString sql;
        while (groups.size() < 5) {
            const QString g = name(12);
            if (g.compare(QStringLiteral("ALL"), Qt::CaseInsensitive) == 0 ||
                g.compare(QStringLiteral("NONE"), Qt::CaseInsensitive) == 0 ||
                groups.contains(g, Qt::CaseInsensitive))
                continue;
            groups << g;
            sql += QStringLiteral("INSERT INTO UserGroups VALUES(") + sqlText(g) +
                   QStringLiteral(",'');");
        }
        for (int i = 0; i < 12; ++i) {
            const QString u = name(20) + QString::number(i);
            const QString phone = i % 2 ? QStringLiteral("+8869") + QString::number(i)
                                        : QStringLiteral("09") + QString::number(i);
            QStringList member;
            for (const QString& g : groups)
                if (random.bounded(3) == 0) member << g;
            // Joined, not .arg(): a generated name may hold "%1".
            sql += QStringLiteral("INSERT INTO Users VALUES(") + sqlText(u) + u',' +
                   sqlText(phone) + u',' + QString::number(i % 3 == 0) + u',' + sqlText(name(30)) +
                   u',' + sqlText(member.join(QStringLiteral("\r\n"))) + QStringLiteral(");");
        }
        for (int zone = 0; zone < 64; zone += 7)
            sql += QStringLiteral("UPDATE Zones SET ZoneName=") + sqlText(name(20)) +
                   QStringLiteral(", ZoneDsc=") + sqlText(name(30)) +
                   QStringLiteral(", AlarmSMS=") + sqlText(name(40)) +
                   QStringLiteral(", ResetSMS=") + sqlText(name(40)) +
                   QStringLiteral(", GroupName=") + sqlText(groups[zone % groups.size()]) +
                   QStringLiteral(" WHERE ZoneNo=") + QString::number(zone) + u';';
        EditEnv env;
        QVERIFY(env.OpenWith(sql));
        for (Table t : {Table::Contacts, Table::Zones}) {
            const QString path = env.InProjects(QStringLiteral("rt.csv"));
            QVERIFY(ExportFile(env.c(), t, path));
            const QString text = QString::fromUtf8(TestEnv::ReadFile(path).mid(3));
            const CsvUtil::ParseResult parsed = CsvUtil::Parse(text);
            for (const QStringList& record : parsed.records.mid(1))
                for (const QString& cell : record)
                    QVERIFY2(cell.isEmpty() || !QStringLiteral("=+-@\t\r").contains(cell[0]),
                             qPrintable(cell));
            QVERIFY(Load(env, t, text, false));
            const ImportPlan& plan = env.c().forms.csvImport.plan;
            QVERIFY2(plan.rows.size() == (t == Table::Contacts ? 12 : 64), qPrintable(text));
            for (const RowVerdict& r : plan.rows)
                QVERIFY2(r.verdict == Verdict::Unchanged, qPrintable(r.key + u' ' + r.details));
        }
    }

    // OK writes every accepted row and the new groups at once; a write that fails leaves
    // the project as it was.
    void applyIsOneTransaction() {
        EditEnv env;
        QVERIFY(env.OpenWith(Filled() + WithCheck("Users", "length(PhoneNumber) < 8")));
        QVERIFY(Load(env, Table::Contacts,
                     kContacts + "Tom,0933,G1;G9,1,\r\nBob,1,G9,0,\r\nX,1,G8,0,", true));
        CsvImportForm& f = env.c().forms.csvImport;
        f.chkCreateGroups_Click(env.c(), false); // the choice is judged again
        QCOMPARE(Verdicts(f.plan).filter(QStringLiteral("Refused")).size(), 3);
        f.chkCreateGroups_Click(env.c(), true);
        QCOMPARE(f.Summary(env.c().ml),
                 QStringLiteral("新增: 2   變更: 1   不變: 0   拒絕: 0   將建立的群組: G9, G8"));

        QVERIFY(Load(env, Table::Contacts, kContacts + "Bob,12345678,G7,0,", true));
        QVERIFY(!f.cmdOK_Click(env.c()));
        QCOMPARE(env.Groups(), QStringLiteral("G1=\nG2="));
        QVERIFY(!env.p().IsModified);

        // The number is stored as the contact editor stores it: without its separators.
        QVERIFY(
            Load(env, Table::Contacts, kContacts + "Tom,(09) 3-3,G1;G9,1,\r\nBob,1,G9,0,", true));
        QVERIFY(f.cmdOK_Click(env.c()));
        QCOMPARE(env.Groups(), QStringLiteral("G1=\nG2=\nG9="));
        QCOMPARE(env.Users(), QStringLiteral("Tom=G1|G9\nAnn=G1|G2\nBob=G9"));
        QCOMPARE(env.Q("SELECT PhoneNumber||IsDisable FROM Users WHERE UserName='Tom'"),
                 QStringLiteral("09331"));
        QVERIFY(env.HasLeaf(QStringLiteral("Users,Bob")));
        QVERIFY(env.HasLeaf(QStringLiteral("UserGroups,G9")));
        QVERIFY(env.p().IsModified);
        QCOMPARE(env.c().NotifyTargetCount, 5);
    }

    // File > Import marks the project changed (the title's marker follows the event) and says
    // in the status bar what it wrote.
    void importCommandMarksTheProjectAndSaysWhatItWrote_data() {
        QTest::addColumn<int>("table");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("status");
        QTest::newRow("contacts") << int(Table::Contacts)
                                  << kContacts +
                                         "Tom,0933,G1,0,\r\nBob,1,G1,0,\r\nAnn,0922,G1;G2,1,boss"
                                  << "Status=已匯入 2 筆連絡人 (新增 1 筆，變更 1 筆)";
        QTest::newRow("zones") << int(Table::Zones)
                               << QStringLiteral("警報點,警報點名稱\r\n1,前門\r\n2,後門\r\n3,")
                               << "Status=已匯入 2 個警報點 (新增 0 個，變更 2 個)";
    }
    void importCommandMarksTheProjectAndSaysWhatItWrote() {
        QFETCH(int, table);
        QFETCH(QString, file);
        QFETCH(QString, status);
        EditEnv env;
        QVERIFY(env.OpenWith(Filled()));
        const QString path = env.InProjects(QStringLiteral("in.csv"));
        QVERIFY(TestEnv::WriteFile(path, file.toUtf8()));
        QSignalSpy marked(&env.c().storeEvents, &StoreEvents::modifiedChanged);
        env.ui.files.enqueue(path);
        env.ui.modalAnswers.enqueue(true);
        QVERIFY(ImportCommand(env.c(), Table(table)));
        QCOMPARE(marked.size(), 1);
        QCOMPARE(marked[0][0].toBool(), true);
        QVERIFY(env.p().IsModified);
        QCOMPARE(env.ui.statusLog.last(), status);
        QVERIFY(env.ui.messages.isEmpty());
    }

    // Rows found through the index: of names alike in case, the first stored one changes.
    void applyChangesTheFirstOfNamesAlike() {
        EditEnv env;
        QVERIFY(env.OpenWith(Filled() + UserSql("TOM", "0999", "G2") + UserSql("tom", "0988", "")));
        QVERIFY(Load(env, Table::Contacts, kContacts + "toM,0933,G1,0,\r\nBob,1,G2,0,\r\nann,1,,0,",
                     false));
        QVERIFY(env.c().forms.csvImport.cmdOK_Click(env.c()));
        QCOMPARE(env.Q("SELECT group_concat(x, ' ') FROM (SELECT UserName||'='||PhoneNumber "
                       "AS x FROM Users ORDER BY rowid)"),
                 QStringLiteral("Tom=0933 Ann=1 TOM=0999 tom=0988 Bob=1"));
    }
};

QTEST_MAIN(tst_CsvExchange)
#include "tst_CsvExchange.moc"
