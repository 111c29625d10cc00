// korvactl against the simulated dialer: connecting, reading the registers, changing the
// COM1 settings (the simulator's state shows what the device took), tracing, and failures.
#include "../devsim/DevsimHarness.h"
#include "../download/Oracle.h"
#include "support/ProjectEnv.h"
#include "support/TestEnv.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {
struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run Korvactl(const QStringList& args) {
    QProcess p;
    p.start(TestEnv::StagedBin() + QStringLiteral("/korvactl"), args);
    Run r;
    if (!p.waitForStarted(5000) || !p.waitForFinished(60000)) return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// A project file made from the shipped template, with SQL run on it.
QString MakeProject(const QTemporaryDir& dir, const QString& sql) {
    const QString path = dir.filePath(QStringLiteral("Site.cmb"));
    QFile::remove(path);
    QFile::copy(TestEnv::StagedBin() + QStringLiteral("/RV27.mdb"), path);
    QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
    return TestEnv::ExecSql(path, sql) ? path : QString();
}

// A simulator whose terminal is left to korvactl.
bool StartSim(devsimtest::Sim& sim, const QStringList& extra = {}) {
    if (!sim.Start(extra)) return false;
    sim.CloseTty();
    return true;
}
} // namespace

class tst_korvactl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void infoConnects();
    void infoFailsWhenTheDeviceIsSilent();
    void infoOnAMissingPort_data();
    void infoOnAMissingPort();
    void registersListsEveryRow();
    void setCommNeedsYesAndChangesTheDevice();
    void setCommRefusesARateTheModelLacks();
    void traceShowsTheFrames();
    void downloadPutsTheProjectIntoTheDevice_data();
    void downloadPutsTheProjectIntoTheDevice();
    void checkJudgesTheSize_data();
    void checkJudgesTheSize();
    void exportEditImport();
    void usage();
    void sheetWritesThePdf_data();
    void sheetWritesThePdf();
    void historyAndDiffAfterRealDownloads();
    void killedDownloadLeavesItsStartedRow();
    void diffOfTwoFiles();
};

void tst_korvactl::infoConnects() {
    devsimtest::Sim sim;
    QVERIFY2(StartSim(sim, {QStringLiteral("--com1"), QStringLiteral("0xC4")}),
             qPrintable(sim.error));
    const Run r = Korvactl({QStringLiteral("info"), QStringLiteral("--port"), sim.Link(),
                            QStringLiteral("--lang"), QStringLiteral("ChineseBig5")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral(
                        "[連線簡訊報警機]\n連線至簡訊報警機成功!\n\nModel No.: VX700-RV27MS\n"
                        "S/N : 12-09-2143-785634-12\nCommnunication Settings : 19200, E, 8, 1\n"));
    QVERIFY(r.err.contains(QStringLiteral("連線簡訊報警機: 正在連線中...")));
    const Run e = Korvactl({QStringLiteral("info"), QStringLiteral("--port"), sim.Link(),
                            QStringLiteral("--lang"), QStringLiteral("English")});
    QCOMPARE(e.code, 0);
    QVERIFY(e.out.startsWith(
        QStringLiteral("[Connect to SMS Alarm Dialer]\nConnected to the SMS alarm dialer!")));
}

void tst_korvactl::infoFailsWhenTheDeviceIsSilent() {
    devsimtest::Sim sim;
    QVERIFY2(StartSim(sim, {QStringLiteral("--sw2"), QStringLiteral("off")}),
             qPrintable(sim.error));
    const Run r =
        Korvactl({QStringLiteral("info"), QStringLiteral("--port"), sim.Link(),
                  QStringLiteral("--timeout"), QStringLiteral("0"), QStringLiteral("--retry"),
                  QStringLiteral("1"), QStringLiteral("--lang"), QStringLiteral("ChineseBig5")});
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.contains(
        QStringLiteral("[連線簡訊報警機]\n連線至簡訊報警機失敗! \n請檢查下列項目:\n")));
    QVERIFY(r.err.contains(QStringLiteral("3. 簡訊報警機的指撥開關SW2是否設為 ON (設定模式)")));
    QVERIFY(r.out.isEmpty());
    QCOMPARE(sim.State()
                 .value(QStringLiteral("counters"))
                 .toObject()
                 .value(QStringLiteral("framesSilent"))
                 .toInt(),
             2);
}

