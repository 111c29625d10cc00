// The register diagnostic window's core: its rows read from the scripted dialer, the
// identity shown when it opens, and a pass that stops at the first failure.
#include "LinkFixture.h"
#include "device/CommUtil.h"
#include "device/DebugRegisters.h"
#include "device/DeviceWindows.h"

class tst_DebugRegisters : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rowValues_data();
    void rowValues();
    void identityWhenOpening_data();
    void identityWhenOpening();
    void stopsAtTheFirstFailureKeepingLaterRows();
    void splitTag_data();
    void splitTag();
};

namespace {
// The port dialog as a person confirming it: the port opens.
void ConfirmPortDialog(LinkFixture& f) {
    f.ui.onModal = [&f](Window w) {
        return w == Windows::frmComPort && CommUtil::EnsurePortOpen(*f.ctx);
    };
}
int RowOf(const DebugForm& form, const char* key) {
    for (int i = 0; i < form.rows.size(); ++i)
        if (form.rows[i].key == QLatin1String(key)) return i;
    return -1;
}
} // namespace

void tst_DebugRegisters::rowValues_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("settingRegister");
    QTest::addColumn<QString>("value");
    QTest::newRow("serial number: 8 bytes") << "ProductSN" << 0x0003 << "3412785621431209";
    QTest::newRow("coils: 8 bytes") << "CurrentAlarm" << 0x0003 << "0100000000000080";
    QTest::newRow("even parity, baud 3") << "SettingofCOM1" << 0x00C3 << "00C3";
    QTest::newRow("holding register") << "CRC-16ofProject" << 0x0003 << "BEEF";
    QTest::newRow("model id") << "ModelID" << 0x0003 << "4006";
}

void tst_DebugRegisters::rowValues() {
    QFETCH(QString, key);
    QFETCH(int, settingRegister);
    QFETCH(QString, value);
    LinkFixture f;
    QVERIFY(f.Start());
    f.dialer.holding[0x0081] = quint16(settingRegister);
    ConfirmPortDialog(f);
    DebugForm form;
    DebugRegisters::LoadFormObj(*f.ctx, form);
    QCOMPARE(form.rows.size(), 13);
    QVERIFY(DebugRegisters::cmdRead_Click(*f.ctx, form));
    QCOMPARE(form.values.value(RowOf(form, key.toLatin1().constData())), value);
    QCOMPARE(f.ui.messages.last().text, QStringLiteral("讀取Quillon暫存器資訊成功！"));
    QCOMPARE(f.ui.messages.last().title, QStringLiteral("RV27 偵錯工具"));
    QCOMPARE(int(f.ui.messages.last().style), int(vbOKOnly));
}

void tst_DebugRegisters::identityWhenOpening_data() {
    QTest::addColumn<bool>("portConfirmed");
    QTest::addColumn<int>("modelId");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("settings");
    QTest::newRow("known model") << true << 0x4006 << "12-09-2143-785634-12"
                                 << "9600, N, 8, 1";
    QTest::newRow("unknown model") << true << 0x7F01 << "UnKnown"
                                   << "UnKnown";
    QTest::newRow("port dialog cancelled") << false << 0x4006 << "UnKnown"
                                           << "UnKnown";
}

void tst_DebugRegisters::identityWhenOpening() {
    QFETCH(bool, portConfirmed);
    QFETCH(int, modelId);
    QFETCH(QString, serial);
    QFETCH(QString, settings);
    LinkFixture f;
    QVERIFY(f.Start());
    f.dialer.input[0x0000] = quint16(modelId);
    if (portConfirmed) ConfirmPortDialog(f);
    DebugForm form;
    form.lblSNNo = QStringLiteral("old");
    DebugRegisters::LoadFormObj(*f.ctx, form);
    QCOMPARE(form.lblSNNo, serial);
    QCOMPARE(form.lblCommSettings, settings);
    QCOMPARE(form.values, QStringList(13, QString()));
    QVERIFY(f.ui.messages.isEmpty());
    QCOMPARE(f.dev->written.isEmpty(), !portConfirmed);
}

void tst_DebugRegisters::stopsAtTheFirstFailureKeepingLaterRows() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.ctx->comm.TimeOut = 0;
    f.ctx->comm.Retry = 0;
    ConfirmPortDialog(f);
    DebugForm form;
    DebugRegisters::LoadFormObj(*f.ctx, form);
    QVERIFY(DebugRegisters::cmdRead_Click(*f.ctx, form));
    const QStringList first = form.values;

    // Second pass: new values, and the device falls silent after the fifth row.
    f.dialer.input[0x0000] = 0x4106;
    f.dialer.input[0x0007] = 0x0099;
    f.dialer.holding[0x0082] = 0x1234;
    int answered = 0;
    f.dev->responder = [&](const QByteArray& req) {
        return ++answered <= 5 ? f.dialer.Answer(req) : ScriptedReply{};
    };
    // Each row read is handed on at once, with the device's answers so far and no message.
    QStringList shown;
    const int before = f.ui.messages.size();
    QVERIFY(!DebugRegisters::cmdRead_Click(*f.ctx, form, [&](int i) {
        QCOMPARE(i, shown.size());
        QCOMPARE(answered, i + 1);
        QCOMPARE(f.ui.messages.size(), before);
        shown << form.values[i];
    }));
    QCOMPARE(shown, form.values.mid(0, 5));
    QCOMPARE(form.values[0], QStringLiteral("4106"));
    QCOMPARE(form.values[4], QStringLiteral("0099"));
    QCOMPARE(form.values.mid(5), first.mid(5));
    QCOMPARE(answered, 6); // nothing is asked after the failed row
    QCOMPARE(f.ui.messages.last().text, QStringLiteral("讀取Quillon暫存器資訊失敗！"));
    QCOMPARE(f.ui.messages.last().title, QStringLiteral("RV27 偵錯工具"));
    QCOMPARE(f.ui.busyDepth, 0);

    // A cancelled port dialog reads nothing and says nothing.
    f.ui.onModal = [](Window) { return false; };
    const int messages = f.ui.messages.size();
    QVERIFY(!DebugRegisters::cmdRead_Click(*f.ctx, form));
    QCOMPARE(answered, 6);
    QCOMPARE(f.ui.messages.size(), messages);
}

void tst_DebugRegisters::splitTag_data() {
    QTest::addColumn<QString>("tag");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("function");
    QTest::newRow("input") << "10,4" << 10 << 4;
    QTest::newRow("holding") << "129,3" << 129 << 3;
    QTest::newRow("blanks") << " 2 , 4" << 2 << 4;
    QTest::newRow("no comma") << "7" << 7 << 0;
    QTest::newRow("second comma") << "6,4,1" << 6 << 4;
}

void tst_DebugRegisters::splitTag() {
    QFETCH(QString, tag);
    QFETCH(int, address);
    QFETCH(int, function);
    int a = -1;
    int fn = -1;
    DebugRegisters::SplitTag(tag, a, fn);
    QCOMPARE(a, address);
    QCOMPARE(fn, function);
}

QTEST_GUILESS_MAIN(tst_DebugRegisters)
#include "tst_DebugRegisters.moc"
