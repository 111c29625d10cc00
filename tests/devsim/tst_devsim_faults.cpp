// korva-devsim's fault injection (repeatable for a seed), wire pacing, and its life as a
// process: state on request and at exit, a client closing the terminal, bad options.
#include "DevsimHarness.h"

#include <QJsonArray>
#include <QtTest>

using namespace devsimtest;

class tst_devsim_faults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void faultsAreRepeatableForASeed_data();
    void faultsAreRepeatableForASeed();
    void dropNthWithholdsExactlyThatReplyButCarriesItOut();
    void paceTakesTheWireTime();
    void paceSwitchesAtRunTime();
    void survivesClientsAndEndsCleanly();
    void refusesBadOptions_data();
    void refusesBadOptions();
    void refusesToReplaceAFile();
};

namespace {

const QByteArray Request = Frame("f704 0000 0001");
const QByteArray Reply = Frame("f704 02 4106");

// What one reply looked like on the line.
QString Classify(const QByteArray& got) {
    if (got.isEmpty()) return "none";
    if (got == Reply) return "ok";
    if (got == Frame("f784 04")) return "exception";
    if (got.size() == Reply.size() && CrcGood(got) && got[0] != Reply[0] &&
        got.mid(1).first(4) == Reply.mid(1).first(4))
        return "station";
    if (got.size() == Reply.size() && !CrcGood(got) && got.first(5) == Reply.first(5)) return "crc";
    if (got.size() == Reply.size() / 2 && Reply.startsWith(got)) return "stall";
    if (got.size() > Reply.size() && got.size() <= Reply.size() + 4 && got.endsWith(Reply))
        return "noise";
    return "other: " + QString::fromLatin1(Hex(got));
}

QStringList Run(const QStringList& args, int count, QJsonObject* counters = nullptr) {
    Sim sim;
    if (!sim.Start(args)) return {sim.error};
    QStringList fates;
    for (int i = 0; i < count; ++i)
        fates << Classify(sim.Exchange(Request));
    if (counters) *counters = sim.State()["counters"].toObject();
    return fates;
}

} // namespace

void tst_devsim_faults::faultsAreRepeatableForASeed_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("fate");
    QTest::addColumn<QString>("counter");
    QTest::newRow("drop") << "--drop-reply"
                          << "none"
                          << "framesDropped";
    QTest::newRow("corrupt") << "--corrupt-crc"
                             << "crc"
                             << "corruptCrc";
    QTest::newRow("station") << "--wrong-station"
                             << "station"
                             << "wrongStation";
    QTest::newRow("stall") << "--stall-mid-frame"
                           << "stall"
                           << "framesStalled";
    QTest::newRow("noise") << "--noise"
                           << "noise"
                           << "noise";
    QTest::newRow("exception") << "--exception-rate"
                               << "exception"
                               << "exceptions";
}

void tst_devsim_faults::faultsAreRepeatableForASeed() {
    QFETCH(QString, option);
    QFETCH(QString, fate);
    QFETCH(QString, counter);
    const int n = 24;
    QJsonObject counters;
    const QStringList first = Run({option, "0.5", "--seed", "7"}, n, &counters);
    QCOMPARE(first.size(), n);
    QCOMPARE(first.count(fate) + first.count("ok"), n); // only this kind of fault
    QVERIFY2(first.count(fate) > 0 && first.count("ok") > 0, qPrintable(first.join(' ')));
    QCOMPARE(counters[counter].toInt(), first.count(fate));
    QCOMPARE(counters["framesReceived"].toInt(), n);
    // The same seed gives the same faults, another kind switched on beside it included.
    QCOMPARE(Run({option, "0.5", "--seed", "7"}, n), first);
    const QString other = option == "--noise" ? "--drop-reply" : "--noise";
    QStringList mixed = Run({option, "0.5", other, "0", "--seed", "7"}, n);
    QCOMPARE(mixed, first);
    QVERIFY(Run({option, "0.5", "--seed", "8"}, n) != first);
}

void tst_devsim_faults::dropNthWithholdsExactlyThatReplyButCarriesItOut() {
    Sim sim;
    QVERIFY2(sim.Start({"--drop-nth", "3"}), qPrintable(sim.error));
    QCOMPARE(sim.Exchange(Request), Reply);
    QCOMPARE(sim.Exchange(Request), Reply);
    QCOMPARE(sim.Exchange(Frame("f710 0080 0001 02 004d")), QByteArray());
    QCOMPARE(Hex(sim.Exchange(Frame("f703 0080 0001"))), Hex(Frame("f703 02 004d")));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(sim.Exchange(Request), Reply);
    const QJsonObject c = sim.State()["counters"].toObject();
    QCOMPARE(c["framesDropped"].toInt(), 1);
    QCOMPARE(c["framesAnswered"].toInt(), 6);
}

void tst_devsim_faults::paceTakesTheWireTime() {
    // 12 input registers: an 8-byte request and a 29-byte reply at 9600 baud, 10 bits a byte.
    const QByteArray request = Frame("f704 0000 000c");
    const double charMs = 10.0 * 1000 / 9600;
    Sim sim;
    QVERIFY2(sim.Start({"--pace"}), qPrintable(sim.error));
    QElapsedTimer t;
    t.start();
    sim.Write(request);
    QByteArray got;
    qint64 firstAt = -1;
    int pieces = 0;
    while (got.size() < 29 && t.elapsed() < 3000) {
        const QByteArray part = sim.Drain(100);
        if (part.isEmpty()) continue;
        if (firstAt < 0) firstAt = t.elapsed();
        got += part;
        ++pieces;
    }
    const qint64 lastAt = t.elapsed();
    QCOMPARE(got.size(), 29);
    QVERIFY(CrcGood(got));
    // The terminal may hand bytes over in bursts, but never before they were written: the
    // first after the request's wire time and the gap, the last 28 character times later.
    QVERIFY2(firstAt >= (8 + 3.5) * charMs - 0.5, qPrintable(QString::number(firstAt)));
    QVERIFY2(lastAt >= (8 + 3.5 + 28) * charMs - 0.5, qPrintable(QString::number(lastAt)));
    QVERIFY2(pieces >= 3, qPrintable(QString::number(pieces)));
}

