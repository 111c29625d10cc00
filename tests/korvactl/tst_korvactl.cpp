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
#include <QStringEncoder>
#include <QTest>
#include <sys/stat.h>

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
    void downloadRefusesWhatTheDeviceCannotHold_data();
    void downloadRefusesWhatTheDeviceCannotHold();
    void checkJudgesTheSize_data();
    void checkJudgesTheSize();
    void exportEditImport();
    void hostileImports_data();
    void hostileImports();
    void importRespectsTheWindowsLock();
    void relativePortFromTheStartingFolder();
    void usage();
    void sheetWritesThePdf_data();
    void sheetWritesThePdf();
    void historyAndDiffAfterRealDownloads();
    void killedDownloadLeavesItsStartedRow();
    void diffOfTwoFiles();
    void severalPortsAtOnce_data();
    void severalPortsAtOnce();
};

void tst_korvactl::infoConnects() {
    devsimtest::Sim sim;
    QVERIFY2(StartSim(sim, {QStringLiteral("--com1"), QStringLiteral("0xC4")}),
             qPrintable(sim.error));
    const Run r = Korvactl({QStringLiteral("info"), QStringLiteral("--port"), sim.Link(),
                            QStringLiteral("--lang"), QStringLiteral("ChineseBig5")});
    QCOMPARE(r.code, 0);
    // Message boxes go to stderr; stdout carries only a command's own output.
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.contains(QStringLiteral(
                 "[連線簡訊報警機]\n連線至簡訊報警機成功!\n\nModel No.: VX700-RV27MS\n"
                 "S/N : 12-09-2143-785634-12\nCommnunication Settings : 19200, E, 8, 1\n")),
             qPrintable(r.err));
    QVERIFY(r.err.contains(QStringLiteral("連線簡訊報警機: 正在連線中...")));
    const Run e = Korvactl({QStringLiteral("info"), QStringLiteral("--port"), sim.Link(),
                            QStringLiteral("--lang"), QStringLiteral("English")});
    QCOMPARE(e.code, 0);
    QVERIFY(e.err.contains(
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
    QVERIFY(no.err.contains(QStringLiteral("是否要將新的通訊參數, 存入簡訊報警機中?")));
    QVERIFY(no.err.contains(QStringLiteral("--yes")));
    QJsonObject id = sim.State().value(QStringLiteral("identity")).toObject();
    QCOMPARE(id.value(QStringLiteral("com1SlaveId")).toInt(), 1);
    QCOMPARE(id.value(QStringLiteral("com1Setting")).toInt(), 0x03);

    const Run yes = Korvactl(change + QStringList{QStringLiteral("--yes")});
    QCOMPARE(yes.code, 0);
    QVERIFY(yes.err.contains(QStringLiteral("設定報警機通訊參數成功!")));
    id = sim.State().value(QStringLiteral("identity")).toObject();
    QCOMPARE(id.value(QStringLiteral("com1SlaveId")).toInt(), 12);
    QCOMPARE(id.value(QStringLiteral("com1Setting")).toInt(), 0x85);

    // The same values again: nothing to write.
    const Run same = Korvactl(change + QStringList{QStringLiteral("--yes")});
    QCOMPARE(same.code, 0);
    QVERIFY(same.out.contains(QStringLiteral("Nothing changed.")));
    QVERIFY(!same.err.contains(QStringLiteral("是否要將")));
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

void tst_korvactl::downloadRefusesWhatTheDeviceCannotHold_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("reason");
    QTest::newRow("300-digit number")
        << QStringLiteral("UPDATE Users SET PhoneNumber='%1' WHERE UserName='Ann';")
               .arg(QString(300, u'9'))
        << "The telephone number of contact [Ann] has 300 characters; it may have at most 20.";
    // Zone 64's alarm code is zone 0's reset code; zone 5 again overwrites zone 0.
    QTest::newRow("zone outside the model") << "UPDATE Zones SET ZoneNo=64 WHERE ZoneNo=5;"
                                            << "Zone [64] is not a zone of this model (0 to 63).";
    QTest::newRow("zone not a number") << "UPDATE Zones SET ZoneNo='five' WHERE ZoneNo=5;"
                                       << "Zone [five] is not a zone of this model (0 to 63).";
    QTest::newRow("zone twice")
        << "UPDATE Zones SET ZoneNo=0 WHERE ZoneNo=5;"
        << "Zone [0] appears twice; the two zones' messages would overwrite each other.";
}

// Refused before anything is sent: the dialer keeps what the last download put there.
void tst_korvactl::downloadRefusesWhatTheDeviceCannotHold() {
    QFETCH(QString, sql);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString project = MakeProject(dir, oracle::RichProjectSql(false));
    QVERIFY(!project.isEmpty());
    const QString held = dir.filePath(QStringLiteral("Held.cmb"));
    QVERIFY(QFile::copy(project, held));
    devsimtest::Sim sim;
    QVERIFY2(StartSim(sim), qPrintable(sim.error));
    const QStringList download{QStringLiteral("download"),   project,
                               QStringLiteral("--port"),     sim.Link(),
                               QStringLiteral("--dump-dir"), dir.path(),
                               QStringLiteral("--lang"),     QStringLiteral("English"),
                               QStringLiteral("--yes")};
    const Run first = Korvactl(download);
    QVERIFY2(first.code == 0, qPrintable(first.out + first.err));
    const auto received = [&sim] {
        return sim.State()
            .value(QStringLiteral("counters"))
            .toObject()
            .value(QStringLiteral("framesReceived"))
            .toInt();
    };
    const int frames = received();

    QVERIFY(TestEnv::ExecSql(project, sql));
    const Run refused = Korvactl(download);
    QCOMPARE(refused.code, 1);
    QVERIFY2(refused.err.contains(QStringLiteral("Download cancelled!\n") + reason),
             qPrintable(refused.err));
    QCOMPARE(received(), frames);
    const oracle::Verdict verdict = oracle::Judge(held, sim.StatePath());
    QVERIFY2(verdict.code == 0, qPrintable(verdict.text));
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
                        "Tom,'0911,G,no,\r\n")); // the number stays text in a spreadsheet
    TestEnv::WriteFile(csv, TestEnv::ReadFile(csv).replace("0911", "0922") +
                                QStringLiteral("王小明,0933,新群組,yes,\r\n").toUtf8());
    const QString before = ProjectEnv::Sql3(project, QStringLiteral("SELECT * FROM Users"));
    const QStringList import{QStringLiteral("import"), project, QStringLiteral("--contacts"), csv};
    const Run refused = Korvactl(import + en);
    QCOMPARE(refused.code, 1);
    QVERIFY2(refused.out.contains(QStringLiteral("3\tRefused\t王小明\tThe contact group [新群組]")),
             qPrintable(refused.out));
    QVERIFY2(refused.err.contains(QStringLiteral("1 row was refused; nothing was written.")),
             qPrintable(refused.err));
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

    // --skip-refused writes the accepted rows and says with exit 3 that some were refused.
    TestEnv::WriteFile(csv, QByteArray("Contact name,Telephone number\nTom,0944\nBad,12a\n"));
    const Run skipped =
        Korvactl(import + QStringList{QStringLiteral("--skip-refused"), QStringLiteral("--yes")});
    QCOMPARE(skipped.code, 3);
    QCOMPARE(ProjectEnv::Sql3(project, QStringLiteral("SELECT PhoneNumber FROM Users")),
             QStringLiteral("0944\n0933"));
}

