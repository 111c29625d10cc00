// The device's registers: model tables, serial number packing, the COM1 setting byte, the
// settings read and write, and connecting with its messages and connection state.
#include "LinkFixture.h"

#include "device/CommUtil.h"
#include "device/KORVACommUtil.h"

using namespace TestFrames;

class tst_KORVACommUtil : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void modelTable_data();
    void modelTable();
    void serialNumberPacking();
    void settingByte();
    void readCommSettings();
    void readCommSettingsStopsAtFirstFailure();
    void unknownBaudIdentifierReadsUnknown();
    void writeCommSettingsFrame();
    void writeRefusesWhatTheDeviceCannotTake();
    void writeWithEmptyBaudTableSendsNothing();
    void connectSucceeds();
    void connectToUnknownModel();
    void connectFails();
    void connectWithPortThatWillNotOpen();
    void connectLosesThePort();
    void connectInEnglish();
};

void tst_KORVACommUtil::modelTable_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("name");
    const QString U = QStringLiteral("UnKnown");
    QTest::newRow("4006") << 0x4006 << "RV27S"
                          << "VX700-RV27S";
    QTest::newRow("4005 other sub-model") << 0x4005 << U << U;
    QTest::newRow("4106") << 0x4106 << "RV27MS"
                          << "VX700-RV27MS";
    QTest::newRow("4100") << 0x4100 << U << U;
    QTest::newRow("4300 no name") << 0x4300 << "DI1"
                                  << "";
    QTest::newRow("4310") << 0x4310 << "DI1V"
                          << "VX800-DI1V";
    QTest::newRow("4303") << 0x4303 << "DI8"
                          << "VX800-DI8";
    QTest::newRow("4313") << 0x4313 << "DI8VM"
                          << "VX800-DI8VM";
    QTest::newRow("4306") << 0x4306 << U << U;
    QTest::newRow("4406") << 0x4406 << "RV27MS"
                          << "VX800-RV27MS";
    QTest::newRow("4407") << 0x4407 << U << U;
    QTest::newRow("4500") << 0x4500 << "MD"
                          << "VX800-MD";
    QTest::newRow("4510") << 0x4510 << "SCF"
                          << "VX800-SCF";
    QTest::newRow("4520") << 0x4520 << "SLF"
                          << "VX800-SLF";
    QTest::newRow("4530") << 0x4530 << U << U;
    QTest::newRow("80xx") << 0x80AB << "AI"
                          << "VX700-AI";
    QTest::newRow("9906") << 0x9906 << U << U;
    QTest::newRow("0006") << 0x0006 << U << U;
}

void tst_KORVACommUtil::modelTable() {
    QFETCH(int, id);
    QFETCH(QString, type);
    QFETCH(QString, name);
    const ModelEntry m = KORVACommUtil::ModelOf(id);
    QCOMPARE(m.TypeCode, type);
    QCOMPARE(m.ModelName, name);
    // The model is read from the device, once per result.
    LinkFixture f;
    QVERIFY(f.Start());
    f.dialer.input[0] = quint16(id);
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QString t = QStringLiteral("stale");
    QString n = QStringLiteral("stale");
    QVERIFY(KORVACommUtil::ReadModelType(*f.ctx, t));
    QVERIFY(KORVACommUtil::ReadModelName(*f.ctx, n));
    QCOMPARE(t, type);
    QCOMPARE(n, name);
    QCOMPARE(f.dev->written.size(), 2);
    QCOMPARE(f.dev->written[0], WithCrc(Bytes({247, 0x04, 0, 0, 0, 1})));
}

