// The serial exchange: check code, frames on the wire, validation of responses, retries and
// the pause between attempts, the silent time-out, stale input and a port lost mid-exchange.
#include "LinkFixture.h"

#include "device/CommUtil.h"
#include "device/KORVADll.h"

#include <QRandomGenerator>

using namespace TestFrames;

namespace {
QByteArray ReadRequest(int fn, int start, int count) {
    return Bytes({247, fn, start >> 8, start & 0xFF, count >> 8, count & 0xFF});
}
// A 7-byte answer to a one-register read of 0x04.
QByteArray GoodReply() {
    return WithCrc(Bytes({247, 0x04, 0x02, 0x12, 0x34}));
}
} // namespace

class tst_CommUtil : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void checkCodeMatchesBitwiseReference();
    void checkCodeGoesLowByteFirst();
    void responseValidation_data();
    void responseValidation();
    void validationOrder();
    void retryCounts_data();
    void retryCounts();
    void succeedsOnALaterAttempt();
    void pauseSeparatesAttemptsAndCommands();
    void exceptionEndsTheWaitAtOnce();
    void silentTimeOutCountsFromTheLastByte();
    void receiveOfNothingReadsNothing();
    void staleInputIsFlushed();
    void lostPortFailsAtOnceAndClosesIt();
    void ensurePortOpenLeavesAnOpenPortAlone();
    void openFailureSaysWhyAndHowToFix();
    void observerSeesEveryFrame();
    void commandFromAnEventHandlerIsRefused();
    void eventsRunBetweenQuickCommands();
};

void tst_CommUtil::checkCodeMatchesBitwiseReference() {
    const QByteArray digits("123456789");
    QCOMPARE(KORVADll::CRC16(0xFFFF, digits), 0x4B37);
    QCOMPARE(KORVADll::CRC16(0xFFFF, QByteArray()), 0xFFFF);
    // A known Modbus request: read one input register 0x0000 of station 247.
    QCOMPARE(WithCrc(ReadRequest(0x04, 0, 1)).toHex(), QByteArray("f70400000001255c"));
    QRandomGenerator rng(1234);
    for (int i = 0; i < 500; ++i) {
        QByteArray b(int(rng.bounded(1, 300)), '\0');
        for (char& c : b)
            c = char(rng.bounded(256));
        QCOMPARE(KORVADll::CRC16(0xFFFF, b), int(Crc(b)));
        // Only the first count bytes are covered.
        QCOMPARE(KORVADll::CRC16(0xFFFF, b + "xyz", b.size()), int(Crc(b)));
    }
}

void tst_CommUtil::checkCodeGoesLowByteFirst() {
    // Find a request whose check code is 0x1234 and see it go out as 0x34, 0x12.
    QByteArray request;
    for (int hi = 0; hi < 256 && request.isEmpty(); ++hi)
        for (int lo = 0; lo < 256; ++lo) {
            const QByteArray r = Bytes({247, 0x04, 0x00, 0x06, hi, lo});
            if (Crc(r) == 0x1234) {
                request = r;
                break;
            }
        }
    QVERIFY(!request.isEmpty());
    LinkFixture f;
    QVERIFY(f.Start());
    f.dev->responder = [](const QByteArray&) { return ScriptedReply{GoodReply()}; };
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QByteArray buffer = request + Bytes({0xAA, 0xBB});
    QByteArray response;
    CommUtil::SendCommand(*f.ctx, buffer, 6, response, 7, 0, 0);
    QCOMPARE(f.dev->written.size(), 1);
    QCOMPARE(f.dev->written[0], request + Bytes({0x34, 0x12}));
    QCOMPARE(buffer.mid(6), Bytes({0x34, 0x12})); // written into the caller's buffer too
}

void tst_CommUtil::responseValidation_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("check");
    const QByteArray good = GoodReply();
    QByteArray swapped = good;
    std::swap(swapped[5], swapped[6]);
    QTest::newRow("valid") << good << true << int(CommUtil::FrameCheck::Ok);
    QTest::newRow("check code swapped")
        << swapped << false << int(CommUtil::FrameCheck::BadCheckCode);
    QTest::newRow("other station") << WithCrc(Bytes({1, 0x04, 0x02, 0x12, 0x34})) << false
                                   << int(CommUtil::FrameCheck::WrongStation);
    QTest::newRow("other function") << WithCrc(Bytes({247, 0x03, 0x02, 0x12, 0x34})) << false
                                    << int(CommUtil::FrameCheck::WrongFunction);
    QTest::newRow("one byte short")
        << good.left(6) << false << int(CommUtil::FrameCheck::Incomplete);
    QTest::newRow("exception") << WithCrc(Bytes({247, 0x84, 0x02})) << false
                               << int(CommUtil::FrameCheck::Exception);
    QTest::newRow("corrupt data byte") << (QByteArray(good).replace(3, 1, "\x13")) << false
                                       << int(CommUtil::FrameCheck::BadCheckCode);
}

