// Interop: our client against an independent Modbus RTU server (pymodbus) over a socat
// pseudo-terminal pair, for the public function codes the device link uses: 0x04 and 0x03
// reads, 0x01 coils, 0x10 the settings write, and an exception answer.
#include "../device/LinkFixture.h"

#include "device/CommUtil.h"
#include "device/DebugRegisters.h"
#include "device/KORVACommUtil.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace TestFrames;

class tst_PymodbusInterop : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void readsInputAndHoldingRegisters();
    void readsCoils();
    void writesTheSettings();
    void connectSequence();
    void exceptionAnswerEndsTheAttempt();

private:
    QByteArray ServerHolding();
    QTemporaryDir m_dir;
    QProcess m_socat;
    QProcess m_server;
    QString m_client;
    QString m_state;
};

void tst_PymodbusInterop::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_client = m_dir.filePath(QStringLiteral("client"));
    const QString server = m_dir.filePath(QStringLiteral("server"));
    m_state = m_dir.filePath(QStringLiteral("holding.json"));
    m_socat.start(QStringLiteral("socat"), {QStringLiteral("pty,raw,echo=0,link=") + m_client,
                                            QStringLiteral("pty,raw,echo=0,link=") + server});
    QVERIFY2(m_socat.waitForStarted(5000), "socat is needed (scripts/packages.txt)");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_client) && QFile::exists(server), 5000);
    m_server.setProcessChannelMode(QProcess::SeparateChannels);
    m_server.start(
        QStringLiteral("/usr/bin/python3"),
        {TestEnv::SourceDir() + QStringLiteral("/tests/pymodbus/rtu_server.py"), server, m_state});
    QVERIFY2(m_server.waitForStarted(5000),
             "python3 with pymodbus is needed (scripts/packages.txt)");
    QByteArray said;
    QTRY_VERIFY2_WITH_TIMEOUT((said += m_server.readAllStandardOutput()).contains("ready") ||
                                  m_server.state() == QProcess::NotRunning,
                              "server start", 20000);
    QVERIFY2(m_server.state() == QProcess::Running, m_server.readAllStandardError().constData());
}

void tst_PymodbusInterop::cleanupTestCase() {
    for (QProcess* p : {&m_server, &m_socat}) {
        if (p->state() == QProcess::NotRunning) continue;
        p->terminate();
        if (!p->waitForFinished(3000)) p->kill();
        p->waitForFinished(1000);
    }
}

QByteArray tst_PymodbusInterop::ServerHolding() {
    QFile f(m_state);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray out;
    for (const QJsonValue& v :
         QJsonDocument::fromJson(f.readAll()).object().value(QStringLiteral("holding")).toArray()) {
        out.append(char(v.toInt() >> 8));
        out.append(char(v.toInt() & 0xFF));
    }
    return out;
}

namespace {
void Start(LinkFixture& f, const QString& port) {
    QVERIFY(f.Start());
    f.ctx->port.reset(); // the real serial port
    f.ctx->comm.PortName = port;
    f.ctx->comm.Retry = 0;
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
}
} // namespace

void tst_PymodbusInterop::readsInputAndHoldingRegisters() {
    LinkFixture f;
    Start(f, m_client);
    QByteArray response;
    QVERIFY(KORVACommUtil::ReadRegisters(*f.ctx, 0x04, 0x0000, 12, response));
    QCOMPARE(response.size(), 5 + 24);
    QCOMPARE(response.mid(3, 8), Bytes({0x41, 0x06, 0x01, 0x02, 0x34, 0x12, 0x78, 0x56}));
    QVERIFY(KORVACommUtil::ReadRegisters(*f.ctx, 0x03, 0x0080, 3, response));
    QCOMPARE(response, WithCrc(Bytes({247, 0x03, 6, 0x00, 0xF7, 0x00, 0xC3, 0xBE, 0xEF})));
    // Every row of the diagnostic table reads from an independent server too (the coil row
    // included).
    for (const DebugRegisterRow& row : DebugRegisters::Rows()) {
        QString value;
        QVERIFY2(DebugRegisters::ReadRow(*f.ctx, row, value), qPrintable(row.name));
        QCOMPARE(value.size(), 4 * row.count.toInt());
    }
}

void tst_PymodbusInterop::readsCoils() {
    LinkFixture f;
    Start(f, m_client);
    QByteArray response;
    QVERIFY(KORVACommUtil::ReadCoils(*f.ctx, response));
    QCOMPARE(response, WithCrc(Bytes({247, 0x01, 8, 0x05, 0, 0, 0, 0, 0, 0, 0x80})));
}

void tst_PymodbusInterop::writesTheSettings() {
    LinkFixture f;
    Start(f, m_client);
    QVERIFY(KORVACommUtil::WriteCommSettings(*f.ctx, QStringLiteral("VX700-RV27MS"),
                                             QStringLiteral("12"), QStringLiteral("38400"),
                                             QStringLiteral("ODD"), false));
    QTRY_COMPARE_WITH_TIMEOUT(ServerHolding(), Bytes({0x00, 0x0C, 0x00, 0x85, 0xBE, 0xEF}), 3000);
    DeviceInfo info;
    QVERIFY(KORVACommUtil::ReadCommSettings(*f.ctx, info, false));
    QCOMPARE(info.SlaveID, QStringLiteral("12"));
    QCOMPARE(info.Parity, QStringLiteral("O"));
    QCOMPARE(info.BaudRate, QStringLiteral("38400"));
    // Back to how the server started, for the other cases.
    QVERIFY(KORVACommUtil::WriteCommSettings(*f.ctx, QStringLiteral("VX700-RV27MS"),
                                             QStringLiteral("247"), QStringLiteral("9600"),
                                             QStringLiteral("EVEN"), false));
    QTRY_COMPARE_WITH_TIMEOUT(ServerHolding(), Bytes({0x00, 0xF7, 0x00, 0xC3, 0xBE, 0xEF}), 3000);
}

void tst_PymodbusInterop::connectSequence() {
    LinkFixture f;
    Start(f, m_client);
    KORVACommUtil::Connect(*f.ctx);
    QVERIFY(f.ctx->ConnectStatus);
    QCOMPARE(f.ui.messages.size(), 1);
    QCOMPARE(
        f.ui.messages[0].text,
        QStringLiteral(
            "連線至簡訊報警機成功!\r\n\r\nModel No.: VX700-RV27MS\r\nS/N : 12-09-2143-785634-12\r\n"
            "Commnunication Settings : 9600, E, 8, 1"));
}

void tst_PymodbusInterop::exceptionAnswerEndsTheAttempt() {
    LinkFixture f;
    Start(f, m_client);
    f.ctx->comm.TimeOut = 2;
    QByteArray response;
    QElapsedTimer t;
    t.start();
    // No such input register: the server answers "illegal data address".
    QVERIFY(!KORVACommUtil::ReadRegisters(*f.ctx, 0x04, 0x0100, 1, response));
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(response, WithCrc(Bytes({247, 0x84, 0x02})));
    // The link still works afterwards.
    QVERIFY(KORVACommUtil::ReadRegisters(*f.ctx, 0x04, 0x0006, 1, response));
    QCOMPARE(response.mid(3, 2), Bytes({0x00, 0x10}));
}

QTEST_GUILESS_MAIN(tst_PymodbusInterop)
#include "tst_PymodbusInterop.moc"