void tst_KORVACommUtil::serialNumberPacking() {
    QCOMPARE(
        KORVACommUtil::SerialNumberText(Bytes({0x34, 0x12, 0x78, 0x56, 0x21, 0x43, 0x12, 0x09})),
        QStringLiteral("12-09-2143-785634-12"));
    QCOMPARE(KORVACommUtil::SerialNumberText(Bytes({0xAB, 0xCD, 0, 1, 2, 3, 0xEF, 0x0F})),
             QStringLiteral("EF-0F-0203-0001AB-CD"));
    // From the device: registers 0x0002..0x0005 hold 3412 7856 2143 1209.
    LinkFixture f;
    QVERIFY(f.Start());
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QString sn = QStringLiteral("stale");
    QVERIFY(KORVACommUtil::ReadSerialNumber(*f.ctx, sn));
    QCOMPARE(sn, QStringLiteral("12-09-2143-785634-12"));
    QCOMPARE(f.dev->written[0], WithCrc(Bytes({247, 0x04, 0, 2, 0, 4})));
    f.dialer.silent = true;
    f.ctx->comm.TimeOut = 0;
    f.ctx->comm.Retry = 0;
    QVERIFY(!KORVACommUtil::ReadSerialNumber(*f.ctx, sn));
    QCOMPARE(sn, QString());
}

void tst_KORVACommUtil::settingByte() {
    struct Case {
        int byte;
        const char* parity;
        int id;
    };
    for (const Case& c :
         {Case{0xC3, "E", 3}, Case{0x83, "O", 3}, Case{0x03, "N", 3}, Case{0x00, "N", 0},
          Case{0x7F, "N", 127}, Case{0xBF, "O", 63}, Case{0xC0, "E", 0}, Case{0xFF, "E", 63}}) {
        const Com1Setting s = KORVACommUtil::DecodeSettingByte(c.byte);
        QCOMPARE(s.Parity, QString::fromLatin1(c.parity));
        QCOMPARE(s.BaudID, c.id);
    }
    QCOMPARE(KORVACommUtil::SettingByte(5, QStringLiteral("ODD")), 0x85);
    QCOMPARE(KORVACommUtil::SettingByte(5, QStringLiteral("o")), 0x85);
    QCOMPARE(KORVACommUtil::SettingByte(3, QStringLiteral("Even")), 0xC3);
    QCOMPARE(KORVACommUtil::SettingByte(3, QStringLiteral("E")), 0xC3);
    QCOMPARE(KORVACommUtil::SettingByte(7, QStringLiteral("none")), 0x07);
    QCOMPARE(KORVACommUtil::SettingByte(7, QStringLiteral("N")), 0x07);
    QCOMPARE(KORVACommUtil::SettingByte(7, QStringLiteral("UnKnown")), -1);
    QCOMPARE(KORVACommUtil::SettingByte(-1, QStringLiteral("NONE")), -1);
    QCOMPARE(KORVACommUtil::SettingByte(64, QStringLiteral("NONE")), -1);
}

void tst_KORVACommUtil::readCommSettings() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.dialer.holding[0x0080] = 12;
    f.dialer.holding[0x0081] = 0xC3; // even, identifier 3
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    DeviceInfo info;
    QVERIFY(KORVACommUtil::ReadCommSettings(*f.ctx, info, true));
    QCOMPARE(info.TypeCode, QStringLiteral("RV27S"));
    QCOMPARE(info.ModelName, QStringLiteral("VX700-RV27S"));
    QCOMPARE(info.SerialNo, QStringLiteral("12-09-2143-785634-12"));
    QCOMPARE(info.SlaveID, QStringLiteral("12"));
    QCOMPARE(info.Parity, QStringLiteral("E"));
    QCOMPARE(info.BaudRate, QStringLiteral("9600"));
    QCOMPARE(f.ui.progressLog,
             QStringList({QStringLiteral("show:裝置通訊設定|讀取裝置通訊設定中..."),
                          QStringLiteral("close")}));
    QCOMPARE(f.dev->written.size(), 4);
    QCOMPARE(f.dev->written[3], WithCrc(Bytes({247, 0x03, 0, 0x80, 0, 2})));
    // Without its progress window it shows nothing.
    f.ui.progressLog.clear();
    QVERIFY(KORVACommUtil::ReadCommSettings(*f.ctx, info, false));
    QVERIFY(f.ui.progressLog.isEmpty());
}

