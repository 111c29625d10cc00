// The real serial port on a pseudo-terminal: opening (the pty refuses the modem lines), a
// whole exchange, stale input, a symbolic link as port name, a missing port, and the cable
// pulled in the middle of a response.
#include "LinkFixture.h"

#include "device/CommUtil.h"
#include "device/KORVACommUtil.h"
#include "device/RealSerialPort.h"

#include <QFile>
#include <atomic>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <thread>
#include <unistd.h>

using namespace TestFrames;

namespace {
// The far end of a pseudo-terminal, played by a thread: it reads each request and answers
// through a handler that may write, pause and hang up.
class PtyPeer {
public:
    PtyPeer() {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&m_master, &slave, name, nullptr, nullptr) == 0) {
            ::close(slave);
            path = QString::fromLocal8Bit(name);
        }
    }
    ~PtyPeer() {
        Stop();
        HangUp();
    }
    // handler(request) runs on the peer thread for each request of requestSize bytes.
    void Serve(int requestSize, std::function<void(PtyPeer&, const QByteArray&)> handler) {
        m_thread = std::thread([this, requestSize, handler] {
            QByteArray pending;
            while (!m_stop && m_master >= 0) {
                pollfd p{m_master, POLLIN, 0};
                if (::poll(&p, 1, 20) <= 0) continue;
                char buf[256];
                const ssize_t n = ::read(m_master, buf, sizeof buf);
                if (n <= 0) continue;
                pending.append(buf, int(n));
                while (pending.size() >= requestSize && m_master >= 0) {
                    const QByteArray req = pending.left(requestSize);
                    pending.remove(0, requestSize);
                    ++requests;
                    handler(*this, req);
                }
            }
        });
    }
    void Write(const QByteArray& bytes) {
        if (m_master >= 0) (void)!::write(m_master, bytes.constData(), size_t(bytes.size()));
    }
    void HangUp() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }
    void Stop() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }
    QString path;
    std::atomic<int> requests{0};

private:
    int m_master = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// The dialer's answer to the one-register read of 0x0006.
QByteArray Answer() {
    return WithCrc(Bytes({247, 0x04, 0x02, 0x00, 0x10}));
}

// Points the context at a real port on path.
void UseRealPort(LinkFixture& f, const QString& path) {
    f.ctx->port.reset();
    f.ctx->comm.PortName = path;
}
} // namespace

class tst_RealSerialPort : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void exchangeOverPty();
    void staleInputIsFlushed();
    void symbolicLinkAsPortName();
    void missingPort();
    void cablePulledMidResponse();
    void writeWholeOrLost_data();
    void writeWholeOrLost();
};

void tst_RealSerialPort::exchangeOverPty() {
    PtyPeer peer;
    QVERIFY(!peer.path.isEmpty());
    peer.Serve(8, [](PtyPeer& p, const QByteArray& req) {
        if (req == WithCrc(Bytes({247, 0x04, 0, 6, 0, 1}))) p.Write(Answer());
    });
    LinkFixture f;
    QVERIFY(f.Start());
    UseRealPort(f, peer.path);
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx)); // DTR refused by the pty: no error
    QVERIFY(f.ui.messages.isEmpty());
    QVERIFY(dynamic_cast<RealSerialPort*>(f.ctx->port.get()));
    QByteArray request = Bytes({247, 0x04, 0, 6, 0, 1});
    QByteArray response;
    QVERIFY(CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 0));
    QCOMPARE(response, Answer());
    QCOMPARE(peer.requests.load(), 1);
}

void tst_RealSerialPort::staleInputIsFlushed() {
    PtyPeer peer;
    QVERIFY(!peer.path.isEmpty());
    LinkFixture f;
    QVERIFY(f.Start());
    UseRealPort(f, peer.path);
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    // A late answer of an earlier exchange is waiting when the next request goes out.
    peer.Write(WithCrc(Bytes({247, 0x04, 0x02, 0xDE, 0xAD})));
    QTest::qWait(50);
    peer.Serve(8, [](PtyPeer& p, const QByteArray&) { p.Write(Answer()); });
    QByteArray request = Bytes({247, 0x04, 0, 6, 0, 1});
    QByteArray response;
    QVERIFY(CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 0));
    QCOMPARE(response, Answer());
}