void tst_korvactl::infoOnAMissingPort_data() {
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("reason");
    QTest::newRow("English") << "English"
                             << "[Communication error]"
                             << "] The port does not exist.";
    // Made at build time from the Traditional text, with the mainland word for the port.
    QTest::newRow("Simplified") << "chinesegb"
                                << "[Communication Error]"
                                << "] 找不到此串口。";
}

void tst_korvactl::infoOnAMissingPort() {
    QFETCH(QString, lang);
    QFETCH(QString, title);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ttyNONE"));
    const Run r = Korvactl(
        {QStringLiteral("info"), QStringLiteral("--port"), path, QStringLiteral("--lang"), lang});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(title), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("[") + path + reason), qPrintable(r.err));
}

void tst_korvactl::registersListsEveryRow() {
    devsimtest::Sim sim;
    QVERIFY2(StartSim(sim, {QStringLiteral("--com1"), QStringLiteral("0xC3"),
                            QStringLiteral("--coils"), QStringLiteral("0x8000000000000005")}),
             qPrintable(sim.error));
    const Run r = Korvactl({QStringLiteral("registers"), QStringLiteral("--port"), sim.Link()});
    QCOMPARE(r.code, 0);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 14);
    QVERIFY(lines[0].startsWith(QStringLiteral("Name ")));
    QVERIFY(lines[0].endsWith(QStringLiteral("Address  Function  Count  Value")));
    auto value = [&](const QString& name) {
        for (const QString& l : lines)
            if (l.startsWith(name + u' ')) return l.section(u' ', -1);
        return QString();
    };
    QCOMPARE(value(QStringLiteral("Model ID")), QStringLiteral("4106"));
    QCOMPARE(value(QStringLiteral("Product S/N")), QStringLiteral("3412785621431209"));
    QCOMPARE(value(QStringLiteral("Setting of COM1")), QStringLiteral("00C3"));
    QCOMPARE(value(QStringLiteral("Current Alarm")), QStringLiteral("0500000000000080"));
    QVERIFY(lines[10].startsWith(QStringLiteral("Slave ID of COM1")));
    QVERIFY(lines[10].contains(QStringLiteral("0080H")));

    // A device that stops answering part-way: the rows read so far, then the failure.
    sim.Control("sw2 off");
    const Run s = Korvactl({QStringLiteral("registers"), QStringLiteral("--port"), sim.Link(),
                            QStringLiteral("--timeout"), QStringLiteral("0"),
                            QStringLiteral("--retry"), QStringLiteral("0")});
    QCOMPARE(s.code, 1);
    QVERIFY(s.err.contains(QStringLiteral("No valid response reading \"Model ID\"")));
    QVERIFY(s.err.endsWith(QStringLiteral("(port ") + sim.Link() + QStringLiteral(")\n")));
}

void tst_korvactl::setCommNeedsYesAndChangesTheDevice() {
    devsimtest::Sim sim;
    QVERIFY2(StartSim(sim), qPrintable(sim.error));
    const QStringList change{
        QStringLiteral("set-comm"), QStringLiteral("--port"),     sim.Link(),
        QStringLiteral("--slave"),  QStringLiteral("12"),         QStringLiteral("--baud"),
        QStringLiteral("38400"),    QStringLiteral("--parity"),   QStringLiteral("odd"),
        QStringLiteral("--lang"),   QStringLiteral("ChineseBig5")};
    const Run no = Korvactl(change);
    QCOMPARE(no.code, 1);
    QVERIFY(no.out.contains(QStringLiteral("是否要將新的通訊參數, 存入簡訊報警機中?")));
    QVERIFY(no.err.contains(QStringLiteral("--yes")));
    QJsonObject id = sim.State().value(QStringLiteral("identity")).toObject();
    QCOMPARE(id.value(QStringLiteral("com1SlaveId")).toInt(), 1);
    QCOMPARE(id.value(QStringLiteral("com1Setting")).toInt(), 0x03);

    const Run yes = Korvactl(change + QStringList{QStringLiteral("--yes")});
    QCOMPARE(yes.code, 0);
    QVERIFY(yes.out.contains(QStringLiteral("設定報警機通訊參數成功!")));
    id = sim.State().value(QStringLiteral("identity")).toObject();
    QCOMPARE(id.value(QStringLiteral("com1SlaveId")).toInt(), 12);
    QCOMPARE(id.value(QStringLiteral("com1Setting")).toInt(), 0x85);

    // The same values again: nothing to write.
    const Run same = Korvactl(change + QStringList{QStringLiteral("--yes")});
    QCOMPARE(same.code, 0);
    QVERIFY(same.out.contains(QStringLiteral("Nothing changed.")));
    QVERIFY(!same.out.contains(QStringLiteral("是否要將")));
}