// Hostile files and rows: each refused file or row leaves the project file byte for byte as
// it was and exits 1; what is accepted is what the preview said.
void tst_korvactl::hostileImports_data() {
    QTest::addColumn<QString>("kind"); // how the input is made: csv, device, fifo, readonly
    QTest::addColumn<bool>("zones");
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said"); // in stdout or stderr
    const QByteArray contacts("Contact name,Telephone number,Groups,Disabled,Description\n");
    const QByteArray zones(
        "Zone,Zone name,Description,Alarm message,Reset message,Notified group,Disabled\n");
    const QByteArray nul("\0", 1);
    const QString control = QStringLiteral("must not contain the control character [U+%1]");
    // NUL in every column of both tables.
    const QList<QPair<QByteArray, QString>> contactCells = {
        {"A" + nul + "B,1,,0,", QStringLiteral("[U+0000]")},
        {"A,1" + nul + ",,0,", QStringLiteral("The telephone number may contain digits only")},
        {"A,1,G" + nul + ",0,", QStringLiteral("[U+0000]")},
        {"A,1,,0" + nul + ",", QStringLiteral("Disabled")},
        {"A,1,,0,x" + nul + "y", control.arg(QStringLiteral("0000"))},
        {"A,1,,0,x\x1b", control.arg(QStringLiteral("001B"))},
        {"A,1,,0,\"x\ry\"", control.arg(QStringLiteral("000D"))},
        {"A,1,,0," + QByteArray(300 * 1024, 'd'), QStringLiteral("has 307200 characters")},
        {QByteArray(51, 'n') + ",1,,0,", QStringLiteral("51 characters")},
        {"A,1,,0,,extra", QStringLiteral("6 fields")},
        {"A,1,\"a\"\"b\",0,", QStringLiteral("The quotes in the groups column")},
    };
    int i = 0;
    for (const auto& [row, said] : contactCells)
        QTest::addRow("contacts %d", ++i) << "csv" << false << contacts + row + "\n" << 1 << said;
    const QList<QPair<QByteArray, QString>> zoneCells = {
        {"3" + nul + ",,,,,,0", QStringLiteral("The project has no zone")},
        {"3,a" + nul + ",,,,,0", control.arg(QStringLiteral("0000"))},
        {"3,,a" + nul + ",,,,0", control.arg(QStringLiteral("0000"))},
        {"3,,,a" + nul + ",,,0", control.arg(QStringLiteral("0000"))},
        {"3,,,,a" + nul + ",,0", control.arg(QStringLiteral("0000"))},
        {"3,,,,,G" + nul + ",0", QStringLiteral("[U+0000]")},
        {"3,,,,,,0" + nul, QStringLiteral("Disabled")},
        {"3,\ttab,,,,,0", control.arg(QStringLiteral("0009"))},
        {"3,," + QByteArray(256, 'z') + ",,,,0", QStringLiteral("256 characters")},
        {"3,,,,,,0\n03,,,,,,0", QStringLiteral("already has a row for zone [03]")},
    };
    i = 0;
    for (const auto& [row, said] : zoneCells)
        QTest::addRow("zones %d", ++i) << "csv" << true << zones + row + "\n" << 1 << said;
    QTest::newRow("endless device")
        << "device" << false << QByteArray() << 1 << "This is not a regular file (it is a device).";
    QTest::newRow("FIFO") << "fifo" << false << QByteArray() << 1
                          << "This is not a regular file (it is a named pipe (FIFO)).";
    QTest::newRow("read-only project") << "readonly" << false << contacts + "A,1,,0,\n"
                                       << 1 << "is read-only";
    QTest::newRow("over 8 MB") << "csv" << false << contacts + QByteArray(9 << 20, 'x') << 1
                               << "larger than 8 MB";
    QTest::newRow("UTF-16 without mark")
        << "csv" << false
        << QByteArray(QStringEncoder(QStringEncoder::Utf16LE).encode(QString::fromUtf8(contacts)))
        << 1 << "UTF-16 text without a byte-order mark";
    QTest::newRow("GBK") << "csv" << false
                         << contacts + "\xD5\xC5\xCE\xB0,1,,0,\xCD\xF5\xD0\xA1\xC3\xF7\n"
                         << 1 << "simplified Chinese (GB)";
    QTest::newRow("binary") << "csv" << false << QByteArray("\xA1\x30\xA1\x30") << 1
                            << "not text in UTF-8 or Big5";
    // Accepted: what the rules allow, however hostile it looks.
    QTest::newRow("UTF-16 with mark")
        << "csv" << false
        << QByteArray("\xFF\xFE") +
               QByteArray(QStringEncoder(QStringEncoder::Utf16LE)
                              .encode(QString::fromUtf8(contacts) + QStringLiteral("張偉,1,,0,\n")))
        << 0 << "2\tNew\t張偉";
    QTest::newRow("formula prefixes")
        << "csv" << false << contacts + "\"'=HYPERLINK(\"\"http://x\"\")\",'+886912,,0,'@SUM(1)\n"
        << 0 << "2\tNew\t=HYPERLINK(\"http://x\")";
    QTest::newRow("separator and quotes in a group name")
        << "csv" << false
        << contacts + "A,1,\"\"\"Sales;North\"\";\"\"say \"\"\"\"hi\"\"\"\"\"\"\",0,\n"
        << 0 << "Groups to create: Sales;North, say \"hi\"";
}

