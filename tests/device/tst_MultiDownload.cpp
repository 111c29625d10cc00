// The bench runner against scripted children (sh scripts speaking the lines): what it reads
// from them, when it asks for the one confirmation, what it tells them, and a child that dies
// without a result.
#include "device/MultiDownload.h"
#include "editing/PhoneBook.h"
#include "ml/MLUtil.h"
#include "support/ProjectEnv.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A child is `sh -c SCRIPT sh --machine --port P`: the script sees its port as $3.
QStringList Script(const QString& body) {
    return {QStringLiteral("-c"), body, QStringLiteral("sh")};
}
// Answers "ready" and then whatever stdin tells it, as the child's result.
const char* const kObedient = "printf 'connected\\tSN-%s\\tVX700-RV27MS\\n' \"$3\"; echo ready;"
                              " read cmd; if [ \"$cmd\" = go ]; then"
                              " printf 'progress\\tphonebook\\t1\\t2\\n';"
                              " printf 'result\\tok\\t1.5\\tdone\\n';"
                              " else printf 'result\\tcancelled\\t0\\tnothing sent\\n'; fi";
} // namespace

class tst_MultiDownload : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void linesSurviveTheirFields_data();
    void linesSurviveTheirFields();
    void goAfterEveryPortSettled_data();
    void goAfterEveryPortSettled();
    void childWithoutResultFails();
    void folderOfTheProgram();
    void folderPerPort_data();
    void folderPerPort();
    void refusedByTheDialersModel_data();
    void refusedByTheDialersModel();
};

void tst_MultiDownload::linesSurviveTheirFields_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("parsed");
    QTest::newRow("plain") << QStringList{"progress", "messages", "3", "127"}
                           << QStringList{"progress", "messages", "3", "127"};
    QTest::newRow("tab and line breaks in a text") << QStringList{"refused", "too\tlarge\r\nfor it"}
                                                   << QStringList{"refused", "too large  for it"};
    QTest::newRow("Chinese") << QStringList{"result", "ok", "1.0", "已下載 28 Byte。"}
                             << QStringList{"result", "ok", "1.0", "已下載 28 Byte。"};
}

void tst_MultiDownload::linesSurviveTheirFields() {
    QFETCH(QStringList, fields);
    QFETCH(QStringList, parsed);
    const QByteArray line = BenchLine::Format(fields);
    QVERIFY(line.endsWith('\n'));
    QCOMPARE(line.count('\n'), 1);
    QCOMPARE(BenchLine::Parse(line), parsed);
}

void tst_MultiDownload::goAfterEveryPortSettled_data() {
    QTest::addColumn<bool>("go");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("go") << true << "ok";
    QTest::newRow("cancel") << false << "cancelled";
}

// Two obedient children and one that refuses: settled comes once, after all three spoke;
// go (or cancel) reaches only the ready ones.
void tst_MultiDownload::goAfterEveryPortSettled() {
    QFETCH(bool, go);
    QFETCH(QString, outcome);
    MLState ml;
    const QString body = QStringLiteral("if [ \"$3\" = small ]; then"
                                        " printf 'connected\\tSN-s\\tVX700-RV27S\\n';"
                                        " printf 'refused\\ttoo large\\n';"
                                        " printf 'result\\trefused\\t0\\ttoo large\\n';"
                                        " exit 1; fi; ") +
                         QLatin1String(kObedient);
    MultiDownload run(ml, QStringLiteral("/bin/sh"), Script(body));
    QSignalSpy settled(&run, &MultiDownload::settled);
    QSignalSpy finished(&run, &MultiDownload::finished);
    connect(&run, &MultiDownload::settled, this, [&] {
        QCOMPARE(run.ReadyCount(), 2);
        go ? run.Go() : run.Cancel();
    });
    run.Start({{QStringLiteral("A"), QStringLiteral("a"), {}},
               {QStringLiteral("S"), QStringLiteral("small"), {}},
               {QStringLiteral("B"), QStringLiteral("b"), {}}});
    QVERIFY(finished.wait(10000));
    QCOMPARE(settled.size(), 1);
    const QVector<BenchPort>& p = run.Ports();
    QCOMPARE(p[0].serialNo, QStringLiteral("SN-a"));
    QCOMPARE(p[0].model, QStringLiteral("VX700-RV27MS"));
    QCOMPARE(BenchOutcomes::Word(p[0].outcome), outcome);
    QCOMPARE(BenchOutcomes::Word(p[2].outcome), outcome);
    QCOMPARE(p[0].seconds, go ? 1.5 : 0.0);
    QCOMPARE(p[0].area, go ? QStringLiteral("phonebook") : QString());
    QCOMPARE(p[1].outcome, BenchOutcome::Refused);
    QCOMPARE(p[1].text, QStringLiteral("too large"));
    QCOMPARE(run.AllOk(), false); // the refused one
}