void tst_CommUtil::responseValidation() {
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(int, check);
    LinkFixture f;
    QVERIFY(f.Start());
    f.dev->responder = [reply](const QByteArray&) { return ScriptedReply{reply}; };
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QByteArray request = ReadRequest(0x04, 6, 1);
    QByteArray response;
    QCOMPARE(CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 0, 1), ok);
    QCOMPARE(f.dev->written.size(), ok ? 1 : 2);
    if (ok) QCOMPARE(response, reply);
    QCOMPARE(int(CommUtil::CheckResponse(request, response, int(response.size()), 7)), check);
    QVERIFY(f.ui.messages.isEmpty()); // single frames never talk to the user
}

void tst_CommUtil::validationOrder() {
    const QByteArray request = WithCrc(ReadRequest(0x04, 0, 1));
    using CommUtil::CheckResponse;
    using CommUtil::FrameCheck;
    // A 5-byte exception is an exception even from another station or with a bad check code.
    QCOMPARE(CheckResponse(request, Bytes({9, 0x84, 2, 0, 0}), 5, 7), FrameCheck::Exception);
    // Function + 0x80 in a frame of another length is just short.
    QCOMPARE(CheckResponse(request, Bytes({247, 0x84, 2, 0, 0, 0}), 6, 7), FrameCheck::Incomplete);
    // Short beats the station, the station beats the function, the function beats the code.
    QCOMPARE(CheckResponse(request, Bytes({9, 0x03, 2, 0}), 4, 7), FrameCheck::Incomplete);
    QCOMPARE(CheckResponse(request, Bytes({9, 0x03, 2, 0, 0, 0, 0}), 7, 7),
             FrameCheck::WrongStation);
    QCOMPARE(CheckResponse(request, Bytes({247, 0x03, 2, 0, 0, 0, 0}), 7, 7),
             FrameCheck::WrongFunction);
    QVERIFY(!CommUtil::IsExceptionFrame(Bytes({247, 0x84, 2, 0, 0}), 0x04));
    QVERIFY(CommUtil::IsExceptionFrame(WithCrc(Bytes({247, 0x84, 2})), 0x04));
    QVERIFY(!CommUtil::IsExceptionFrame(WithCrc(Bytes({247, 0x83, 2})), 0x04));
}

void tst_CommUtil::retryCounts_data() {
    QTest::addColumn<int>("retry");
    QTest::newRow("retry 0: one attempt") << 0;
    QTest::newRow("retry 3: four attempts") << 3;
}

void tst_CommUtil::retryCounts() {
    QFETCH(int, retry);
    LinkFixture f;
    QVERIFY(f.Start());
    f.dialer.answerStation = 12; // every answer comes from the wrong station
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QByteArray request = ReadRequest(0x04, 0, 1);
    QByteArray response;
    QVERIFY(!CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, retry));
    QCOMPARE(f.dev->written.size(), retry + 1);
    for (const QByteArray& w : f.dev->written)
        QCOMPARE(w, WithCrc(ReadRequest(0x04, 0, 1)));
}

void tst_CommUtil::succeedsOnALaterAttempt() {
    LinkFixture f;
    QVERIFY(f.Start());
    int calls = 0;
    f.dev->responder = [&](const QByteArray&) {
        ++calls;
        if (calls < 3) return ScriptedReply{GoodReply().left(5) + Bytes({0, 0})}; // bad code
        return ScriptedReply{GoodReply()};
    };
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QByteArray request = ReadRequest(0x04, 6, 1);
    QByteArray response;
    QVERIFY(CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 3));
    QCOMPARE(f.dev->written.size(), 3);
    QCOMPARE(response, GoodReply());
}