void tst_korvactl::hostileImports() {
    QFETCH(QString, kind);
    QFETCH(bool, zones);
    QFETCH(QByteArray, csv);
    QFETCH(int, code);
    QFETCH(QString, said);
    QTemporaryDir dir;
    const QString project =
        MakeProject(dir, QStringLiteral("INSERT INTO UserGroups VALUES ('G1', '');"));
    QString input = dir.filePath(QStringLiteral("in.csv"));
    if (kind == QLatin1String("device"))
        input = QStringLiteral("/dev/zero");
    else if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(input).constData(), 0600), 0);
    else
        QVERIFY(TestEnv::WriteFile(input, csv));
    if (kind == QLatin1String("readonly"))
        QVERIFY(QFile::setPermissions(project, QFile::ReadOwner));
    const QByteArray before = TestEnv::ReadFile(project);
    const Run r = Korvactl({QStringLiteral("import"), project,
                            zones ? QStringLiteral("--zones") : QStringLiteral("--contacts"), input,
                            QStringLiteral("--create-groups"), QStringLiteral("--yes"),
                            QStringLiteral("--lang"), QStringLiteral("English")});
    QVERIFY2(r.code == code, qPrintable(QString::number(r.code) + u'\n' + r.out + r.err));
    QVERIFY2((r.out + r.err).contains(said), qPrintable(r.out + r.err));
    // Messages name the person's files, never korvactl's temporary copy.
    QVERIFY2(!(r.out + r.err).contains(QStringLiteral("/korvactl-")), qPrintable(r.err));
    if (code != 0)
        QVERIFY(TestEnv::ReadFile(project) == before);
    else
        QVERIFY(TestEnv::ReadFile(project) != before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".lock")),
             QStringList());
}