void tst_korvactl::setCommRefusesARateTheModelLacks() {
    devsimtest::Sim sim;
    QVERIFY2(StartSim(sim), qPrintable(sim.error));
    const Run r =
        Korvactl({QStringLiteral("set-comm"), QStringLiteral("--port"), sim.Link(),
                  QStringLiteral("--baud"), QStringLiteral("14400"), QStringLiteral("--yes"),
                  QStringLiteral("--lang"), QStringLiteral("ChineseBig5")});
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.contains(QStringLiteral("通訊速率錯誤!")));
    QCOMPARE(sim.State()
                 .value(QStringLiteral("identity"))
                 .toObject()
                 .value(QStringLiteral("com1Setting"))
                 .toInt(),
             0x03);
    const Run bad = Korvactl({QStringLiteral("set-comm"), QStringLiteral("--port"), sim.Link(),
                              QStringLiteral("--slave"), QStringLiteral("256")});
    QCOMPARE(bad.code, 2);
}

void tst_korvactl::traceShowsTheFrames() {
    devsimtest::Sim sim;
    QVERIFY2(StartSim(sim), qPrintable(sim.error));
    const Run r = Korvactl(
        {QStringLiteral("info"), QStringLiteral("--port"), sim.Link(), QStringLiteral("--trace")});
    QCOMPARE(r.code, 0);
    static const QRegularExpression tx(
        QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} TX f7 04 00 06 00 01 c5 5d$"),
        QRegularExpression::MultilineOption);
    static const QRegularExpression rx(
        QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} RX f7 04 02 "),
        QRegularExpression::MultilineOption);
    QVERIFY2(tx.match(r.err).hasMatch(), qPrintable(r.err));
    QVERIFY(rx.match(r.err).hasMatch());
    QCOMPARE(r.err.count(QStringLiteral(" TX ")), 5);
}

void tst_korvactl::downloadPutsTheProjectIntoTheDevice_data() {
    QTest::addColumn<bool>("unicode");
    QTest::newRow("Big5") << false;
    QTest::newRow("Unicode") << true;
}