void tst_CommUtil::pauseSeparatesAttemptsAndCommands() {
    LinkFixture f;
    QVERIFY(f.Start());
    bool fail = true;
    f.dev->responder = [&](const QByteArray&) {
        return ScriptedReply{fail ? WithCrc(Bytes({1, 0x04, 0x02, 0, 0})) : GoodReply()};
    };
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QByteArray request = ReadRequest(0x04, 6, 1);
    QByteArray response;
    QVERIFY(!CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 2));
    const qint64 failedAt = f.dev->clock.elapsed();
    QCOMPARE(f.dev->written.size(), 3);
    for (int i = 1; i < 3; ++i)
        QVERIFY(f.dev->writeTimes[i] - f.dev->writeTimes[i - 1] >= CommUtil::kRetryPauseMs - 1);
    // The next command's first attempt waits for the pause too; a success does not leave one.
    fail = false;
    QVERIFY(CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 2));
    QVERIFY2(f.dev->writeTimes[3] - failedAt >= CommUtil::kRetryPauseMs - 1,
             qPrintable(QString::number(f.dev->writeTimes[3] - failedAt)));
    QVERIFY(!f.ctx->link.pause);
    const qint64 okAt = f.dev->clock.elapsed();
    QVERIFY(CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 2));
    QVERIFY(f.dev->writeTimes[4] - okAt < CommUtil::kRetryPauseMs);
    QVERIFY(f.ui.doEvents > 0); // the window kept running while waiting
}

void tst_CommUtil::exceptionEndsTheWaitAtOnce() {
    LinkFixture f;
    QVERIFY(f.Start());
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QByteArray request = Bytes({247, 0x04, 0x01, 0x00, 0x00, 0x01}); // no such register
    QByteArray response;
    QElapsedTimer t;
    t.start();
    QVERIFY(!CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 1));
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(f.dev->written.size(), 2); // the attempt still fails and is retried
    QCOMPARE(response, WithCrc(Bytes({247, 0x84, 0x02})));

    // An exception with a broken check code does not end the wait: the time-out does.
    f.dev->responder = [](const QByteArray&) {
        return ScriptedReply{Bytes({247, 0x84, 0x02, 0, 0})};
    };
    t.restart();
    QVERIFY(!CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 0, 0));
    QVERIFY2(t.elapsed() >= CommUtil::kSilenceGraceMs, qPrintable(QString::number(t.elapsed())));
}

void tst_CommUtil::silentTimeOutCountsFromTheLastByte() {
    LinkFixture f;
    QVERIFY(f.Start());
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QByteArray request = ReadRequest(0x04, 6, 1);
    QByteArray response;

    // The answer stops after three bytes: the receive gives up more than the time-out (1 s)
    // after the last byte, and less than a second later than that.
    f.dev->responder = [](const QByteArray&) { return ScriptedReply{GoodReply().left(3), 100}; };
    QVERIFY(!CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 1, 0));
    QCOMPARE(response, GoodReply().left(3));
    const qint64 silence = f.dev->clock.elapsed() - (f.dev->writeTimes[0] + 100);
    QVERIFY2(silence > 1000 && silence < 2000, qPrintable(QString::number(silence)));

    // Time-out 0: bytes 400 ms apart keep the receive going however long the whole answer
    // takes; a gap of 900 ms ends it.
    f.dev->responder = [](const QByteArray&) { return ScriptedReply{GoodReply(), 300, 4, 400}; };
    QVERIFY(CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 0, 0));
    f.dev->responder = [](const QByteArray&) { return ScriptedReply{GoodReply(), 0, 4, 900}; };
    QVERIFY(!CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 0, 0));
    QCOMPARE(response.size(), 4);
}

void tst_CommUtil::receiveOfNothingReadsNothing() {
    LinkFixture f;
    QVERIFY(f.Start());
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    f.dev->Inject("abc");
    QByteArray buffer("old");
    QElapsedTimer t;
    t.start();
    QCOMPARE(CommUtil::ReceiveBytes(*f.ctx, buffer, 0, 2), 0);
    QVERIFY(t.elapsed() < 100);
    QCOMPARE(f.dev->BytesWaiting(), 3);
    // With nothing arriving the receive ends between the time-out and a second after it.
    t.restart();
    QCOMPARE(CommUtil::ReceiveBytes(*f.ctx, buffer, 10, 0), 3);
    QCOMPARE(buffer, QByteArray("abc"));
    QVERIFY2(t.elapsed() > 0 && t.elapsed() < 1000 + 100, qPrintable(QString::number(t.elapsed())));
}