void tst_KORVACommUtil::readCommSettingsStopsAtFirstFailure() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.dialer.input.remove(0x0004); // the serial number read gets an exception
    f.ctx->comm.Retry = 1;
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    DeviceInfo info;
    QVERIFY(!KORVACommUtil::ReadCommSettings(*f.ctx, info, true));
    // type, name, then two attempts at the serial number; the holding registers are not read
    QCOMPARE(f.dev->written.size(), 4);
    QCOMPARE(f.ui.progressLog.last(), QStringLiteral("close"));
    QCOMPARE(info.TypeCode, QStringLiteral("RV27S"));
    QCOMPARE(info.SerialNo, QString());
}

void tst_KORVACommUtil::unknownBaudIdentifierReadsUnknown() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.dialer.holding[0x0081] = 0x8A; // odd, identifier 10: no row
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    DeviceInfo info;
    QVERIFY(KORVACommUtil::ReadCommSettings(*f.ctx, info, false));
    QCOMPARE(info.Parity, QStringLiteral("O"));
    QCOMPARE(info.BaudRate, QStringLiteral("UnKnown"));
    // A model without rows reads UnKnown for every identifier.
    f.dialer.input[0] = 0x9906;
    f.dialer.holding[0x0081] = 0x03;
    QVERIFY(KORVACommUtil::ReadCommSettings(*f.ctx, info, false));
    QCOMPARE(info.BaudRate, QStringLiteral("UnKnown"));
    QCOMPARE(KORVACommUtil::LookupBaudRate(*f.ctx, QStringLiteral("RV27MS"), QStringLiteral("7")),
             QStringLiteral("115200"));
}

void tst_KORVACommUtil::writeCommSettingsFrame() {
    LinkFixture f;
    QVERIFY(f.Start());
    // Slave ID 12, odd parity, 38400 (identifier 5): data bytes 00 0C 00 85.
    QVERIFY(KORVACommUtil::WriteCommSettings(*f.ctx, QStringLiteral("VX700-RV27S"),
                                             QStringLiteral("12"), QStringLiteral("38400"),
                                             QStringLiteral("ODD"), true));
    QCOMPARE(f.dev->opens, 1); // the write opens the port itself
    QCOMPARE(f.dev->written.size(), 1);
    QCOMPARE(f.dev->written[0],
             WithCrc(Bytes({247, 0x10, 0x00, 0x80, 0x00, 0x02, 0x04, 0x00, 0x0C, 0x00, 0x85})));
    QCOMPARE(f.dialer.holding[0x0080], quint16(12));
    QCOMPARE(f.dialer.holding[0x0081], quint16(0x85));
    QCOMPARE(f.ui.progressLog,
             QStringList({QStringLiteral("show:裝置通訊設定|設定裝置通訊參數中..."),
                          QStringLiteral("close")}));
    // The model name is compared from its seventh character on, in any letter case.
    QVERIFY(KORVACommUtil::WriteCommSettings(*f.ctx, QStringLiteral("vx700-rv27ms"),
                                             QStringLiteral("1"), QStringLiteral("115200"),
                                             QStringLiteral("e"), false));
    QCOMPARE(f.dev->written[1].mid(7, 4), Bytes({0x00, 0x01, 0x00, 0xC7}));
    // The model without a name of its own (DI1) writes by its type code.
    QVERIFY(KORVACommUtil::WriteCommSettings(*f.ctx, QString(), QStringLiteral("255"),
                                             QStringLiteral("9600"), QStringLiteral("NONE"), false,
                                             QStringLiteral("DI1")));
    QCOMPARE(f.dev->written[2].mid(7, 4), Bytes({0x00, 0xFF, 0x00, 0x03}));
    // A device that does not answer: false, progress closed.
    f.dialer.silent = true;
    f.ctx->comm.TimeOut = 0;
    f.ctx->comm.Retry = 0;
    f.ui.progressLog.clear();
    QVERIFY(!KORVACommUtil::WriteCommSettings(*f.ctx, QStringLiteral("VX700-RV27S"),
                                              QStringLiteral("12"), QStringLiteral("38400"),
                                              QStringLiteral("ODD"), true));
    QCOMPARE(f.ui.progressLog.last(), QStringLiteral("close"));
}

