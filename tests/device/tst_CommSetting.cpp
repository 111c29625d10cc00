// The device settings dialog's rules: what it loads, the slave ID box, which changes OK
// accepts, the question, the write and its messages, and the connection state.
#include "LinkFixture.h"

#include "device/ComPort.h"
#include "device/CommSetting.h"
#include "device/CommUtil.h"
#include "device/DeviceMenu.h"
#include "device/DeviceWindows.h"

using namespace TestFrames;

namespace {
const QString kTitle = QStringLiteral("設定報警機通訊參數");
const QString kBaudMessage =
    QStringLiteral("通訊速率錯誤!\r\n通訊速率不得為 Unknown。\r\n請重新指定通訊速率!");
const QStringList kRates{
    QStringLiteral("1200"),  QStringLiteral("2400"),   QStringLiteral("4800"),
    QStringLiteral("9600"),  QStringLiteral("19200"),  QStringLiteral("38400"),
    QStringLiteral("57600"), QStringLiteral("115200"), QStringLiteral("UnKnown")};
} // namespace

class tst_CommSetting : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadFillsTheForm();
    void loadOfUnknownModel();
    void loadOpensAClosedPortFirst();
    void loadFailure();
    void unchangedOkWritesNothing();
    void unknownBaudIsRefusedUntilARateIsChosen();
    void typedRateWithoutRowIsRefused();
    void unknownParityIsRefused();
    void changeAsksAndCancelKeepsTheDialog_data();
    void changeAsksAndCancelKeepsTheDialog();
    void changeIsWritten();
    void writeFailure();
    void slaveIDBox();
    void portDialog();
    void deviceMenu();
};

void tst_CommSetting::loadFillsTheForm() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.dialer.holding[0x0080] = 31;
    f.dialer.holding[0x0081] = 0x85; // odd, 38400
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    CommSettingForm form;
    form.lblModelName = QStringLiteral("old");
    QVERIFY(CommSetting::LoadFormObj(*f.ctx, form));
    QCOMPARE(form.lblModelName, QStringLiteral("VX700-RV27S"));
    QCOMPARE(form.lblSN, QStringLiteral("12-09-2143-785634-12"));
    QCOMPARE(form.cmbPortBaudItems, kRates);
    QCOMPARE(form.cmbParityBitItems,
             QStringList({QStringLiteral("EVEN"), QStringLiteral("ODD"), QStringLiteral("NONE"),
                          QStringLiteral("UnKnown")}));
    QCOMPARE(form.cmbPortBaud, QStringLiteral("38400"));
    QCOMPARE(form.cmbParityBit, QStringLiteral("ODD"));
    QCOMPARE(form.txtSlaveID, QStringLiteral("31"));
    QCOMPARE(form.loadedBaud, QStringLiteral("38400"));
    QCOMPARE(form.loadedParity, QStringLiteral("ODD"));
    QCOMPARE(form.loadedSlaveID, QStringLiteral("31"));
    QCOMPARE(f.ui.progressLog,
             QStringList({QStringLiteral("show:裝置通訊設定|讀取裝置通訊設定中..."),
                          QStringLiteral("close")}));
    QVERIFY(f.ui.messages.isEmpty());
    QVERIFY(f.ui.statusLog.isEmpty()); // a successful load leaves the connection state alone
}

void tst_CommSetting::loadOfUnknownModel() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.dialer.input[0] = 0x4306;      // family known, sub-model not
    f.dialer.holding[0x0081] = 0x40; // identifier 64 of no parity
    CommSettingForm form;
    QVERIFY(CommSetting::LoadFormObj(*f.ctx, form));
    QCOMPARE(form.lblModelName, QString());
    QCOMPARE(form.lblSN, QString());
    QCOMPARE(form.cmbPortBaudItems, QStringList{QStringLiteral("UnKnown")});
    QCOMPARE(form.cmbPortBaud, QStringLiteral("UnKnown"));
    QCOMPARE(form.cmbParityBit, QStringLiteral("NONE"));
    // Nothing can be written until a rate exists: every OK is refused with the rate message.
    form.txtSlaveID = QStringLiteral("7");
    QVERIFY(!CommSetting::CheckFormObj(*f.ctx, form));
    QCOMPARE(f.ui.messages.last().text, kBaudMessage);
}