void tst_CommUtil::staleInputIsFlushed() {
    LinkFixture f;
    QVERIFY(f.Start());
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QList<FrameEvent> events;
    f.ctx->link.observer = [&](const FrameEvent& e) { events << e; };
    // Left-overs of an earlier answer look like the start of a valid one.
    const QByteArray stale = GoodReply().left(4);
    f.dev->Inject(stale);
    QByteArray request = ReadRequest(0x04, 0, 1);
    QByteArray response;
    QVERIFY(CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 0));
    QCOMPARE(response, WithCrc(Bytes({247, 0x04, 0x02, 0x40, 0x06})));
    QCOMPARE(events.first().direction, FrameDirection::Discarded);
    QCOMPARE(events.first().bytes, stale);

    // An answer longer than expected leaves bytes behind; the next command drops them.
    f.dev->responder = [&](const QByteArray& req) {
        ScriptedReply r = f.dialer.Answer(req);
        r.bytes += Bytes({0xF7, 0x04});
        return r;
    };
    QVERIFY(CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 0));
    QVERIFY(CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 0));
    QCOMPARE(response, WithCrc(Bytes({247, 0x04, 0x02, 0x40, 0x06})));
}

void tst_CommUtil::lostPortFailsAtOnceAndClosesIt() {
    LinkFixture f;
    QVERIFY(f.Start());
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    // Three bytes arrive, then the cable is pulled.
    f.dev->responder = [](const QByteArray&) {
        ScriptedReply r{GoodReply().left(3), 20};
        r.loseAfter = true;
        return r;
    };
    QByteArray request = ReadRequest(0x04, 0, 1);
    QByteArray response;
    QElapsedTimer t;
    t.start();
    QVERIFY(!CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 3));
    QVERIFY2(t.elapsed() < 500, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(f.dev->written.size(), 1); // no retries on a dead port
    QVERIFY(!f.dev->IsOpen());
    QCOMPARE(f.ctx->link.lastError, PortError::Lost);
    QVERIFY(CommUtil::LostPortText(*f.ctx).contains(QStringLiteral("/dev/ttyFAKE0")));
    // The next command fails at once as well, without writing, until the port is reopened.
    QVERIFY(!CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 3));
    QCOMPARE(f.dev->written.size(), 1);
    f.dev->responder = [&](const QByteArray& req) { return f.dialer.Answer(req); };
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QVERIFY(CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 3));
    QVERIFY(CommUtil::LostPortText(*f.ctx).isEmpty());
}

void tst_CommUtil::ensurePortOpenLeavesAnOpenPortAlone() {
    LinkFixture f;
    QVERIFY(f.Start());
    QVERIFY(!CommUtil::ClosePort(*f.ctx)); // closed at start
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QCOMPARE(f.dev->opens, 1);
    QCOMPARE(f.dev->PortName(), QStringLiteral("/dev/ttyFAKE0"));
    QCOMPARE(f.dev->settings.baudRate, 9600);
    QCOMPARE(f.dev->settings.parity, 'N');
    QCOMPARE(f.dev->settings.dataBits, 8);
    QCOMPARE(f.dev->settings.stopBits, 1);
    const int applied = f.dev->lineSettingsApplied;
    f.ctx->comm.PortName = QStringLiteral("/dev/ttyOTHER");
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QCOMPARE(f.dev->opens, 1);
    QCOMPARE(f.dev->lineSettingsApplied, applied);
    QCOMPARE(f.dev->PortName(), QStringLiteral("/dev/ttyFAKE0"));
    QVERIFY(CommUtil::ClosePort(*f.ctx));
    QVERIFY(!CommUtil::ClosePort(*f.ctx));
    // The port number names the port when no path was chosen.
    f.ctx->comm.PortName.clear();
    f.ctx->comm.PortNo = 3;
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QCOMPARE(f.dev->PortName(), CommUtil::PortNameOf(3));
#ifndef Q_OS_WIN
    QCOMPARE(CommUtil::PortNameOf(3), QStringLiteral("/dev/ttyS2"));
#endif
}