void tst_korvactl::downloadPutsTheProjectIntoTheDevice() {
    QFETCH(bool, unicode);
    QTemporaryDir dir;
    const QString project = MakeProject(dir, oracle::RichProjectSql(unicode));
    QVERIFY(!project.isEmpty());
    const QByteArray before = TestEnv::ReadFile(project);
    const oracle::Records want = oracle::Expected(project);
    QCOMPARE(want.phoneBook.size(), 4);
    QCOMPARE(want.shortMessages.size(), 5);
    int size = 0;
    for (const QByteArray& r : want.phoneBook + want.shortMessages)
        size += int(r.size()) - 9 + 4;

    const Run check = Korvactl({QStringLiteral("check"), project});
    QCOMPARE(check.code, 0);
    QVERIFY2(
        check.out.contains(QStringLiteral("Groups: 3\nPhonebook entries: 4\nShort messages: 5")),
        qPrintable(check.out));
    QVERIFY(check.out.contains(QStringLiteral("Memory: %1 of 16384 bytes").arg(size)));

    // The frames korvactl would send are the oracle's records with a valid check code.
    const Run image = Korvactl({QStringLiteral("image"), project, QStringLiteral("--hex")});
    QCOMPARE(image.code, 0);
    const QStringList frames = image.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(frames.size(), 9);
    for (int i = 0; i < frames.size(); ++i) {
        const QByteArray frame = QByteArray::fromHex(frames[i].toLatin1());
        QVERIFY(devsimtest::CrcGood(frame));
        QCOMPARE(frame.chopped(2).toHex(' '),
                 (want.phoneBook + want.shortMessages).at(i).toHex(' '));
    }
    const Run text = Korvactl({QStringLiteral("image"), project});
    QVERIFY(text.out.startsWith(
        QStringLiteral("phonebook k=1 group=1 flags=00 \"0912345678\"\nphonebook k=2 group=2 ")));
    QVERIFY(text.out.contains(
        QStringLiteral("message code=128 zone=63 reset group=255 flags=%1 bytes=%2 \"y\"")
            .arg(unicode ? QStringLiteral("c1") : QStringLiteral("c0"))
            .arg(unicode ? 2 : 1)));

    devsimtest::Sim sim;
    QVERIFY2(StartSim(sim), qPrintable(sim.error));
    const QStringList download{QStringLiteral("download"),   project,
                               QStringLiteral("--port"),     sim.Link(),
                               QStringLiteral("--dump-dir"), dir.path(),
                               QStringLiteral("--lang"),     QStringLiteral("English")};
    // Without --yes the confirmation is declined: nothing reaches the device.
    const Run no = Korvactl(download);
    QCOMPARE(no.code, 1);
    QCOMPARE(sim.State()
                 .value(QStringLiteral("counters"))
                 .toObject()
                 .value(QStringLiteral("framesReceived"))
                 .toInt(),
             0);
    const oracle::Verdict empty = oracle::Judge(project, sim.StatePath()); // the judge does tell
    QCOMPARE(empty.code, 1);
    QVERIFY2(empty.text.startsWith(QStringLiteral("phonebook k 1: missing")),
             qPrintable(empty.text));

    const Run yes = Korvactl(download + QStringList{QStringLiteral("--yes")});
    QVERIFY2(yes.code == 0, qPrintable(yes.out + yes.err));
    static const QRegularExpression finished(QStringLiteral("\\[(\\d+)/\\1\\]\n"));
    QVERIFY2(finished.match(yes.err).hasMatch(), qPrintable(yes.err));
    sim.State();
    const oracle::Verdict verdict = oracle::Judge(project, sim.StatePath());
    QVERIFY2(verdict.code == 0, qPrintable(verdict.text));
    QCOMPARE(TestEnv::ReadFile(dir.filePath(QStringLiteral("PhoneBook.dbg"))).toHex(' '),
             want.phoneBook.join().toHex(' '));
    QCOMPARE(TestEnv::ReadFile(dir.filePath(QStringLiteral("SHORTMSG.dbg"))).toHex(' '),
             want.shortMessages.join().toHex(' '));
    QCOMPARE(TestEnv::ReadFile(project), before);
}

void tst_korvactl::checkJudgesTheSize_data() {
    QTest::addColumn<int>("lastReset"); // characters of the last message
    QTest::addColumn<int>("code");
    // 127 messages of 60 characters, one of lastReset, and one 1-digit contact, on 8192 bytes.
    QTest::newRow("exactly the memory") << 55 << 0;
    QTest::newRow("one byte more") << 56 << 1;
}

void tst_korvactl::checkJudgesTheSize() {
    QFETCH(int, lastReset);
    QFETCH(int, code);
    QTemporaryDir dir;
    const QString project = MakeProject(
        dir,
        QStringLiteral(
            "UPDATE Basic SET DeviceModelName = 'VX700-RV27S';"
            "INSERT INTO UserGroups (GroupName, GroupDsc) VALUES ('G', '');"
            "INSERT INTO Users (UserName, PhoneNumber, IsDisable, UserDsc, GroupName) VALUES ('A', "
            "'1', 0, '', 'G');"
            "UPDATE Zones SET GroupName = 'ALL', AlarmSMS = substr(hex(zeroblob(30)), 1, 60),"
            " ResetSMS = substr(hex(zeroblob(30)), 1, CASE ZoneNo WHEN 63 THEN %1 ELSE 60 END);")
            .arg(lastReset));
    const QString sdb = TestEnv::StagedBin() + QStringLiteral("/KORVA.sdb");
    const QString recent = ProjectEnv::Sql3(sdb, QStringLiteral("SELECT FilePath FROM MRUList"));
    const Run r = Korvactl({QStringLiteral("check"), project});
    QCOMPARE(r.code, code);
    QCOMPARE(ProjectEnv::Sql3(sdb, QStringLiteral("SELECT FilePath FROM MRUList")),
             recent); // no recent file
    QVERIFY2(r.out.contains(QStringLiteral("Memory: %1 of 8192 bytes").arg(8192 + code)),
             qPrintable(r.out + r.err));
    QCOMPARE(r.err.contains(QStringLiteral("1 more than the device's memory")), code == 1);

    // Refused by the check itself: no group.
    const Run none =
        Korvactl({QStringLiteral("check"), MakeProject(dir, QStringLiteral("SELECT 1;"))});
    QCOMPARE(none.code, 1);
    QVERIFY(!none.out.contains(QStringLiteral("Memory:")));
    QCOMPARE(Korvactl({QStringLiteral("check"), dir.filePath(QStringLiteral("missing.cmb"))}).code,
             1);
}