void tst_CommSetting::loadOpensAClosedPortFirst() {
    LinkFixture f;
    QVERIFY(f.Start());
    QVERIFY(!f.dev->IsOpen());
    CommSettingForm form;
    QVERIFY(CommSetting::LoadFormObj(*f.ctx, form));
    QCOMPARE(f.dev->opens, 1);
    QCOMPARE(form.lblModelName, QStringLiteral("VX700-RV27S"));
    // A port that will not open: its own message, the dialog is not shown, offline.
    CommUtil::ClosePort(*f.ctx);
    f.dev->failOpen = true;
    f.ctx->ConnectStatus = true;
    QVERIFY(!CommSetting::LoadFormObj(*f.ctx, form));
    QCOMPARE(f.ui.messages.size(), 1);
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Communicaiton Error"));
    QVERIFY(!f.ctx->ConnectStatus);
    QCOMPARE(f.ui.statusLog.last(), QStringLiteral("ConnectStatus= Offline"));
}

void tst_CommSetting::loadFailure() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.ctx->ConnectStatus = true;
    f.dialer.silent = true;
    f.ctx->comm.TimeOut = 0;
    f.ctx->comm.Retry = 0;
    CommSettingForm form;
    QVERIFY(!CommSetting::LoadFormObj(*f.ctx, form));
    QCOMPARE(f.ui.messages.size(), 1);
    QCOMPARE(f.ui.messages[0].style, vbOKOnly | vbCritical);
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("裝置通訊設定"));
    QCOMPARE(
        f.ui.messages[0].text,
        QStringLiteral(
            "通訊錯誤, 無法連接簡訊報警機!\r\n請檢查下列項目:\r\n1. RS232 通訊線是否已正確連接\r\n"
            "2. PC通訊埠是否正確指定\r\n3. 簡訊報警機的指撥開關SW2是否設為 ON (設定模式)"));
    QCOMPARE(f.ui.progressUpAtMessage, QList<bool>{false});
    QVERIFY(!f.ctx->ConnectStatus);
    QCOMPARE(f.ui.statusLog, QStringList{QStringLiteral("ConnectStatus= Offline")});
}

void tst_CommSetting::unchangedOkWritesNothing() {
    LinkFixture f;
    QVERIFY(f.Start());
    CommSettingForm form;
    QVERIFY(CommSetting::LoadFormObj(*f.ctx, form));
    const int frames = int(f.dev->written.size());
    QVERIFY(!CommSetting::CheckFormObj(*f.ctx, form));
    QCOMPARE(CommSetting::OkPressed(*f.ctx, form), CommSetting::OkAction::Close);
    QVERIFY(f.ui.messages.isEmpty());
    QCOMPARE(f.dev->written.size(), frames);
    // Parity in another letter case is no change either.
    form.cmbParityBit = QStringLiteral("none");
    QVERIFY(!CommSetting::CheckFormObj(*f.ctx, form));
}

void tst_CommSetting::unknownBaudIsRefusedUntilARateIsChosen() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.dialer.holding[0x0081] = 0xC9; // even, identifier 9: no row for the model
    CommSettingForm form;
    QVERIFY(CommSetting::LoadFormObj(*f.ctx, form));
    QCOMPARE(form.cmbPortBaud, QStringLiteral("UnKnown"));
    QCOMPARE(form.cmbParityBit, QStringLiteral("EVEN"));
    form.txtSlaveID = QStringLiteral("9");
    QCOMPARE(CommSetting::OkPressed(*f.ctx, form), CommSetting::OkAction::Close);
    QCOMPARE(f.ui.messages.size(), 1);
    QCOMPARE(f.ui.messages[0].text, kBaudMessage);
    QCOMPARE(f.ui.messages[0].title, kTitle);
    QCOMPARE(f.ui.messages[0].style, vbOKOnly | vbCritical);
    form.cmbPortBaud = QStringLiteral("19200");
    QVERIFY(CommSetting::CheckFormObj(*f.ctx, form));
    QCOMPARE(f.ui.messages.size(), 1);
}

void tst_CommSetting::typedRateWithoutRowIsRefused() {
    LinkFixture f;
    QVERIFY(f.Start());
    CommSettingForm form;
    QVERIFY(CommSetting::LoadFormObj(*f.ctx, form));
    const int frames = int(f.dev->written.size());
    for (const char* typed : {"14400", "9600 ", "", "unknown"}) {
        form.cmbPortBaud = QString::fromLatin1(typed);
        QCOMPARE(CommSetting::OkPressed(*f.ctx, form), CommSetting::OkAction::Close);
        QCOMPARE(f.ui.messages.last().text, kBaudMessage);
    }
    QCOMPARE(f.ui.messages.size(), 4);
    QCOMPARE(f.dev->written.size(), frames);
}