void tst_devsim_faults::paceSwitchesAtRunTime() {
    // The same 12-register read: its paced reply cannot end before 8 + 3.5 + 28 character times.
    const QByteArray request = Frame("f704 0000 000c");
    const double pacedMs = (8 + 3.5 + 28) * 10.0 * 1000 / 9600;
    Sim sim;
    QVERIFY2(sim.Start({}), qPrintable(sim.error));
    auto timed = [&] {
        QElapsedTimer t;
        t.start();
        const QByteArray got = sim.Exchange(request);
        return got.size() == 29 ? double(t.nsecsElapsed()) / 1e6 : -1.0;
    };
    const double before = timed();
    sim.Control("pace on");
    const double paced = timed();
    sim.Control("pace off");
    const double after = timed();
    QVERIFY2(paced >= pacedMs - 0.5, qPrintable(QString::number(paced)));
    QVERIFY2(before >= 0 && before < pacedMs * 0.75, qPrintable(QString::number(before)));
    QVERIFY2(after >= 0 && after < pacedMs * 0.75, qPrintable(QString::number(after)));
}

void tst_devsim_faults::survivesClientsAndEndsCleanly() {
    Sim sim;
    QVERIFY2(sim.Start({}), qPrintable(sim.error));
    QCOMPARE(sim.Exchange(Request), Reply);
    // The client closes the terminal: the simulator sleeps instead of spinning on it.
    sim.CloseTty();
    auto cpuTicks = [&] {
        QFile f(QString("/proc/%1/stat").arg(sim.Process().processId()));
        if (!f.open(QIODevice::ReadOnly)) return -1LL;
        const QList<QByteArray> fields = f.readAll().split(')').last().split(' ');
        return fields.value(12).toLongLong() + fields.value(13).toLongLong(); // utime + stime
    };
    const qint64 before = cpuTicks();
    QThread::msleep(1000);
    const qint64 used = cpuTicks() - before;
    QVERIFY2(before >= 0 && used <= 5,
             qPrintable(QString("%1 ticks of CPU in 1 s idle").arg(used)));
    // A new client is served, and the state can be asked by signal.
    QVERIFY2(sim.OpenTty(), qPrintable(sim.error));
    QCOMPARE(sim.Exchange(Frame("f710 0080 0001 02 0021")), Frame("f710 0080 0001"));
    QCOMPARE(sim.State(true)["holdingRegisters"].toArray()[0].toInt(), 0x21);
    // SIGTERM: exit code 0, state written, link and FIFO gone.
    QFile::remove(sim.StatePath());
    QCOMPARE(sim.Stop(), 0);
    QFile f(sim.StatePath());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QJsonObject state = QJsonDocument::fromJson(f.readAll()).object();
    QCOMPARE(state["counters"].toObject()["framesAnswered"].toInt(), 2);
    QCOMPARE(state["holdingRegisters"].toArray()[0].toInt(), 0x21);
    QVERIFY(!QFileInfo(sim.Link()).isSymLink());
    QVERIFY(!QFileInfo::exists(sim.ControlPath()));
}

void tst_devsim_faults::refusesBadOptions_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("short serial") << QStringList{"--serial", "12345"}
                                  << "--serial wants 16 decimal digits";
    QTest::newRow("hex serial") << QStringList{"--serial", "12345678901234AB"}
                                << "--serial wants 16 decimal digits";
    QTest::newRow("probability") << QStringList{"--drop-reply", "1.5"}
                                 << "--drop-reply wants a probability";
    QTest::newRow("station 0") << QStringList{"--slave", "0"}
                               << "--slave wants a number from 1 to 255";
    QTest::newRow("model too big")
        << QStringList{"--model-id", "0x10000"} << "--model-id wants a number";
    QTest::newRow("input address") << QStringList{"--input", "12=1"} << "--input wants ADDR=VALUE";
    QTest::newRow("sw2") << QStringList{"--sw2", "maybe"} << "--sw2 wants on or off";
    QTest::newRow("unknown") << QStringList{"--bogus"} << "Unknown option";
}

void tst_devsim_faults::refusesBadOptions() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QProcess p;
    p.start(Sim::Program(), args);
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY2(p.readAllStandardError().contains(message.toUtf8()), qPrintable(message));
}

void tst_devsim_faults::refusesToReplaceAFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("ttyDEV");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("keep");
    f.close();
    QProcess p;
    p.start(Sim::Program(), {"--link", path});
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(p.readAllStandardError().contains("not a symlink"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep"));
    // --help lists every option.
    p.start(Sim::Program(), {"--help"});
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 0);
    const QByteArray help = p.readAllStandardOutput();
    for (const char* o :
         {"--link", "--slave", "--model-id", "--serial", "--firmware", "--com1", "--pace", "--seed",
          "--drop-reply", "--drop-nth", "--corrupt-crc", "--wrong-station", "--exception",
          "--stall-mid-frame", "--noise", "--state", "--control", "--log", "--sw2"})
        QVERIFY2(help.contains(o), o);
}

QTEST_GUILESS_MAIN(tst_devsim_faults)
#include "tst_devsim_faults.moc"
