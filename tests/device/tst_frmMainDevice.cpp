// The main window's Device menu: its items follow the connection state and the open project
// each time the menu opens.
#include "LinkFixture.h"

#include "mainwindow/frmMain.h"

#include <QAction>
#include <QMenu>
#include <QSettings>

class tst_frmMainDevice : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void deviceMenuFollowsTheConnection() {
        LinkFixture f;
        QVERIFY(f.Start());
        QSettings store(f.dir.filePath(QStringLiteral("placement.ini")), QSettings::IniFormat);
        frmMain w(*f.ctx, &store);
        auto* menu = w.findChild<QMenu*>(QStringLiteral("mnuDevice"));
        auto item = [&](const char* name) { return w.findChild<QAction*>(QLatin1String(name)); };
        QVERIFY(menu && item("mnuDeviceConnect") && item("mnuDeviceSetting") &&
                item("mnuDeviceDownLoad"));

        Q_EMIT menu->aboutToShow();
        QVERIFY(!item("mnuDeviceConnect")->isChecked());
        QVERIFY(item("mnuDeviceConnect")->isEnabled());
        QCOMPARE(item("mnuDeviceConnect")->text(), QStringLiteral("連線簡訊報警機..."));
        QVERIFY(!item("mnuDeviceSetting")->isEnabled());
        QVERIFY(!item("mnuDeviceDownLoad")->isEnabled());

        f.ctx->ConnectStatus = true;
        Q_EMIT menu->aboutToShow();
        QVERIFY(item("mnuDeviceConnect")->isChecked());
        QVERIFY(item("mnuDeviceSetting")->isEnabled());
        QVERIFY(!item("mnuDeviceDownLoad")->isEnabled()); // no project open

        f.ctx->project.ProjName = QStringLiteral("demo");
        Q_EMIT menu->aboutToShow();
        QVERIFY(item("mnuDeviceDownLoad")->isEnabled());
        f.ctx->ConnectStatus = false;
        Q_EMIT menu->aboutToShow();
        QVERIFY(!item("mnuDeviceDownLoad")->isEnabled());
        QVERIFY(!item("mnuDeviceConnect")->isChecked());
        f.ctx->project.ProjName.clear();
    }
};

QTEST_MAIN(tst_frmMainDevice)
#include "tst_frmMainDevice.moc"