void tst_CommSetting::unknownParityIsRefused() {
    LinkFixture f;
    QVERIFY(f.Start());
    CommSettingForm form;
    QVERIFY(CommSetting::LoadFormObj(*f.ctx, form));
    form.cmbParityBit = QStringLiteral("UnKnown");
    QVERIFY(!CommSetting::CheckFormObj(*f.ctx, form));
    QCOMPARE(
        f.ui.messages.last().text,
        QStringLiteral("同位元檢查錯誤!\r\n同位元檢查不得為 Unknown。\r\n請重新指定同位元檢查!"));
    QCOMPARE(f.ui.messages.last().title, kTitle);
    // The rate is checked first.
    form.cmbPortBaud = QStringLiteral("UnKnown");
    QVERIFY(!CommSetting::CheckFormObj(*f.ctx, form));
    QCOMPARE(f.ui.messages.last().text, kBaudMessage);
}

void tst_CommSetting::changeAsksAndCancelKeepsTheDialog_data() {
    QTest::addColumn<QString>("slave");
    QTest::addColumn<QString>("baud");
    QTest::addColumn<QString>("parity");
    QTest::addColumn<QString>("lines"); // the changes the question lists, old -> new
    // The fixture's dialer: slave ID 247, 9600 baud, no parity.
    QTest::newRow("slave ID") << "12"
                              << "9600"
                              << "NONE"
                              << "站號 (Slave ID): 247 -> 12\r\n";
    QTest::newRow("baud") << "247"
                          << "4800"
                          << "NONE"
                          << "通訊速率: 9600 -> 4800\r\n";
    QTest::newRow("parity, typed in lower case") << "247"
                                                 << "9600"
                                                 << "even"
                                                 << "同位元檢查: NONE -> EVEN\r\n";
    QTest::newRow("all three") << "1"
                               << "19200"
                               << "ODD"
                               << "通訊速率: 9600 -> 19200\r\n同位元檢查: NONE -> ODD\r\n"
                                  "站號 (Slave ID): 247 -> 1\r\n";
}

void tst_CommSetting::changeAsksAndCancelKeepsTheDialog() {
    QFETCH(QString, slave);
    QFETCH(QString, baud);
    QFETCH(QString, parity);
    QFETCH(QString, lines);
    LinkFixture f;
    QVERIFY(f.Start());
    CommSettingForm form;
    QVERIFY(CommSetting::LoadFormObj(*f.ctx, form));
    const int frames = int(f.dev->written.size());
    CommSettingForm changed = form;
    changed.txtSlaveID = slave;
    changed.cmbPortBaud = baud;
    changed.cmbParityBit = parity;
    f.ui.answers.enqueue(vbCancel);
    QCOMPARE(CommSetting::OkPressed(*f.ctx, changed), CommSetting::OkAction::StayOpen);
    const RecordedMsg& q = f.ui.messages.last();
    QCOMPARE(q.text, QStringLiteral("您已變更通訊參數! \r\n") + lines +
                         QStringLiteral("是否要將新的通訊參數, 存入簡訊報警機中?"));
    QCOMPARE(q.title, kTitle);
    QCOMPARE(q.style, vbOKCancel | vbQuestion);
    f.ui.answers.enqueue(vbOK);
    QCOMPARE(CommSetting::OkPressed(*f.ctx, changed), CommSetting::OkAction::CloseAndSave);
    QCOMPARE(f.dev->written.size(), frames); // asking writes nothing
}

void tst_CommSetting::changeIsWritten() {
    LinkFixture f;
    QVERIFY(f.Start());
    CommSettingForm form;
    QVERIFY(CommSetting::LoadFormObj(*f.ctx, form));
    form.txtSlaveID = QStringLiteral("12");
    form.cmbPortBaud = QStringLiteral("38400");
    form.cmbParityBit = QStringLiteral("ODD");
    f.ui.progressLog.clear();
    QVERIFY(CommSetting::SaveFormObj(*f.ctx, form));
    QCOMPARE(f.dev->written.last(),
             WithCrc(Bytes({247, 0x10, 0x00, 0x80, 0x00, 0x02, 0x04, 0x00, 0x0C, 0x00, 0x85})));
    QCOMPARE(f.dialer.holding[0x0080], quint16(12));
    QCOMPARE(f.dialer.holding[0x0081], quint16(0x85));
    QCOMPARE(f.ui.messages.size(), 1);
    QCOMPARE(f.ui.messages[0].text, QStringLiteral("設定報警機通訊參數成功!"));
    QCOMPARE(f.ui.messages[0].style, vbOKOnly);
    QCOMPARE(f.ui.messages[0].title, kTitle);
    QCOMPARE(f.ui.progressLog,
             QStringList({QStringLiteral("show:裝置通訊設定|設定裝置通訊參數中..."),
                          QStringLiteral("close")}));
    QVERIFY(f.ctx->ConnectStatus);
    QCOMPARE(f.ui.statusLog.last(), QStringLiteral("ConnectStatus= Online"));
    // Read back: the dialog now shows what was written.
    QVERIFY(CommSetting::LoadFormObj(*f.ctx, form));
    QCOMPARE(form.txtSlaveID, QStringLiteral("12"));
    QCOMPARE(form.cmbPortBaud, QStringLiteral("38400"));
    QCOMPARE(form.cmbParityBit, QStringLiteral("ODD"));

    // The model without a name (DI1) is written by its type code.
    LinkFixture d;
    QVERIFY(d.Start());
    d.dialer.input[0] = 0x4300;
    QVERIFY(CommSetting::LoadFormObj(*d.ctx, form));
    QCOMPARE(form.lblModelName, QString());
    form.cmbPortBaud = QStringLiteral("57600");
    QVERIFY(CommSetting::CheckFormObj(*d.ctx, form));
    QVERIFY(CommSetting::SaveFormObj(*d.ctx, form));
    QCOMPARE(d.dialer.holding[0x0081], quint16(0x06));
}

