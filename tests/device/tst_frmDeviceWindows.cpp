// The device windows offscreen: the progress window, the port dialog and the settings
// dialog with its slave ID box, wired to the scripted device.
#include "LinkFixture.h"

#include "device/CommUtil.h"
#include "device/frmComPort.h"
#include "device/frmCommSetting.h"
#include "device/frmMessage.h"
#include "ml/QtUi.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

class tst_frmDeviceWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void progressWindow();
    void progressWindowThroughTheUi();
    void portDialog();
    void settingsDialogShowsTheDevice();
    void slaveIDBoxTakesDigitsOnly();
    void okWritesTheChange();
    void okWithoutChangeCloses();
    void settingsDialogNotShownWhenTheDeviceIsSilent();
    void englishTexts();
};

void tst_frmDeviceWindows::progressWindow() {
    LinkFixture f;
    QVERIFY(f.Start());
    frmMessage w(f.ctx->ml);
    QCOMPARE(w.lblMessage()->text(), QStringLiteral("處理中, 請稍候..."));
    w.CloseProgress(); // not shown: nothing happens
    QVERIFY(!w.isVisible());
    w.ShowProgress(QStringLiteral("連線簡訊報警機"), QStringLiteral("正在連線中..."));
    QVERIFY(w.isVisible());
    QCOMPARE(w.windowModality(), Qt::ApplicationModal);
    QCOMPARE(w.windowTitle(), QStringLiteral("連線簡訊報警機"));
    QCOMPARE(w.lblMessage()->text(), QStringLiteral("正在連線中..."));
    QCOMPARE(w.cursor().shape(), Qt::WaitCursor);
    QCOMPARE(QApplication::activeModalWidget(), &w);
    w.CloseProgress();
    QVERIFY(!w.isVisible());
    QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

void tst_frmDeviceWindows::progressWindowThroughTheUi() {
    LinkFixture f;
    QVERIFY(f.Start());
    QtUi ui;
    QWidget owner;
    frmMessage::Attach(ui, f.ctx->ml, &owner);
    auto shown = [&owner] { return owner.findChild<frmMessage*>(); };
    QVERIFY(!shown()); // made on first use
    ui.CloseProgress();
    ui.ShowProgress(QStringLiteral("裝置通訊設定"), QStringLiteral("讀取裝置通訊設定中..."));
    frmMessage* w = shown();
    QVERIFY(w && w->isVisible());
    QCOMPARE(w->lblMessage()->text(), QStringLiteral("讀取裝置通訊設定中..."));
    ui.CloseProgress();
    QVERIFY(!w->isVisible());
    ui.ShowProgress(QStringLiteral("a"), QStringLiteral("b"));
    QCOMPARE(shown(), w); // one instance, reused
    // A determinate step shows the bar and its line; the next showing starts without them.
    QVERIFY(w->pbProgress()->isHidden());
    ui.SetProgressValue(3, 8, QStringLiteral("電話簿 第 1 / 3 筆"));
    QVERIFY(w->pbProgress()->isVisible() && w->lblProgress()->isVisible());
    QCOMPARE(w->pbProgress()->value(), 3);
    QCOMPARE(w->pbProgress()->maximum(), 8);
    QCOMPARE(w->lblProgress()->text(), QStringLiteral("電話簿 第 1 / 3 筆"));
    ui.CloseProgress();
    ui.ShowProgress(QStringLiteral("a"), QStringLiteral("b"));
    QVERIFY(w->pbProgress()->isHidden() && w->lblProgress()->isHidden());
    ui.CloseProgress();
}

void tst_frmDeviceWindows::portDialog() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.ctx->comm.PortName = QStringLiteral("/dev/ttyFAKE9");
    frmComPort dialog(*f.ctx);
    dialog.LoadFormObj();
#ifndef Q_OS_WIN
    QVERIFY(dialog.cmbComPort()->isEditable());
    QCOMPARE(dialog.cmbComPort()->currentText(), QStringLiteral("/dev/ttyFAKE9"));
    dialog.cmbComPort()->setEditText(QStringLiteral("/dev/ttyFAKE1"));
    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("CmdOK")), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(f.ctx->comm.PortName, QStringLiteral("/dev/ttyFAKE1"));
    QVERIFY(f.dev->IsOpen());
    QCOMPARE(f.dev->PortName(), QStringLiteral("/dev/ttyFAKE1"));
    // A port that will not open: the dialog closes with false.
    f.dev->failOpen = true;
    dialog.LoadFormObj();
    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("CmdOK")), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(f.ui.messages.size(), 1);
    // Cancel: false, nothing opened.
    f.dev->failOpen = false;
    const int opens = f.dev->opens;
    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdExit")), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(f.dev->opens, opens);
#endif
}

void tst_frmDeviceWindows::settingsDialogShowsTheDevice() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.dialer.holding[0x0080] = 17;
    f.dialer.holding[0x0081] = 0xC4; // even, 19200
    frmCommSetting dialog(*f.ctx);
    QVERIFY(dialog.LoadFormObj());
    QCOMPARE(dialog.lblModelName()->text(), QStringLiteral("VX700-RV27S"));
    QCOMPARE(dialog.lblSN()->text(), QStringLiteral("12-09-2143-785634-12"));
    QCOMPARE(dialog.txtSlaveID()->text(), QStringLiteral("17"));
    QCOMPARE(dialog.cmbPortBaud()->currentText(), QStringLiteral("19200"));
    QVERIFY(dialog.cmbPortBaud()->isEditable());
    QCOMPARE(dialog.cmbPortBaud()->count(), 9);
    QCOMPARE(dialog.cmbPortBaud()->itemText(8), QStringLiteral("UnKnown"));
    QVERIFY(!dialog.cmbParityBit()->isEditable());
    QCOMPARE(dialog.cmbParityBit()->currentText(), QStringLiteral("EVEN"));
    QCOMPARE(dialog.cmbParityBit()->count(), 4);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblDataBit"))->text(), QStringLiteral("8"));
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblStopBit"))->text(), QStringLiteral("1"));
    QVERIFY(dialog.findChild<QTabWidget*>(QStringLiteral("sstCommunication")));
}