void tst_CommUtil::openFailureSaysWhyAndHowToFix() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.dev->failOpen = true;
    f.dev->openError = PortError::NotFound;
    QVERIFY(!CommUtil::EnsurePortOpen(*f.ctx));
    QCOMPARE(f.ui.messages.size(), 1);
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Communicaiton Error"));
    QCOMPARE(f.ui.messages[0].style, vbOKOnly | vbCritical);
    QCOMPARE(f.ui.messages[0].text,
             QStringLiteral(
                 "Unable to connect to Device.\r\nPlease check cable connection and communicaiton "
                 "parameter settings.\r\n\r\n[/dev/ttyFAKE0] 找不到此通訊埠。"));
    f.dev->openError = PortError::Permission;
    QVERIFY(!CommUtil::OpenComm(*f.ctx));
    QVERIFY(f.ui.messages[1].text.contains(QStringLiteral("沒有使用此通訊埠的權限")));
#ifdef Q_OS_LINUX
    QVERIFY(f.ui.messages[1].text.contains(QStringLiteral("dialout")));
#endif
    f.dev->openError = PortError::InUse;
    QVERIFY(!CommUtil::OpenComm(*f.ctx));
    QVERIFY(f.ui.messages[2].text.contains(QStringLiteral("其他程式")));
    QVERIFY(f.dev->written.isEmpty());

    // The English texts come from the text database.
    LinkFixture e;
    QVERIFY(e.Start(1033));
    e.dev->failOpen = true;
    e.dev->openError = PortError::Permission;
    QVERIFY(!CommUtil::EnsurePortOpen(*e.ctx));
    QCOMPARE(e.ui.messages[0].title, QStringLiteral("Communication error"));
    QVERIFY(
        e.ui.messages[0].text.contains(QStringLiteral("You have no permission to use this port.")));
#ifdef Q_OS_LINUX
    QVERIFY(e.ui.messages[0].text.contains(QStringLiteral("sudo usermod -aG dialout")));
#endif
}

void tst_CommUtil::observerSeesEveryFrame() {
    LinkFixture f;
    QVERIFY(f.Start());
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QList<FrameEvent> events;
    f.ctx->link.observer = [&](const FrameEvent& e) { events << e; };
    f.dialer.answerStation = 3;
    QByteArray request = ReadRequest(0x04, 0, 1);
    QByteArray response;
    // Frame times are on the local clock, here a zone eight hours east of UTC.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "UTC-8");
    QVERIFY(!CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 1));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
    QList<FrameDirection> kinds;
    for (const FrameEvent& e : events) {
        kinds << e.direction;
        QCOMPARE(e.time.offsetFromUtc(), 8 * 3600);
        QVERIFY(qAbs(e.time.secsTo(now)) < 60);
    }
    const QList<FrameDirection> expected{FrameDirection::Sent,     FrameDirection::Received,
                                         FrameDirection::Note,     FrameDirection::Sent,
                                         FrameDirection::Received, FrameDirection::Note};
    QCOMPARE(kinds, expected);
    QCOMPARE(events[0].bytes, WithCrc(request.left(6)));
    QCOMPARE(events[1].bytes, WithCrc(Bytes({3, 0x04, 0x02, 0x40, 0x06})));
    QVERIFY(events[2].note.contains(QStringLiteral("another station")));
}

QTEST_GUILESS_MAIN(tst_CommUtil)
#include "tst_CommUtil.moc"

void tst_CommUtil::commandFromAnEventHandlerIsRefused() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.dev->responder = [](const QByteArray&) { return ScriptedReply{GoodReply()}; };
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QList<bool> nested;
    bool handled = false;
    f.ui.onDoEvents = [&] {
        if (std::exchange(handled, true)) return; // the handler runs once
        QByteArray request = ReadRequest(0x04, 7, 1), response;
        nested << CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 2);
    };
    QByteArray request = ReadRequest(0x04, 6, 1), response;
    QVERIFY(CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 2));
    QCOMPARE(nested, QList<bool>{false});
    QCOMPARE(f.dev->written, QList<QByteArray>{WithCrc(ReadRequest(0x04, 6, 1))});
}

// Commands answered at once run the events before the first and again once
// kEventsEveryMs has passed: a quick download never freezes the window.
void tst_CommUtil::eventsRunBetweenQuickCommands() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.dev->responder = [](const QByteArray&) { return ScriptedReply{GoodReply()}; };
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    int events = 0;
    f.ui.onDoEvents = [&] { ++events; };
    auto command = [&] {
        QByteArray request = ReadRequest(0x04, 6, 1), response;
        return CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 0);
    };
    QVERIFY(command());
    QCOMPARE(events, 1);
    QTest::qSleep(CommUtil::kEventsEveryMs + 1);
    QVERIFY(command());
    QCOMPARE(events, 2);
}
