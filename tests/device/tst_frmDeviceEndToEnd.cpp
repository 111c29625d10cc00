// The running program against the simulated dialer: the main window's Device menu connects
// through the port dialog, shows the device's identity, and the settings dialog changes the
// slave ID, baud rate and parity, which the simulator's state then holds. Real windows
// (offscreen) and real message boxes, answered by a script as a person would.
#include "../devsim/DevsimHarness.h"
#include "app/AppContext.h"
#include "app/QtStatusPanel.h"
#include "app/QtUi.h"
#include "app/Startup.h"
#include "device/frmComPort.h"
#include "device/frmCommSetting.h"
#include "device/frmMessage.h"
#include "mainwindow/frmMain.h"
#include "support/ModalScript.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <functional>


class tst_frmDeviceEndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void connectAndChangeTheSettings();
};

void tst_frmDeviceEndToEnd::connectAndChangeTheSettings() {
    devsimtest::Sim sim;
    QVERIFY2(sim.Start({}), qPrintable(sim.error));
    sim.CloseTty();

    QTemporaryDir dir;
    QVERIFY(TestEnv::CopyProgramFolder(dir.path()));
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QtUi ui;
    AppContext ctx(ui);
    QVERIFY(Startup::StartCore(ctx, dir.path(), 1028));
    ctx.comm.PortName = sim.Link();
    QSettings store(dir.filePath(QStringLiteral("placement.ini")), QSettings::IniFormat);
    frmMain w(ctx, &store);
    ui.SetParentWindow(&w);
    ui.statusSink = [&w](const QString& key, const QString& text) { w.SetStatusText(key, text); };
    ui.modalSink = [&w](Window which) { return w.ShowModal(which); };
    frmMessage::Attach(ui, ctx.ml, &w);
    w.show();
    auto item = [&](const char* name) { return w.findChild<QAction*>(QLatin1String(name)); };

    // Connect: the port dialog shows the port in use; OK opens it, then the identity.
    ModalScript script;
    QString presetPort;
    script.Window<frmComPort>([&](frmComPort* d) {
        auto* combo = d->findChild<QComboBox*>(QStringLiteral("cmbComPort"));
        presetPort = combo ? combo->currentText() : QString();
        d->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    });
    script.Box(QMessageBox::Ok);
    item("mnuDeviceConnect")->trigger();
    QVERIFY(!script.timedOut);
    QCOMPARE(presetPort, sim.Link());
    QVERIFY(script.steps.isEmpty());
    QCOMPARE(script.seen.size(), 1);
    QCOMPARE(script.seen[0], QStringLiteral("連線至簡訊報警機成功!\n\nModel No.: VX700-RV27MS\n"
                                            "S/N : 12-09-2143-785634-12\nCommnunication Settings : 9600, N, 8, 1"));
    QVERIFY(ctx.ConnectStatus);
    QCOMPARE(w.StatusPanel(QStringLiteral("ConnectStatus"))->text(), QStringLiteral(" Online"));
    QCOMPARE(w.StatusPanel(QStringLiteral("ConnectStatus"))->ImageKey(), QStringLiteral("Connect"));
    Q_EMIT w.findChild<QMenu*>(QStringLiteral("mnuDevice"))->aboutToShow();
    QVERIFY(item("mnuDeviceSetting")->isEnabled());

    // Settings: change all three, confirm, and the device holds them.
    script.Window<frmCommSetting>([&](frmCommSetting* d) {
        d->findChild<QLineEdit*>(QStringLiteral("txtSlaveID"))->setText(QStringLiteral("12"));
        auto* baud = d->findChild<QComboBox*>(QStringLiteral("cmbPortBaud"));
        baud->setCurrentIndex(baud->findText(QStringLiteral("38400")));
        auto* parity = d->findChild<QComboBox*>(QStringLiteral("cmbParityBit"));
        parity->setCurrentIndex(parity->findText(QStringLiteral("ODD")));
        d->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    });
    script.Box(QMessageBox::Ok);   // store the change?
    script.Box(QMessageBox::Ok);   // stored
    item("mnuDeviceSetting")->trigger();
    QVERIFY(script.steps.isEmpty());
    QCOMPARE(script.seen.size(), 3);
    QCOMPARE(script.seen[2], QStringLiteral("設定報警機通訊參數成功!"));
    const QJsonObject id = sim.State().value(QStringLiteral("identity")).toObject();
    QCOMPARE(id.value(QStringLiteral("com1SlaveId")).toInt(), 12);
    QCOMPARE(id.value(QStringLiteral("com1Setting")).toInt(), 0x85);

    // The device switched to run mode (SW2 off): the next read fails, offline.
    sim.Control("sw2 off");
    ctx.comm.TimeOut = 0;
    ctx.comm.Retry = 0;
    script.Box(QMessageBox::Ok);
    item("mnuDeviceSetting")->trigger();
    QCOMPARE(script.seen.size(), 4);
    QVERIFY(script.seen[3].startsWith(QStringLiteral("通訊錯誤, 無法連接簡訊報警機!")));
    QVERIFY(!ctx.ConnectStatus);
    QCOMPARE(w.StatusPanel(QStringLiteral("ConnectStatus"))->ImageKey(), QStringLiteral("DisConnect"));

    w.hide();
    Startup::CloseCore(ctx);
    QDir::setCurrent(cwd);
}

QTEST_MAIN(tst_frmDeviceEndToEnd)
#include "tst_frmDeviceEndToEnd.moc"