void tst_CommSetting::writeFailure() {
    LinkFixture f;
    QVERIFY(f.Start());
    CommSettingForm form;
    QVERIFY(CommSetting::LoadFormObj(*f.ctx, form));
    f.ctx->ConnectStatus = true;
    f.dialer.silent = true;
    f.ctx->comm.TimeOut = 0;
    f.ctx->comm.Retry = 0;
    form.txtSlaveID = QStringLiteral("2");
    QVERIFY(!CommSetting::SaveFormObj(*f.ctx, form));
    QCOMPARE(f.ui.messages.size(), 1);
    QCOMPARE(f.ui.messages[0].style, vbOKOnly | vbCritical);
    QCOMPARE(f.ui.messages[0].title, kTitle);
    QCOMPARE(f.ui.messages[0].text,
             QStringLiteral(
                 "設定報警機通訊參數失敗!\r\n請檢查下列項目:\r\n1. RS232 通訊線是否已正確連接\r\n"
                 "2. PC通訊埠是否正確指定\r\n3. 簡訊報警機的指撥開關SW2是否設為 ON (設定模式)"));
    QCOMPARE(f.ui.progressUpAtMessage, QList<bool>{false});
    QVERIFY(!f.ctx->ConnectStatus);
    QCOMPARE(f.ui.statusLog.last(), QStringLiteral("ConnectStatus= Offline"));
}

void tst_CommSetting::slaveIDBox() {
    using CommSetting::ClampSlaveID;
    using CommSetting::SlaveIDKeyAccepted;
    for (QChar c : QStringLiteral("0123456789"))
        QVERIFY(SlaveIDKeyAccepted(c));
    for (QChar c : QStringLiteral("a-+. \b\x7f\r"))
        QVERIFY(!SlaveIDKeyAccepted(c));
    QVERIFY(!SlaveIDKeyAccepted(QChar(0x0661))); // an Arabic-Indic digit is not 0..9
    QCOMPARE(ClampSlaveID(QStringLiteral("0")), QStringLiteral("1"));
    QCOMPARE(ClampSlaveID(QString()), QStringLiteral("1"));
    QCOMPARE(ClampSlaveID(QStringLiteral("1")), QStringLiteral("1"));
    QCOMPARE(ClampSlaveID(QStringLiteral("255")), QStringLiteral("255"));
    QCOMPARE(ClampSlaveID(QStringLiteral("256")), QStringLiteral("255"));
    QCOMPARE(ClampSlaveID(QStringLiteral("2471")), QStringLiteral("255"));
    QCOMPARE(ClampSlaveID(QStringLiteral("99999999999")), QStringLiteral("255"));
    QCOMPARE(ClampSlaveID(QStringLiteral("12")), QStringLiteral("12"));
    QCOMPARE(ClampSlaveID(QStringLiteral("1x2")), QStringLiteral("12")); // pasted text
}

void tst_CommSetting::portDialog() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.ctx->comm.PortName = QStringLiteral("/tmp/korva-no-such-port");
    const ComPortChoices c = ComPort::LoadFormObj(*f.ctx);
#ifdef Q_OS_WIN
    QCOMPARE(c.items.size(), 16);
    QVERIFY(!c.editable);