void tst_frmDeviceWindows::slaveIDBoxTakesDigitsOnly() {
    LinkFixture f;
    QVERIFY(f.Start());
    frmCommSetting dialog(*f.ctx);
    QVERIFY(dialog.LoadFormObj());
    dialog.show();
    QLineEdit* box = dialog.txtSlaveID();
    box->setFocus();
    box->end(false);
    QCOMPARE(box->text(), QStringLiteral("247"));
    QTest::keyClicks(box, QStringLiteral("a-."));
    QCOMPARE(box->text(), QStringLiteral("247"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), QStringLiteral("247"));
    QTest::keyClick(box, Qt::Key_1); // a fourth digit beyond 255
    QCOMPARE(box->text(), QStringLiteral("255"));
    box->selectAll();
    QTest::keyClick(box, Qt::Key_0);
    QCOMPARE(box->text(), QStringLiteral("1"));
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete); // an empty box becomes 1
    QCOMPARE(box->text(), QStringLiteral("1"));
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("42"));
    QCOMPARE(box->text(), QStringLiteral("42"));
    dialog.hide();
}

void tst_frmDeviceWindows::okWritesTheChange() {
    LinkFixture f;
    QVERIFY(f.Start());
    frmCommSetting dialog(*f.ctx);
    QVERIFY(dialog.LoadFormObj());
    dialog.show();
    dialog.txtSlaveID()->setText(QStringLiteral("12"));
    dialog.cmbPortBaud()->setCurrentText(QStringLiteral("38400"));
    dialog.cmbParityBit()->setCurrentIndex(dialog.cmbParityBit()->findText(QStringLiteral("ODD")));
    QPushButton* ok = dialog.findChild<QPushButton*>(QStringLiteral("CmdOK"));
    // Cancel at the question: the dialog stays, nothing written.
    f.ui.answers.enqueue(vbCancel);
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QVERIFY(f.dialer.writes.isEmpty());
    // OK: closed, written, reported, online.
    f.ui.answers.enqueue(vbOK);
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(f.dialer.writes.size(), 1);
    QCOMPARE(f.dialer.holding[0x0080], quint16(12));
    QCOMPARE(f.dialer.holding[0x0081], quint16(0x85));
    QCOMPARE(f.ui.messages.last().text, QStringLiteral("設定報警機通訊參數成功!"));
    QVERIFY(f.ctx->ConnectStatus);
}

void tst_frmDeviceWindows::okWithoutChangeCloses() {
    LinkFixture f;
    QVERIFY(f.Start());
    frmCommSetting dialog(*f.ctx);
    QVERIFY(dialog.LoadFormObj());
    dialog.show();
    const int frames = int(f.dev->written.size());
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("CmdOK")), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(f.ui.messages.isEmpty());
    QCOMPARE(f.dev->written.size(), frames);
    // A typed rate the model does not have: refused, and the dialog closes without writing.
    dialog.show();
    dialog.cmbPortBaud()->setEditText(QStringLiteral("14400"));
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("CmdOK")), Qt::LeftButton);
    QCOMPARE(f.ui.messages.size(), 1);
    QVERIFY(f.ui.messages[0].text.startsWith(QStringLiteral("通訊速率錯誤!")));
    QCOMPARE(f.dev->written.size(), frames);
}

void tst_frmDeviceWindows::settingsDialogNotShownWhenTheDeviceIsSilent() {
    LinkFixture f;
    QVERIFY(f.Start());
    f.dialer.silent = true;
    f.ctx->comm.TimeOut = 0;
    f.ctx->comm.Retry = 0;
    // Run returns without showing the dialog (a shown one would block here).
    QVERIFY(!frmCommSetting::Run(*f.ctx, nullptr));
    QCOMPARE(f.ui.messages.size(), 1);
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("裝置通訊設定"));
}

void tst_frmDeviceWindows::englishTexts() {
    LinkFixture f;
    QVERIFY(f.Start(1033));
    frmCommSetting dialog(*f.ctx);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Device Communication Settings"));
    QCOMPARE(dialog.findChild<QTabWidget*>(QStringLiteral("sstCommunication"))->tabText(0),
             QStringLiteral("COM1 Settings"));
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("Label4"))->text(),
             QStringLiteral("Baud rate:"));
    QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("cmdExit"))->text(),
             QStringLiteral("Cancel"));
    frmComPort port(*f.ctx);
    QCOMPARE(port.windowTitle(), QStringLiteral("PC Serial Port"));
    frmMessage progress(f.ctx->ml);
    QCOMPARE(progress.windowTitle(), QStringLiteral("Message"));
    QCOMPARE(progress.lblMessage()->text(), QStringLiteral("Working, please wait..."));
}

QTEST_MAIN(tst_frmDeviceWindows)
#include "tst_frmDeviceWindows.moc"