void tst_KORVACommUtil::writeRefusesWhatTheDeviceCannotTake() {
    LinkFixture f;
    QVERIFY(f.Start());
    struct Case {
        const char* model;
        const char* slave;
        const char* baud;
        const char* parity;
    };
    // An unlisted rate with no parity, with parity, an unknown parity text, a slave ID
    // outside 1..255, a model name whose type has no rows.
    for (const Case& c :
         {Case{"VX700-RV27S", "12", "12345", "NONE"}, Case{"VX700-RV27S", "12", "12345", "EVEN"},
          Case{"VX700-RV27S", "12", "9600", "UnKnown"}, Case{"VX700-RV27S", "0", "9600", "NONE"},
          Case{"VX700-RV27S", "256", "9600", "NONE"}, Case{"UnKnown", "12", "9600", "NONE"},
          Case{"", "12", "9600", "ODD"}}) {
        QVERIFY(!KORVACommUtil::WriteCommSettings(
            *f.ctx, QString::fromUtf8(c.model), QString::fromUtf8(c.slave),
            QString::fromUtf8(c.baud), QString::fromUtf8(c.parity), true));
    }
    QVERIFY(f.dev->written.isEmpty());
    QCOMPARE(f.dev->opens, 0);
    QVERIFY(f.ui.progressLog.isEmpty());
    QVERIFY(f.ui.messages.isEmpty());
}

void tst_KORVACommUtil::writeWithEmptyBaudTableSendsNothing() {
    LinkFixture f;
    QVERIFY(f.Start(1028, QStringLiteral("DELETE FROM CommBaudList;")));
    QVERIFY(!KORVACommUtil::WriteCommSettings(*f.ctx, QStringLiteral("VX700-RV27S"),
                                              QStringLiteral("12"), QStringLiteral("9600"),
                                              QStringLiteral("NONE"), true));
    QVERIFY(f.dev->written.isEmpty());
    QVERIFY(f.ui.progressLog.isEmpty());
}

void tst_KORVACommUtil::connectSucceeds() {
    LinkFixture f;
    QVERIFY(f.Start());
    KORVACommUtil::Connect(*f.ctx);
    QVERIFY(f.ctx->ConnectStatus);
    QCOMPARE(f.ui.statusLog, QStringList{QStringLiteral("ConnectStatus= Online")});
    QCOMPARE(f.ui.messages.size(), 1);
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("連線簡訊報警機"));
    QCOMPARE(f.ui.messages[0].style, vbOKOnly | vbInformation);
    QCOMPARE(
        f.ui.messages[0].text,
        QStringLiteral(
            "連線至簡訊報警機成功!\r\n\r\nModel No.: VX700-RV27S\r\nS/N : 12-09-2143-785634-12\r\n"
            "Commnunication Settings : 9600, N, 8, 1"));
    QCOMPARE(f.ui.progressUpAtMessage, QList<bool>{false});
    QCOMPARE(f.ui.progressLog.first(), QStringLiteral("show:連線簡訊報警機|正在連線中..."));
    // The first frame proves the device answers: register 0x0006.
    QCOMPARE(f.dev->written[0], WithCrc(Bytes({247, 0x04, 0, 6, 0, 1})));
    QCOMPARE(f.dev->written.size(), 5);
}

void tst_KORVACommUtil::connectToUnknownModel() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.dialer.input[0] = 0x7712;
    KORVACommUtil::Connect(*f.ctx);
    QVERIFY(f.ctx->ConnectStatus);
    QVERIFY(f.ui.messages[0].text.contains(QStringLiteral("\r\nModel No.: UnKnown\r\n")));
    QVERIFY(f.ui.messages[0].text.endsWith(
        QStringLiteral("Commnunication Settings : UnKnown, N, 8, 1")));
}