void tst_RealSerialPort::symbolicLinkAsPortName() {
    PtyPeer peer;
    QVERIFY(!peer.path.isEmpty());
    peer.Serve(8, [](PtyPeer& p, const QByteArray&) { p.Write(Answer()); });
    QTemporaryDir links;
    const QString link = links.filePath(QStringLiteral("ttyDIALER"));
    QVERIFY(QFile::link(peer.path, link));
    LinkFixture f;
    QVERIFY(f.Start());
    UseRealPort(f, link);
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QByteArray request = Bytes({247, 0x04, 0, 6, 0, 1});
    QByteArray response;
    QVERIFY(CommUtil::SendCommand(*f.ctx, request, 6, response, 7, 2, 0));
}

void tst_RealSerialPort::missingPort() {
    LinkFixture f;
    QVERIFY(f.Start());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ttyNONE"));
    UseRealPort(f, path);
    QVERIFY(!CommUtil::EnsurePortOpen(*f.ctx));
    QCOMPARE(f.ui.messages.size(), 1);
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Communicaiton Error"));
    QVERIFY2(f.ui.messages[0].text.endsWith(QStringLiteral("[") + path +
                                            QStringLiteral("] 找不到此通訊埠。")),
             qPrintable(f.ui.messages[0].text));
    // Connect stops there: no progress window, no second message, offline.
    KORVACommUtil::Connect(*f.ctx);
    QCOMPARE(f.ui.messages.size(), 2);
    QVERIFY(f.ui.progressLog.isEmpty());
    QCOMPARE(f.ui.statusLog, QStringList{QStringLiteral("ConnectStatus= Offline")});
}

void tst_RealSerialPort::cablePulledMidResponse() {
    PtyPeer peer;
    QVERIFY(!peer.path.isEmpty());
    // Half an answer, then the far end goes away.
    peer.Serve(8, [](PtyPeer& p, const QByteArray&) {
        p.Write(Answer().left(3));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        p.HangUp();
    });
    LinkFixture f;
    QVERIFY(f.Start());
    UseRealPort(f, peer.path);
    f.ctx->ConnectStatus = true;
    QElapsedTimer t;
    t.start();
    KORVACommUtil::Connect(*f.ctx);
    // Fails cleanly and at once: no waiting out the time-out, no retries on the dead port.
    QVERIFY2(t.elapsed() < 1500, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(peer.requests.load(), 1);
    QVERIFY(!f.ctx->port->IsOpen());
    QVERIFY(!f.ctx->ConnectStatus);
    QCOMPARE(f.ui.messages.size(), 1);
    QVERIFY(f.ui.messages[0].text.startsWith(QStringLiteral("連線至簡訊報警機失敗! ")));
    QVERIFY(f.ui.messages[0].text.contains(QStringLiteral("[") + peer.path +
                                           QStringLiteral("] 通訊埠連線中斷")));
    QCOMPARE(f.ui.progressUpAtMessage, QList<bool>{false});
    // The next attempt to open the gone port fails with its message, not a hang.
    t.restart();
    peer.Stop();
    KORVACommUtil::Connect(*f.ctx);
    QVERIFY(t.elapsed() < 3000);
    QCOMPARE(f.ui.messages.size(), 2);
}

void tst_RealSerialPort::writeWholeOrLost_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("hangUp"); // the far end goes away before the write
    // More than the driver holds: the write waits for room while the far end reads late.
    QTest::newRow("larger than the driver's buffer") << 256 * 1024 << false;
    QTest::newRow("far end gone") << 8 << true;
}

void tst_RealSerialPort::writeWholeOrLost() {
    QFETCH(int, size);
    QFETCH(bool, hangUp);
    PtyPeer peer;
    QVERIFY(!peer.path.isEmpty());
    RealSerialPort port;
    port.SetPortName(peer.path);
    QVERIFY(port.Open());
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + i / 256);
    QByteArray got;
    std::thread late;
    if (hangUp) {
        peer.HangUp();
    } else {
        late = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            peer.Serve(size, [&](PtyPeer&, const QByteArray& req) { got = req; });
        });
    }
    const bool written = port.Write(bytes);
    if (late.joinable()) late.join();
    QCOMPARE(written, !hangUp);
    QCOMPARE(port.LastError(), hangUp ? PortError::Lost : PortError::None);
    if (!hangUp) {
        QTRY_COMPARE(peer.requests.load(), 1);
        peer.Stop(); // the handler has run
        QCOMPARE(got, bytes);
    }
}

QTEST_GUILESS_MAIN(tst_RealSerialPort)
#include "tst_RealSerialPort.moc"
