// The service windows in the running program against the simulated dialer: the
// communication log fills while connecting, and the register diagnostic window, opened from
// the About window's icon, reads every register.
#include "../devsim/DevsimHarness.h"
#include "app/AppContext.h"
#include "app/Startup.h"
#include "device/CommLog.h"
#include "device/frmComPort.h"
#include "device/frmCommLog.h"
#include "device/frmDebug.h"
#include "device/frmMessage.h"
#include "mainwindow/Shutdown.h"
#include "mainwindow/frmAbout.h"
#include "mainwindow/frmMain.h"
#include "ml/QtUi.h"
#include "support/ModalScript.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QLabel>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

class tst_frmServiceEndToEnd : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void logAndDiagnosticWindow();
};

void tst_frmServiceEndToEnd::logAndDiagnosticWindow() {
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
    ui.modalSink = [&w](Window which) { return w.ShowModal(which); };
    frmMessage::Attach(ui, ctx.ml, &w);
    w.show();
    auto item = [&](const char* name) { return w.findChild<QAction*>(QLatin1String(name)); };

    // The log window opens beside the main window, not modal, and fills while connecting.
    item("mnuViewCommLog")->trigger();
    auto* logWindow = w.findChild<frmCommLog*>();
    QVERIFY(logWindow && logWindow->isVisible());
    QCOMPARE(logWindow->windowModality(), Qt::NonModal);
    ModalScript script;
    script.Window<frmComPort>(
        [](frmComPort* d) { d->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click(); });
    script.Box(QMessageBox::Ok);
    item("mnuDeviceConnect")->trigger();
    QVERIFY(script.steps.isEmpty());
    auto* log = qobject_cast<CommLogModel*>(logWindow->tvLog()->model());
    QVERIFY(log);
    // The frames reach the shown log in a batch, within a tenth of a second.
    const auto pairs = [log] {
        QStringList out;
        for (int i = 0; i < log->rowCount(); ++i) {
            const CommLogRow& r = log->Row(i);
            if (r.direction == FrameDirection::Sent)
                out << r.meaning;
            else if (r.direction == FrameDirection::Received && !out.isEmpty())
                out.last() += QStringLiteral(" -> ") + r.meaning.section(u',', 0, 0) +
                              QStringLiteral(" %1 bytes").arg(r.bytes.size());
        }
        return out;
    };
    const QStringList expected{
        QStringLiteral("讀取輸入暫存器, 位址 0006H, 數量 1 -> 讀取輸入暫存器 7 bytes"),
        QStringLiteral("讀取輸入暫存器, 位址 0000H, 數量 1 -> 讀取輸入暫存器 7 bytes"),
        QStringLiteral("讀取輸入暫存器, 位址 0000H, 數量 1 -> 讀取輸入暫存器 7 bytes"),
        QStringLiteral("讀取輸入暫存器, 位址 0002H, 數量 4 -> 讀取輸入暫存器 13 bytes"),
        QStringLiteral("讀取保持暫存器, 位址 0080H, 數量 2 -> 讀取保持暫存器 9 bytes"),
    };
    QTRY_COMPARE(pairs(), expected);
    logWindow->tvLog()->selectRow(0);
    QCOMPARE(logWindow->cmdCopy_Click(), log->Text({0}));

    // About: Ctrl+Alt and a right-button release over the icon open the diagnostic window; it
    // asks for the port, shows the identity, and Read fills all thirteen rows, each as it is
    // read: all are shown when the result box comes up.
    QString serial;
    QStringList values;
    QStringList valuesAtTheBox;
    QPointer<frmDebug> debug;
    script.Window<frmAbout>([](frmAbout* d) {
        QTest::mouseRelease(d->findChild<QLabel*>(QStringLiteral("picIcon")), Qt::RightButton,
                            Qt::ControlModifier | Qt::AltModifier);
    });
    script.Window<frmComPort>(
        [](frmComPort* d) { d->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click(); });
    script.Window<frmDebug>([&](frmDebug* d) {
        debug = d;
        d->findChild<QPushButton*>(QStringLiteral("cmdRead"))->click();
    });
    script.Window<frmComPort>(
        [](frmComPort* d) { d->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click(); });
    script.steps << ModalScript::Step{
        [](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
        [&](QWidget* w) {
            for (int i = 0; debug && i < debug->lvBasicInfo()->topLevelItemCount(); ++i)
                valuesAtTheBox << debug->lvBasicInfo()->topLevelItem(i)->text(1);
            auto* box = qobject_cast<QMessageBox*>(w);
            script.seen << box->text();
            box->button(QMessageBox::Ok)->click();
        }};
    script.Window<frmDebug>([&](frmDebug* d) {
        serial = d->findChild<QLabel*>(QStringLiteral("lblSNNo"))->text();
        for (int i = 0; i < d->lvBasicInfo()->topLevelItemCount(); ++i)
            values << d->lvBasicInfo()->topLevelItem(i)->text(1);
        d->reject();
    });
    script.Window<frmAbout>(
        [](frmAbout* d) { d->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click(); });
    item("mnuHelpAbout")->trigger();
    QVERIFY(!script.timedOut);
    QVERIFY(script.steps.isEmpty());
    QCOMPARE(script.seen.last(), QStringLiteral("讀取Quillon暫存器資訊成功！"));
    QCOMPARE(serial, QStringLiteral("12-09-2143-785634-12"));
    QCOMPARE(values.size(), 13);
    QCOMPARE(valuesAtTheBox, values);
    QCOMPARE(values[2].size(), 16);  // Product S/N: 8 bytes
    QCOMPARE(values[12].size(), 16); // Current Alarm: 64 coils
    for (const QString& v : values)
        QVERIFY2(!v.isEmpty() && v == v.toUpper(), qPrintable(v));

    w.hide();
    Shutdown::CloseCore(ctx);
    QDir::setCurrent(cwd);
}

QTEST_MAIN(tst_frmServiceEndToEnd)
#include "tst_frmServiceEndToEnd.moc"