// A person exports the contacts, edits the file in a spreadsheet and imports it: nothing
// changes until the import is agreed to.
void tst_korvactl::exportEditImport() {
    QTemporaryDir dir;
    const QString project =
        MakeProject(dir, QStringLiteral("INSERT INTO UserGroups VALUES ('G', '');"
                                        "INSERT INTO Users VALUES ('Tom', '0911', 0, '', 'G');"));
    const QString csv = dir.filePath(QStringLiteral("c.csv"));
    const QStringList en{QStringLiteral("--lang"), QStringLiteral("English")};
    const Run out = Korvactl(
        QStringList{QStringLiteral("export"), project, QStringLiteral("--contacts"), csv} + en);
    QCOMPARE(out.code, 0);
    QCOMPARE(TestEnv::ReadFile(csv),
             QByteArray("\xEF\xBB\xBF"
                        "Contact name,Telephone number,Groups,Disabled,Description\r\n"
                        "Tom,0911,G,no,\r\n"));
    TestEnv::WriteFile(csv, TestEnv::ReadFile(csv).replace("0911", "0922") +
                                QStringLiteral("王小明,0933,新群組,yes,\r\n").toUtf8());
    const QString before = ProjectEnv::Sql3(project, QStringLiteral("SELECT * FROM Users"));
    const QStringList import{QStringLiteral("import"), project, QStringLiteral("--contacts"), csv};
    const Run refused = Korvactl(import + en);
    QCOMPARE(refused.code, 1);
    QVERIFY2(refused.out.contains(QStringLiteral("3\tRefused\t王小明\tThe contact group [新群組]")),
             qPrintable(refused.out));
    const Run declined = Korvactl(import + en + QStringList{QStringLiteral("--create-groups")});
    QCOMPARE(declined.code, 1); // no terminal and no --yes: the question is declined
    QVERIFY(
        declined.out.contains(QStringLiteral("New: 1   Changes: 1   Unchanged: 0   Refused: 0")));
    QCOMPARE(ProjectEnv::Sql3(project, QStringLiteral("SELECT * FROM Users")), before);
    const Run agreed =
        Korvactl(import + QStringList{QStringLiteral("--create-groups"), QStringLiteral("--yes")});
    QCOMPARE(agreed.code, 0);
    QCOMPARE(ProjectEnv::Sql3(project, QStringLiteral("SELECT UserName, PhoneNumber, IsDisable, "
                                                      "GroupName FROM Users")),
             QStringLiteral("Tom|0922|0|G\n王小明|0933|1|新群組"));
    QCOMPARE(Korvactl({QStringLiteral("export"), project}).code, 2); // which table?
}

void tst_korvactl::usage() {
    QCOMPARE(Korvactl({}).code, 2);
    QCOMPARE(Korvactl({QStringLiteral("frobnicate")}).code, 2);
    QCOMPARE(Korvactl({QStringLiteral("check")}).code, 2); // no project
    QCOMPARE(Korvactl({QStringLiteral("info"), QStringLiteral("extra")}).code, 2);
    const Run lang =
        Korvactl({QStringLiteral("info"), QStringLiteral("--lang"), QStringLiteral("Klingon")});
    QCOMPARE(lang.code, 2);
    QVERIFY2(lang.err.contains(QStringLiteral("AUTO, ChineseBig5, ChineseGB, English")),
             qPrintable(lang.err));
    const Run ports = Korvactl({QStringLiteral("ports")});
    QCOMPARE(ports.code, 0);
    // The help shows two examples of every command and names the port used without --port.
    const Run help = Korvactl({QStringLiteral("--help")});
    for (const char* command :
         {"ports", "info", "registers", "set-comm", "check", "image", "download"}) {
        const QRegularExpression example(
            QStringLiteral("\n +korvactl %1\\b").arg(QLatin1String(command)));
        QVERIFY2(help.out.count(example) == 2, command);
    }
    QVERIFY(help.out.contains(QStringLiteral("(/dev/ttyS0)")));
    // A device command without --port says which port it tried.
    const Run info =
        Korvactl({QStringLiteral("info"), QStringLiteral("--timeout"), QStringLiteral("0"),
                  QStringLiteral("--retry"), QStringLiteral("0")});
    QCOMPARE(info.code, 1);
    QVERIFY(info.err.contains(
        QStringLiteral("(port /dev/ttyS0, the default: choose one with --port)")));
}

