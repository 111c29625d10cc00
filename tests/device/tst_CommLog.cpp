// The communication log: what each kind of frame means, the cap on its length, and the text
// it copies and saves.
#include "LinkFixture.h"
#include "device/CommLog.h"

#include <QSignalSpy>

using TestFrames::Bytes;
using TestFrames::WithCrc;

class tst_CommLog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(f.Start(1033)); }
    void decode_data();
    void decode();
    void keepsTheLastFrames();
    void batches_data();
    void batches();
    void copyAndSave();

private:
    LinkFixture f;
};

Q_DECLARE_METATYPE(FrameDirection)

namespace {
FrameEvent Ev(const QDateTime& t, FrameDirection d, const QByteArray& bytes,
              const QString& note = {}, bool lost = false) {
    return FrameEvent{t, d, bytes, note, lost};
}
} // namespace

void tst_CommLog::decode_data() {
    QTest::addColumn<FrameDirection>("direction");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("meaning");
    const auto S = FrameDirection::Sent;
    const auto R = FrameDirection::Received;
    const QByteArray readInput = WithCrc(Bytes({247, 0x04, 0x00, 0x02, 0x00, 0x04}));
    const QByteArray record = WithCrc(Bytes({247, 0x50, 0x43, 3, 7, 0, 1, 3, 3, '1', '2', '3'}));
    QTest::newRow("read input registers")
        << S << readInput << "" << QByteArray() << "Read input registers, address 0002H, count 4";
    QTest::newRow("read holding registers")
        << S << WithCrc(Bytes({247, 0x03, 0x00, 0x80, 0x00, 0x02})) << "" << QByteArray()
        << "Read holding registers, address 0080H, count 2";
    QTest::newRow("read coils") << S << WithCrc(Bytes({247, 0x01, 0x00, 0x00, 0x00, 0x40})) << ""
                                << QByteArray() << "Read coils, address 0000H, count 64";
    QTest::newRow("write registers")
        << S << WithCrc(Bytes({247, 0x10, 0x00, 0x80, 0x00, 0x02, 4, 0, 12, 0, 0x85})) << ""
        << QByteArray() << "Write registers, address 0080H, count 2";
    QTest::newRow("phonebook record")
        << S << record << "" << QByteArray() << "Phonebook record k=3";
    QTest::newRow("short message")
        << S << WithCrc(Bytes({247, 0x50, 0x53, 17, 6, 0x40, 0, 2, 0, 'h', 'i'})) << ""
        << QByteArray() << "Short message, code 17";
    QTest::newRow("clear phonebook") << S << WithCrc(Bytes({247, 0x50, 0x40, 0xFF})) << ""
                                     << QByteArray() << "Clear the phonebook";
    QTest::newRow("clear messages") << S << WithCrc(Bytes({247, 0x50, 0x50, 0xFF})) << ""
                                    << QByteArray() << "Clear the short messages";
    QTest::newRow("registers read") << R << WithCrc(Bytes({247, 0x04, 4, 0x40, 0x06, 0x01, 0x02}))
                                    << "" << readInput << "Read input registers, data 40 06 01 02";
    QTest::newRow("record acknowledged") << R << WithCrc(Bytes({247, 0x50, 0x43, 3})) << ""
                                         << record << "acknowledged: Phonebook record k=3";
    QTest::newRow("registers written")
        << R << WithCrc(Bytes({247, 0x10, 0x00, 0x80, 0x00, 0x02})) << "" << QByteArray()
        << "Write registers, address 0080H, count 2";
    QTest::newRow("exception") << R << WithCrc(Bytes({247, 0x84, 0x02})) << "" << readInput
                               << "Exception 02: illegal data address (Read input registers)";
    QTest::newRow("unknown exception")
        << R << WithCrc(Bytes({247, 0x83, 0x0B})) << "" << QByteArray()
        << "Exception 0B: unknown exception (Read holding registers)";
    QTest::newRow("check code wrong") << R << Bytes({247, 0x04, 2, 0x40, 0x06, 0x00, 0x00}) << ""
                                      << readInput << "bad check code";
    QTest::newRow("no answer") << R << QByteArray() << "0 of 13 bytes" << readInput << "no answer";
    QTest::newRow("incomplete") << R << Bytes({247, 0x04, 8}) << "3 of 13 bytes" << readInput
                                << "incomplete response (3 of 13 bytes)";
    QTest::newRow("another station") << R << WithCrc(Bytes({12, 0x04, 2, 0x40, 0x06})) << ""
                                     << readInput << "station 12, Read input registers, data 40 06";
    QTest::newRow("stale input") << FrameDirection::Discarded << Bytes({0x55}) << "" << QByteArray()
                                 << "stale input dropped";
    QTest::newRow("other note") << FrameDirection::Note << QByteArray() << "port not open"
                                << QByteArray() << "port not open";
}

void tst_CommLog::decode() {
    QFETCH(FrameDirection, direction);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, note);
    QFETCH(QByteArray, request);
    QFETCH(QString, meaning);
    QCOMPARE(CommLog::Decode(f.ctx->ml, Ev(QDateTime::currentDateTime(), direction, bytes, note),
                             request),
             meaning);
}