// Killed, or never started: failed, with why.
void tst_MultiDownload::childWithoutResultFails() {
    MLState ml;
    MultiDownload run(ml, QStringLiteral("/bin/sh"),
                      Script(QStringLiteral("echo ready; kill -9 $$")));
    QSignalSpy finished(&run, &MultiDownload::finished);
    run.Start({{QStringLiteral("A"), QStringLiteral("a"), {}}});
    QVERIFY(finished.wait(10000));
    QCOMPARE(run.Ports()[0].outcome, BenchOutcome::Failed);
    QVERIFY2(run.Ports()[0].text.contains(QStringLiteral("-1")), qPrintable(run.Ports()[0].text));

    QTemporaryDir dir;
    MultiDownload none(ml, dir.filePath(QStringLiteral("korvactl")), {});
    QSignalSpy ended(&none, &MultiDownload::finished);
    none.Start({{QStringLiteral("A"), QStringLiteral("a"), {}}});
    QVERIFY(none.Ended() || ended.wait(10000));
    QCOMPARE(none.Ports()[0].outcome, BenchOutcome::Failed);
    QVERIFY(none.Ports()[0].text.contains(dir.filePath(QStringLiteral("korvactl"))));
}

void tst_MultiDownload::folderOfTheProgram() {
    QCOMPARE(MultiDownload::ProgramBeside(QStringLiteral("/opt/korva/bin")),
             QStringLiteral("/opt/korva/bin/korvactl"));
}

void tst_MultiDownload::folderPerPort_data() {
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<QStringList>("folders");
    QTest::newRow("device names") << QStringList{"/dev/ttyUSB0", "/dev/ttyUSB1", "COM3"}
                                  << QStringList{"ttyUSB0", "ttyUSB1", "COM3"};
    QTest::newRow("same last part, any letter case")
        << QStringList{"/tmp/a/tty", "/tmp/b/tty", "/tmp/c/TTY"}
        << QStringList{"tty", "tty-2", "TTY-3"};
    QTest::newRow("unsafe characters and dots")
        << QStringList{"/dev/serial/by-id/usb-FTDI_x:y", "..", "Sim 1"}
        << QStringList{"usb-FTDI_x_y", "port..", "Sim_1"};
}

void tst_MultiDownload::folderPerPort() {
    QFETCH(QStringList, ports);
    QFETCH(QStringList, folders);
    QCOMPARE(MultiDownload::FolderNames(ports), folders);
}

void tst_MultiDownload::refusedByTheDialersModel_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("refusal"); // empty: taken
    QTest::newRow("the smaller model, full") << "VX700-RV27S" << 8192 << 64 << "";
    QTest::newRow("one byte over its memory")
        << "VX700-RV27S" << 8193 << 1
        << "Project download failed!\r\nThe project to download [8193 bytes] is too large; "
           "please reduce the project. The device memory holds 8192 bytes.";
    QTest::newRow("one record over its phonebook")
        << "VX700-RV27S" << 100 << 65
        << "The dialer [VX700-RV27S] holds at most 64 phonebook records; the project has 65.";
    QTest::newRow("the larger model") << "VX700-RV27MS" << 9000 << 128 << "";
    QTest::newRow("a model the list lacks") << "UnKnown" << 99999 << 1 << "";
}

void tst_MultiDownload::refusedByTheDialersModel() {
    QFETCH(QString, model);
    QFETCH(int, bytes);
    QFETCH(int, records);
    QFETCH(QString, refusal);
    ProjectEnv env(1033);
    QVERIFY(env.started);
    ProjectImage image;
    image.projectSize = bytes;
    image.phoneBook.resize(records);
    QCOMPARE(BenchCheck::Refusal(*env.ctx, image, model), refusal);
}

QTEST_GUILESS_MAIN(tst_MultiDownload)
#include "tst_MultiDownload.moc"