// korvactl takes the project's lock as the window does: while a window (here a child process
// holding the project open) has it, an import is refused and the file stays as it was.
void tst_korvactl::importRespectsTheWindowsLock() {
    QTemporaryDir dir;
    const QString project = MakeProject(dir, QStringLiteral("SELECT 1;"));
    const QString csv = dir.filePath(QStringLiteral("c.csv"));
    QVERIFY(TestEnv::WriteFile(csv, QByteArray("Contact name,Telephone number\nTom,1\n")));
    const QString bin = dir.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    TestEnv::CopyProgramFolder(bin);
    QProcess window;
    window.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold"), bin, project});
    QVERIFY(window.waitForReadyRead(30000));
    QCOMPARE(window.readAllStandardOutput(), QByteArray("open\n"));
    const QByteArray before = TestEnv::ReadFile(project);
    const QStringList import{QStringLiteral("import"),     project,
                             QStringLiteral("--contacts"), csv,
                             QStringLiteral("--yes"),      QStringLiteral("--lang"),
                             QStringLiteral("English")};
    const Run locked = Korvactl(import);
    QCOMPARE(locked.code, 1);
    QVERIFY2(locked.err.contains(QStringLiteral("(process ") + QString::number(window.processId()) +
                                 u')'),
             qPrintable(locked.err));
    QVERIFY(TestEnv::ReadFile(project) == before);
    // Reading commands work on a copy meanwhile.
    QCOMPARE(Korvactl({QStringLiteral("image"), project}).code, 0);

    window.closeWriteChannel();
    QVERIFY(window.waitForFinished(30000));
    const Run free = Korvactl(import);
    QVERIFY2(free.code == 0, qPrintable(free.err));
    QCOMPARE(ProjectEnv::Sql3(project, QStringLiteral("SELECT UserName FROM Users")),
             QStringLiteral("Tom"));
}