void tst_CommLog::keepsTheLastFrames() {
    CommLogModel log(f.ctx->ml);
    QSignalSpy removed(&log, &QAbstractItemModel::rowsRemoved);
    const QDateTime t0 = QDateTime::currentDateTime();
    for (int i = 0; i < CommLogModel::kMaxRows + 5; ++i)
        log.Append(
            Ev(t0.addMSecs(i), FrameDirection::Sent, Bytes({247, 0x04, i >> 8, i & 0xFF, 0, 1})));
    QCOMPARE(log.rowCount(), CommLogModel::kMaxRows);
    QCOMPARE(removed.size(), 5);
    QCOMPARE(log.Row(0).time, t0.addMSecs(5));
    QCOMPARE(log.Row(CommLogModel::kMaxRows - 1).bytes, Bytes({247, 0x04, 0x27, 0x14, 0, 1}));

    // A response pairs with the request sent last; the port lost is said as such.
    log.Clear();
    QCOMPARE(log.rowCount(), 0);
    log.Append(
        Ev(t0, FrameDirection::Sent, WithCrc(Bytes({247, 0x50, 0x53, 9, 4, 0x40, 0, 0, 0}))));
    log.Append(Ev(t0, FrameDirection::Received, WithCrc(Bytes({247, 0x50, 0x53, 9}))));
    log.Append(
        Ev(t0, FrameDirection::Note, {}, QStringLiteral("port lost: Input/output error"), true));
    QCOMPARE(log.Row(1).meaning, QStringLiteral("acknowledged: Short message, code 9"));
    QCOMPARE(log.Row(2).meaning, QStringLiteral("port lost (Input/output error)"));
}

// With a batch interval, frames become rows together on a later turn of the event loop: one
// insertion and at most one removal of the oldest, the cap kept.
void tst_CommLog::batches_data() {
    QTest::addColumn<int>("shown"); // rows there before
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("removals");
    const int cap = CommLogModel::kMaxRows;
    QTest::newRow("a few frames") << 0 << 3 << 0;
    QTest::newRow("past the cap") << cap - 2 << 5 << 1;
    QTest::newRow("more than the cap at once") << 10 << cap + 7 << 1;
}

void tst_CommLog::batches() {
    QFETCH(int, shown);
    QFETCH(int, frames);
    QFETCH(int, removals);
    CommLogModel log(f.ctx->ml);
    const QDateTime t0 = QDateTime::currentDateTime();
    const auto frame = [&](int i) {
        return Ev(t0.addMSecs(i), FrameDirection::Sent, Bytes({247, 0x04, i >> 8, i & 0xFF, 0, 1}));
    };
    for (int i = 0; i < shown; ++i)
        log.Append(frame(i));
    log.SetBatchInterval(20);
    QSignalSpy inserted(&log, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&log, &QAbstractItemModel::rowsRemoved);
    for (int i = shown; i < shown + frames; ++i)
        log.Append(frame(i));
    QCOMPARE(log.rowCount(), shown);
    QTRY_COMPARE(inserted.size(), 1);
    const int total = shown + frames, kept = std::min(total, CommLogModel::kMaxRows);
    QCOMPARE(removed.size(), removals);
    QCOMPARE(log.rowCount(), kept);
    QCOMPARE(log.Row(0).time, t0.addMSecs(total - kept));
    QCOMPARE(log.Row(kept - 1).time, t0.addMSecs(total - 1));
}

void tst_CommLog::copyAndSave() {
    CommLogModel log(f.ctx->ml);
    const QDateTime t(QDate(2026, 1, 2), QTime(3, 4, 5, 67));
    log.Append(Ev(t, FrameDirection::Sent, WithCrc(Bytes({247, 0x50, 0x40, 0xFF}))));
    log.Append(Ev(t.addMSecs(40), FrameDirection::Received, {}, QStringLiteral("0 of 6 bytes")));
    const QString lines =
        QStringLiteral("03:04:05.067\tSent\t6\tF7 50 40 FF 43 C1\tClear the phonebook\n"
                       "03:04:05.107\tReceived\t0\t\tno answer\n");
    QCOMPARE(log.Text({1, 0}), lines);

    // Saved only where the person says; a cancelled dialog or an unwritable place writes nothing.
    const QString path = f.dir.filePath(QStringLiteral("log.txt"));
    f.ui.files.enqueue(std::nullopt);
    f.ui.files.enqueue(f.dir.filePath(QStringLiteral("no/such/dir/log.txt")));
    f.ui.files.enqueue(path);
    QVERIFY(!CommLog::SaveLog(*f.ctx, log));
    QVERIFY(f.ui.messages.isEmpty());
    QVERIFY(!CommLog::SaveLog(*f.ctx, log));
    QCOMPARE(f.ui.messages.size(), 1);
    QVERIFY(f.ui.messages[0].text.contains(QStringLiteral("no/such/dir/log.txt")));
    QCOMPARE(MsgIcon(f.ui.messages[0].style), int(vbCritical));
    QVERIFY(CommLog::SaveLog(*f.ctx, log));
    QCOMPARE(QString::fromUtf8(TestEnv::ReadFile(path)), lines);
    QVERIFY(f.ui.fileDialogs.last().overwritePrompt);
}

QTEST_GUILESS_MAIN(tst_CommLog)
#include "tst_CommLog.moc"