#else
    QVERIFY(c.editable);
    QCOMPARE(c.current, QStringLiteral("/tmp/korva-no-such-port")); // a typed path stays
    QCOMPARE(c.items.size(), c.ports.size());
    QCOMPARE(ComPort::PortOfText(c, QStringLiteral("  /dev/pts/7 ")), QStringLiteral("/dev/pts/7"));
    ComPortChoices listed;
    listed.items = {QStringLiteral("/dev/ttyUSB0  (USB Serial)")};
    listed.ports = {QStringLiteral("/dev/ttyUSB0")};
    QCOMPARE(ComPort::PortOfText(listed, listed.items[0]), QStringLiteral("/dev/ttyUSB0"));
    // OK on an open port closes it, points it at the new port and opens that.
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    QVERIFY(ComPort::OkPressed(*f.ctx, c, QStringLiteral("/dev/ttyNEW")));
    QCOMPARE(f.dev->closes, 1);
    QCOMPARE(f.dev->openedNames, QStringList({QStringLiteral("/tmp/korva-no-such-port"),
                                              QStringLiteral("/dev/ttyNEW")}));
    QCOMPARE(f.ctx->comm.PortName, QStringLiteral("/dev/ttyNEW"));
    // A port that will not open while connected: false after the open failure's message, and
    // offline, the old port being closed.
    f.ctx->ConnectStatus = true;
    f.dev->failOpen = true;
    QVERIFY(!ComPort::OkPressed(*f.ctx, c, QStringLiteral("/dev/ttyGONE")));
    QCOMPARE(f.ui.messages.last().title, QStringLiteral("Communicaiton Error"));
    QVERIFY(!f.ctx->ConnectStatus);
    QCOMPARE(f.ui.statusLog.last(), QStringLiteral("ConnectStatus= Offline"));
    // No port at all: asked for one, nothing opened.
    f.dev->failOpen = false;
    const int opens = f.dev->opens;
    QVERIFY(!ComPort::OkPressed(*f.ctx, c, QStringLiteral("  ")));
    QCOMPARE(f.dev->opens, opens);
    QCOMPARE(f.ui.messages.last().text, QStringLiteral("請選擇或輸入 PC 通訊埠!"));
#endif
}

void tst_CommSetting::deviceMenu() {
    LinkFixture f;
    QVERIFY(f.Start());
    DeviceMenuState s = DeviceMenu::DeviceMenuRule(*f.ctx);
    QVERIFY(!s.connectChecked);
    QVERIFY(!s.disconnectEnabled);
    QVERIFY(!s.settingEnabled);
    QVERIFY(!s.downloadEnabled);
    QCOMPARE(s.connectCaption, QStringLiteral("連線簡訊報警機"));
    f.ctx->ConnectStatus = true;
    s = DeviceMenu::DeviceMenuRule(*f.ctx);
    QVERIFY(s.connectChecked);
    QVERIFY(s.disconnectEnabled);
    QVERIFY(s.settingEnabled);
    QVERIFY(!s.downloadEnabled); // no project open
    f.ctx->project.ProjName = QStringLiteral("demo");
    QVERIFY(DeviceMenu::DeviceMenuRule(*f.ctx).downloadEnabled);
    f.ctx->ConnectStatus = false;
    QVERIFY(!DeviceMenu::DeviceMenuRule(*f.ctx).downloadEnabled);
    f.ctx->project.ProjName.clear();

    // Connect: the port dialog first; only a port that opened leads to Connect.
    f.ui.modalAnswers.enqueue(false);
    DeviceMenu::DeviceConnectCommand(*f.ctx);
    QCOMPARE(f.ui.modalsShown, QList<Window>{Windows::frmComPort});
    QVERIFY(f.dev->written.isEmpty());
    QVERIFY(CommUtil::EnsurePortOpen(*f.ctx));
    f.ui.modalAnswers.enqueue(true);
    DeviceMenu::DeviceConnectCommand(*f.ctx);
    QVERIFY(f.ctx->ConnectStatus);
    QVERIFY(!f.dev->written.isEmpty());
    DeviceMenu::DeviceSettingCommand(*f.ctx);
    QCOMPARE(f.ui.modalsShown.last(), Windows::frmCommSetting);

    // Disconnect: the port is closed and the link offline, without a word to the device.
    const qsizetype frames = f.dev->written.size();
    DeviceMenu::DeviceDisconnectCommand(*f.ctx);
    QVERIFY(!f.dev->IsOpen());
    QVERIFY(!f.ctx->ConnectStatus);
    QCOMPARE(f.ui.statusLog.last(), QStringLiteral("ConnectStatus= Offline"));
    QCOMPARE(f.dev->written.size(), frames);
    QVERIFY(!DeviceMenu::DeviceMenuRule(*f.ctx).disconnectEnabled);
}

QTEST_GUILESS_MAIN(tst_CommSetting)
#include "tst_CommSetting.moc"