// A port given as a relative path is taken from the folder korvactl was started in.
void tst_korvactl::relativePortFromTheStartingFolder() {
    devsimtest::Sim sim;
    QVERIFY2(StartSim(sim), qPrintable(sim.error));
    QTemporaryDir dir;
    QVERIFY(QFile::link(sim.Link(), dir.filePath(QStringLiteral("dialer"))));
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(TestEnv::StagedBin() + QStringLiteral("/korvactl"),
            {QStringLiteral("info"), QStringLiteral("--port"), QStringLiteral("./dialer"),
             QStringLiteral("--lang"), QStringLiteral("English")});
    QVERIFY(p.waitForFinished(60000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
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
    // The text layer gives the characters shown, as they are: ideographs, not the radicals
    // that share their glyphs, and every digit.
    const QString text =
        Poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    for (const QString& t :
         {QStringLiteral("專案資料表: Site"), QStringLiteral("0912000042"),
          QStringLiteral("倉庫63號門被打開"), QStringLiteral("第 %1 頁，共 %1 頁").arg(pages)})
        QVERIFY2(text.contains(t), qPrintable(t));
    for (const QChar c : text)
        QVERIFY2(c.unicode() < 0x2E80 || c.unicode() > 0x2FDF,
                 qPrintable(QStringLiteral("radical U+%1").arg(c.unicode(), 4, 16)));
    // In English too: Latin text is not shaped into ligatures or digit forms the text layer
    // cannot name.
    const QString english = dir.filePath(QStringLiteral("Site-en.pdf"));
    QCOMPARE(Korvactl({QStringLiteral("sheet"), project, QStringLiteral("--pdf"), english,
                       QStringLiteral("--lang"), QStringLiteral("English")})
                 .code,
             0);
    const QString englishText = Poppler(QStringLiteral("pdftotext"),
                                        {QStringLiteral("-layout"), english, QStringLiteral("-")});
    for (const QString& t : {QStringLiteral("Modified on"), QStringLiteral("VX700-RV27"),
                             QStringLiteral("0912000042"), QStringLiteral("of 16384 bytes")})
        QVERIFY2(englishText.contains(t), qPrintable(t));
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

void tst_korvactl::severalPortsAtOnce_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("declined") << false;
    QTest::newRow("confirmed, one cut and one too small") << true;
}

// A bench of four: two take the project, one (paced) loses its cable in the messages, one of
// the smaller model is refused before anything is sent. Each judged by the oracle, the table
// and the exit code; declined, nothing reaches any of them.
void tst_korvactl::severalPortsAtOnce() {
    QFETCH(bool, yes);
    QTemporaryDir dir;
    const QString project = MakeProject(dir, oracle::LargeProjectSql());
    QVERIFY(!project.isEmpty());
    const QString history = dir.filePath(QStringLiteral("DownloadHistory.sqlite"));
    devsimtest::Sim a, b, cut, small;
    QVERIFY2(StartSim(a, {QStringLiteral("--serial"), QStringLiteral("1209214378563401")}),
             qPrintable(a.error));
    QVERIFY2(StartSim(b, {QStringLiteral("--serial"), QStringLiteral("1209214378563402")}),
             qPrintable(b.error));
    QVERIFY2(StartSim(cut, {QStringLiteral("--serial"), QStringLiteral("1209214378563403"),
                            QStringLiteral("--pace")}),
             qPrintable(cut.error));
    QVERIFY2(StartSim(small, {QStringLiteral("--serial"), QStringLiteral("1209214378563404"),
                              QStringLiteral("--model-id"), QStringLiteral("0x4006")}),
             qPrintable(small.error));
    const QString list = dir.filePath(QStringLiteral("ports.txt"));
    TestEnv::WriteFile(list,
                       ("# the bench\n" + cut.Link() + "\n\n" + small.Link() + "\n").toUtf8());
    QStringList args{QStringLiteral("download"),     project,
                     QStringLiteral("--port"),       a.Link(),
                     QStringLiteral("--port"),       b.Link(),
                     QStringLiteral("--ports-from"), list,
                     QStringLiteral("--dump-dir"),   dir.filePath(QStringLiteral("dumps")),
                     QStringLiteral("--history"),    history,
                     QStringLiteral("--retry"),      QStringLiteral("0"),
                     QStringLiteral("--timeout"),    QStringLiteral("1"),
                     QStringLiteral("--lang"),       QStringLiteral("English")};
    if (yes) args << QStringLiteral("--yes");
    QProcess p;
    p.start(TestEnv::StagedBin() + QStringLiteral("/korvactl"), args);
    QVERIFY(p.waitForStarted(5000));
    QString err;
    if (yes) {
        // The cable of the paced one is pulled once it is in the messages.
        const QString sending = cut.Link() + QStringLiteral("  S/N 12-09-2143-785634-03  messages");
        QElapsedTimer t;
        t.start();
        while (!err.contains(sending) && t.elapsed() < 30000) {
            p.waitForReadyRead(100);
            err += QString::fromUtf8(p.readAllStandardError());
        }
        QVERIFY2(err.contains(sending), qPrintable(err));
        cut.Kill();
    }
    QVERIFY(p.waitForFinished(60000));
    err += QString::fromUtf8(p.readAllStandardError());
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QCOMPARE(p.exitCode(), 1);
    // One confirmation, every port and model in it.
    QCOMPARE(err.count(QStringLiteral("[Download to Several Dialers]")), 1);
    QVERIFY2(err.contains(QStringLiteral("Download the project to 3 dialers:\n  ") + a.Link() +
                          QStringLiteral("  VX700-RV27MS  12-09-2143-785634-01\n")),
             qPrintable(err));
    QVERIFY(err.contains(small.Link() + QStringLiteral("  VX700-RV27S  12-09-2143-785634-04  "
                                                       "refused: Project download failed! The "
                                                       "project to download [")));
    const auto row = [&out](const devsimtest::Sim& sim) {
        for (const QString& line : out.split(u'\n'))
            if (line.startsWith(sim.Link() + u' ')) return line.simplified();
        return QString();
    };
    QVERIFY2(row(small).contains(QStringLiteral("VX700-RV27S refused 0.0s Project download "
                                                "failed!")),
             qPrintable(out));
    QVERIFY(row(small).contains(QStringLiteral("The device memory holds 8192 bytes.")));
    QCOMPARE(small.State().value(QStringLiteral("phonebookClears")).toInt(), 0);
    if (!yes) {
        QVERIFY(err.contains(QStringLiteral("Nothing was sent.")));
        for (devsimtest::Sim* sim : {&a, &b, &cut})
            QCOMPARE(sim->State().value(QStringLiteral("phonebookClears")).toInt(), 0);
        QVERIFY2(row(a).contains(QStringLiteral("VX700-RV27MS cancelled 0.0s Nothing was sent.")),
                 qPrintable(out));
        QCOMPARE(HistoryJson(history).size(), 0);
        return;
    }
    for (devsimtest::Sim* sim : {&a, &b}) {
        QVERIFY2(row(*sim).contains(QStringLiteral("VX700-RV27MS succeeded")), qPrintable(out));
        sim->State();
        const oracle::Verdict verdict = oracle::Judge(project, sim->StatePath());
        QVERIFY2(verdict.code == 0, qPrintable(verdict.text));
    }
    QVERIFY2(row(cut).contains(QStringLiteral("incomplete")), qPrintable(out));
    QVERIFY(row(cut).contains(QStringLiteral("The dialer now holds an incomplete configuration: "
                                             "phonebook records 1 to 4 of 4, messages 1 to")));
    // Each dialer's dumps in its own folder, in the order of the ports.
    const oracle::Records want = oracle::Expected(project);
    QCOMPARE(TestEnv::ReadFile(dir.filePath(QStringLiteral("dumps/ttyDEV-2/SHORTMSG.dbg"))),
             want.shortMessages.join());
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("dumps/ttyDEV-4"))));
    // Every attempt in the history, as a single download leaves it.
    QJsonArray rows = HistoryJson(history);
    QCOMPARE(rows.size(), 3);
    QStringList outcomes;
    for (const auto& r : rows)
        outcomes << r.toObject()[QStringLiteral("serialNo")].toString().right(2) + u' ' +
                        r.toObject()[QStringLiteral("outcome")].toString();
    outcomes.sort();
    QCOMPARE(outcomes, (QStringList{"01 succeeded", "02 succeeded", "03 incomplete"}));
}

int main(int argc, char* argv[]) {
    if (const int held = ProjectEnv::HoldChild(argc, argv); held >= 0) return held;
    QCoreApplication app(argc, argv);
    tst_korvactl test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_korvactl.moc"