// What a poppler tool prints for a file.
QString Poppler(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(30000)) return QStringLiteral("<%1 did not finish>").arg(tool);
    return QString::fromUtf8(p.readAllStandardOutput());
}

void tst_korvactl::sheetWritesThePdf_data() {
    QTest::addColumn<QString>("paper");
    QTest::addColumn<QString>("pageSize"); // as pdfinfo names it
    QTest::newRow("A4") << "a4"
                        << "(A4)";
    QTest::newRow("Letter") << "Letter"
                            << "(letter)";
}

void tst_korvactl::sheetWritesThePdf() {
    QFETCH(QString, paper);
    QFETCH(QString, pageSize);
    QTemporaryDir dir;
    // Three groups of twenty contacts and every zone with Chinese messages: several pages.
    const QString project = MakeProject(
        dir, QStringLiteral(
                 "INSERT INTO UserGroups VALUES ('G1',''),('G2',''),('G3','');"
                 "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 59)"
                 " INSERT INTO Users (UserName, PhoneNumber, IsDisable, UserDsc, GroupName)"
                 " SELECT 'U' || i, printf('09120000%02d', i), i % 7 = 0, '', 'G' || (i % 3 + 1)"
                 " FROM n;"
                 "UPDATE Zones SET ZoneName = '區' || ZoneNo, GroupName = 'ALL',"
                 " AlarmSMS = '倉庫' || ZoneNo || '號門被打開', ResetSMS = '倉庫門已關閉';"));
    const QString pdf = dir.filePath(QStringLiteral("Site.pdf"));
    const Run r = Korvactl({QStringLiteral("sheet"), project, QStringLiteral("--pdf"), pdf,
                            QStringLiteral("--paper"), paper, QStringLiteral("--lang"),
                            QStringLiteral("ChineseBig5")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    const QString info = Poppler(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY2(info.contains(pageSize), qPrintable(info));
    static const QRegularExpression pagesLine(QStringLiteral("Pages:\\s+(\\d+)"));
    const int pages = pagesLine.match(info).captured(1).toInt();
    QVERIFY2(pages > 1, qPrintable(info));
    // Fonts map some shared glyphs to compatibility characters; read the text as NFKC.
    const QString text =
        Poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
            .normalized(QString::NormalizationForm_KC);
    for (const QString& t :
         {QStringLiteral("專案資料表: Site"), QStringLiteral("0912000042"),
          QStringLiteral("倉庫63號門被打開"), QStringLiteral("第 %1 頁，共 %1 頁").arg(pages)})
        QVERIFY2(text.contains(t.normalized(QString::NormalizationForm_KC)), qPrintable(t));
    // Every font is embedded.
    const QStringList fonts =
        Poppler(QStringLiteral("pdffonts"), {pdf}).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(fonts.size() > 2);
    for (const QString& line : fonts.mid(2))
        QVERIFY2(line.contains(QStringLiteral(" yes ")), qPrintable(line));

    // A file that cannot be written: a message naming it, and no file.
    const QString nowhere = dir.filePath(QStringLiteral("missing/Site.pdf"));
    const Run bad = Korvactl({QStringLiteral("sheet"), project, QStringLiteral("--pdf"), nowhere});
    QCOMPARE(bad.code, 1);
    QVERIFY2(bad.err.contains(QStringLiteral("[") + nowhere + QStringLiteral("]")),
             qPrintable(bad.err));
    QVERIFY(!QFileInfo::exists(nowhere));
    QCOMPARE(Korvactl({QStringLiteral("sheet"), project}).code, 2); // no --pdf
}

namespace {
QJsonArray HistoryJson(const QString& history, const QStringList& extra = {}) {
    const Run r = Korvactl(QStringList{QStringLiteral("history"), QStringLiteral("--json"),
                                       QStringLiteral("--history"), history} +
                           extra);
    return QJsonDocument::fromJson(r.out.toUtf8()).array();
}
} // namespace

// A download through the simulator is recorded with the dialer read before sending; one cut
// at a phonebook record leaves an incomplete row and says what the dialer holds; diff
// --device compares with the image recorded.
void tst_korvactl::historyAndDiffAfterRealDownloads() {
    QTemporaryDir dir;
    const QString project = MakeProject(dir, oracle::RichProjectSql(false));
    const QString history = dir.filePath(QStringLiteral("h/DownloadHistory.sqlite"));
    const QString sn = QStringLiteral("12-09-2143-785634-12");
    // Four identity reads, two clears, then phonebook record 3 goes unanswered.
    devsimtest::Sim cut;
    QVERIFY2(StartSim(cut, {QStringLiteral("--drop-nth"), QStringLiteral("9")}),
             qPrintable(cut.error));
    const QStringList download{QStringLiteral("download"),
                               project,
                               QStringLiteral("--yes"),
                               QStringLiteral("--history"),
                               history,
                               QStringLiteral("--retry"),
                               QStringLiteral("0"),
                               QStringLiteral("--timeout"),
                               QStringLiteral("0"),
                               QStringLiteral("--lang"),
                               QStringLiteral("English"),
                               QStringLiteral("--dump-dir"),
                               dir.path()};
    const Run failed = Korvactl(download + QStringList{QStringLiteral("--port"), cut.Link()});
    QCOMPARE(failed.code, 1);
    QVERIFY2(failed.err.contains(
                 QStringLiteral("The dialer now holds an incomplete configuration: phonebook "
                                "records 1 to 2 of 4, no messages.\nDownload again before "
                                "leaving setting mode (SW2 ON).")),
             qPrintable(failed.err));
    QJsonArray rows = HistoryJson(history);
    QCOMPARE(rows.size(), 1);
    QJsonObject row = rows[0].toObject();
    QCOMPARE(row["outcome"].toString(), QStringLiteral("incomplete"));
    QCOMPARE(row["phoneBookSent"].toInt(), 2);
    QCOMPARE(row["serialNo"].toString(), sn);
    QCOMPARE(row["modelName"].toString(), QStringLiteral("VX700-RV27MS"));
    QCOMPARE(row["projectPath"].toString(), QDir::toNativeSeparators(project));
    // The dialer holds part of the project: never reported as equal.
    const QStringList diffDevice{QStringLiteral("diff"),      project,
                                 QStringLiteral("--device"),  sn,
                                 QStringLiteral("--history"), history};
    const Run partial = Korvactl(diffDevice);
    QCOMPARE(partial.code, 1);
    QVERIFY2(partial.err.contains(QStringLiteral("which was incomplete: phonebook 2/4")),
             qPrintable(partial.err));

    devsimtest::Sim sim;
    QVERIFY2(StartSim(sim), qPrintable(sim.error));
    const Run ok = Korvactl(download + QStringList{QStringLiteral("--port"), sim.Link()});
    QVERIFY2(ok.code == 0, qPrintable(ok.err));
    rows = HistoryJson(history, {QStringLiteral("--device"), sn});
    QCOMPARE(rows.size(), 2);
    row = rows[0].toObject(); // newest first
    QCOMPARE(row["outcome"].toString(), QStringLiteral("succeeded"));
    QCOMPARE(row["records"].toInt(), 9);
    QCOMPARE(row["imageSha256"].toString(),
             QString::fromLatin1(
                 QCryptographicHash::hash(oracle::Expected(project).phoneBook.join() +
                                              oracle::Expected(project).shortMessages.join(),
                                          QCryptographicHash::Sha256)
                     .toHex()));
    QCOMPARE(HistoryJson(history, {QStringLiteral("--project"), project}).size(), 2);
    QCOMPARE(HistoryJson(history, {QStringLiteral("--device"), QStringLiteral("00")}).size(), 0);
    const Run text = Korvactl({QStringLiteral("history"), QStringLiteral("--history"), history});
    QCOMPARE(text.out.count(u'\n'), 2);
    QVERIFY(text.out.contains(QStringLiteral("\tsucceeded\t") + sn));

    const Run same =
        Korvactl(diffDevice + QStringList{QStringLiteral("--lang"), QStringLiteral("English")});
    QCOMPARE(same.code, 0);
    QCOMPARE(same.out, QStringLiteral("Both hold the same content.\n"));
    QVERIFY(TestEnv::ExecSql(project, QStringLiteral("UPDATE Users SET PhoneNumber='0911' WHERE "
                                                     "UserName='Ann'")));
    const Run changed =
        Korvactl(diffDevice + QStringList{QStringLiteral("--lang"), QStringLiteral("English")});
    QCOMPARE(changed.code, 1);
    QCOMPARE(changed.out,
             QStringLiteral("Contacts\n  changed: Ann number: \"0912345678\" -> \"0911\"\n"));
    const Run json = Korvactl(diffDevice + QStringList{QStringLiteral("--json")});
    QCOMPARE(json.code, 1);
    const QJsonObject diff = QJsonDocument::fromJson(json.out.toUtf8()).object();
    QCOMPARE(diff["differences"].toArray().size(), 1);
    QCOMPARE(diff["differences"].toArray()[0].toObject()["field"].toString(),
             QStringLiteral("number"));
    const Run unknown = Korvactl({QStringLiteral("diff"), project, QStringLiteral("--device"),
                                  QStringLiteral("00"), QStringLiteral("--history"), history});
    QCOMPARE(unknown.code, 2);
}

// A program stopped in the middle leaves the row written at the start.
void tst_korvactl::killedDownloadLeavesItsStartedRow() {
    QTemporaryDir dir;
    const QString project = MakeProject(dir, oracle::RichProjectSql(true));
    const QString history = dir.filePath(QStringLiteral("DownloadHistory.sqlite"));
    devsimtest::Sim sim; // the phonebook's clear goes unanswered: korvactl waits
    QVERIFY2(StartSim(sim, {QStringLiteral("--drop-nth"), QStringLiteral("5")}),
             qPrintable(sim.error));
    QProcess p;
    p.start(TestEnv::StagedBin() + QStringLiteral("/korvactl"),
            {QStringLiteral("download"), project, QStringLiteral("--yes"), QStringLiteral("--port"),
             sim.Link(), QStringLiteral("--history"), history, QStringLiteral("--timeout"),
             QStringLiteral("30"), QStringLiteral("--dump-dir"), dir.path()});
    QVERIFY(p.waitForStarted(5000));
    QTRY_COMPARE_WITH_TIMEOUT(HistoryJson(history).size(), 1, 20000);
    p.kill();
    QVERIFY(p.waitForFinished(5000));
    const QJsonObject row = HistoryJson(history)[0].toObject();
    QCOMPARE(row["outcome"].toString(), QStringLiteral("started"));
    QCOMPARE(row["ended"].toString(), QString());
    QCOMPARE(row["serialNo"].toString(), QStringLiteral("12-09-2143-785634-12"));
}

// Two files: equal, different, not readable; the usage.
void tst_korvactl::diffOfTwoFiles() {
    QTemporaryDir a, b;
    const QString one = MakeProject(a, oracle::RichProjectSql(false));
    const QString two =
        MakeProject(b, oracle::RichProjectSql(false) +
                           QStringLiteral("UPDATE Basic SET ModifiedDate='2030-01-02';"));
    QCOMPARE(Korvactl({QStringLiteral("diff"), one, two}).code, 0);
    QVERIFY(
        TestEnv::ExecSql(two, QStringLiteral("DELETE FROM UserGroups WHERE GroupName='Night'")));
    const Run r = Korvactl({QStringLiteral("diff"), one, two, QStringLiteral("--lang"),
                            QStringLiteral("ChineseBig5")});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QStringLiteral("群組\n  移除: Night\n"));
    QCOMPARE(Korvactl({QStringLiteral("diff"), one, a.filePath(QStringLiteral("none.cmb"))}).code,
             2);
    QCOMPARE(Korvactl({QStringLiteral("diff"), one}).code, 2);
    QCOMPARE(Korvactl({QStringLiteral("history"), one}).code, 2);
}

QTEST_GUILESS_MAIN(tst_korvactl)
#include "tst_korvactl.moc"