void tst_KORVACommUtil::connectFails() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.ctx->ConnectStatus = true;
    f.dialer.silent = true; // SW2 off
    f.ctx->comm.TimeOut = 0;
    f.ctx->comm.Retry = 0;
    KORVACommUtil::Connect(*f.ctx);
    QVERIFY(!f.ctx->ConnectStatus);
    QCOMPARE(f.ui.statusLog, QStringList{QStringLiteral("ConnectStatus= Offline")});
    QCOMPARE(f.ui.messages.size(), 1);
    QCOMPARE(f.ui.messages[0].style, vbOKOnly | vbCritical);
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("連線簡訊報警機"));
    QCOMPARE(f.ui.messages[0].text,
             QStringLiteral(
                 "連線至簡訊報警機失敗! \r\n請檢查下列項目:\r\n1. RS232 通訊線是否已正確連接\r\n"
                 "2. PC通訊埠是否正確指定\r\n3. 簡訊報警機的指撥開關SW2是否設為 ON (設定模式)"));
    QCOMPARE(f.ui.progressUpAtMessage, QList<bool>{false});
    QCOMPARE(f.dev->written.size(), 1);

    // A failure in the middle of the sequence (after the first read) ends the same way.
    LinkFixture g;
    QVERIFY(g.Start());
    g.dialer.input.remove(0x0003);
    g.ctx->comm.Retry = 0;
    KORVACommUtil::Connect(*g.ctx);
    QVERIFY(!g.ctx->ConnectStatus);
    QCOMPARE(g.ui.messages.size(), 1);
    QCOMPARE(g.ui.messages[0].style, vbOKOnly | vbCritical);
    QCOMPARE(g.ui.progressUpAtMessage, QList<bool>{false});
}

void tst_KORVACommUtil::connectWithPortThatWillNotOpen() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.ctx->ConnectStatus = true;
    f.dev->failOpen = true;
    KORVACommUtil::Connect(*f.ctx);
    QCOMPARE(f.ui.messages.size(), 1);
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Communicaiton Error"));
    QVERIFY(!f.ctx->ConnectStatus);
    QVERIFY(!f.ctx->port->IsOpen());
    QCOMPARE(f.ui.statusLog, QStringList{QStringLiteral("ConnectStatus= Offline")});
    QVERIFY(f.ui.progressLog.isEmpty());
}

void tst_KORVACommUtil::connectLosesThePort() {
    LinkFixture f;
    QVERIFY(f.Start());
    int answered = 0;
    f.dev->responder = [&](const QByteArray& req) {
        ScriptedReply r = f.dialer.Answer(req);
        if (++answered == 4) { // the cable is pulled during the serial number
            r.bytes = r.bytes.left(4);
            r.loseAfter = true;
        }
        return r;
    };
    QElapsedTimer t;
    t.start();
    KORVACommUtil::Connect(*f.ctx);
    QVERIFY(t.elapsed() < 1500);
    QVERIFY(!f.ctx->ConnectStatus);
    QVERIFY(!f.dev->IsOpen());
    QCOMPARE(f.ui.messages.size(), 1);
    QVERIFY(f.ui.messages[0].text.startsWith(QStringLiteral("連線至簡訊報警機失敗! ")));
    QVERIFY(f.ui.messages[0].text.endsWith(QStringLiteral(
        "\r\n\r\n[/dev/ttyFAKE0] 通訊埠連線中斷 (通訊線已拔除或裝置已離線), 通訊埠已關閉。")));
    // Connecting again reopens the port.
    answered = 100;
    KORVACommUtil::Connect(*f.ctx);
    QVERIFY(f.ctx->ConnectStatus);
    QCOMPARE(f.dev->opens, 2);
}

void tst_KORVACommUtil::connectInEnglish() {
    LinkFixture f;
    QVERIFY(f.Start(1033));
    KORVACommUtil::Connect(*f.ctx);
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Connect to SMS Alarm Dialer"));
    QVERIFY(f.ui.messages[0].text.startsWith(
        QStringLiteral("Connected to the SMS alarm dialer!\r\n\r\nModel No.: ")));
    QVERIFY(
        f.ui.messages[0].text.contains(QStringLiteral("Communication settings: 9600, N, 8, 1")));
    f.dialer.silent = true;
    f.ctx->comm.TimeOut = 0;
    f.ctx->comm.Retry = 0;
    KORVACommUtil::Connect(*f.ctx);
    QVERIFY(
        f.ui.messages[1].text.contains(QStringLiteral("Is the dialer's DIP switch SW2 set to ON")));
    QCOMPARE(f.ui.statusLog.last(), QStringLiteral("ConnectStatus= Offline"));
}

QTEST_GUILESS_MAIN(tst_KORVACommUtil)
#include "tst_KORVACommUtil.moc"
