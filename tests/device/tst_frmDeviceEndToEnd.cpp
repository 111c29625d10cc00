// The running program against the simulated dialer: the main window's Device menu connects
// through the port dialog, shows the device's identity, and the settings dialog changes the
// slave ID, baud rate and parity, which the simulator's state then holds. Real windows
// (offscreen) and real message boxes, answered by a script as a person would.
#include "../devsim/DevsimHarness.h"
#include "../download/Oracle.h"
#include "app/AppContext.h"
#include "app/Startup.h"
#include "device/DebugRegisters.h"
#include "device/frmComPort.h"
#include "device/frmCommSetting.h"
#include "device/frmMessage.h"
#include "mainwindow/QtStatusPanel.h"
#include "mainwindow/RememberedPort.h"
#include "mainwindow/frmMain.h"
#include "ml/QtUi.h"
#include "store/KORVAMain.h"
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
#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace {
// A process of ours that has not ended (an ended one is reaped by its QProcess).
bool Alive(qint64 pid) {
    return pid > 0 && ::kill(pid_t(pid), 0) == 0;
}

// The program as started: its folder, the core with real dialogs, the main window.
struct Desk {
    QTemporaryDir dir;
    QString cwd = QDir::currentPath();
    QtUi ui;
    AppContext ctx{ui};
    QSettings store{dir.filePath(QStringLiteral("placement.ini")), QSettings::IniFormat};
    std::unique_ptr<frmMain> w;
    bool started = false;

    explicit Desk(const QString& port) {
        if (!TestEnv::CopyProgramFolder(dir.path())) return;
        QDir::setCurrent(dir.path());
        started = Startup::StartCore(ctx, dir.path(), 1028);
        ctx.comm.PortName = port;
        w = std::make_unique<frmMain>(ctx, &store);
        ui.SetParentWindow(w.get());
        ui.statusSink = [this](const QString& key, const QString& text) {
            w->SetStatusText(key, text);
        };
        ui.modalSink = [this](Window which) { return w->ShowModal(which); };
        frmMessage::Attach(ui, ctx.ml, w.get());
        w->show();
    }
    ~Desk() {
        w->hide();
        Shutdown::CloseCore(ctx);
        QDir::setCurrent(cwd);
    }
    QAction* Item(const char* name) const { return w->findChild<QAction*>(QLatin1String(name)); }
    // Runs a Device menu command as a person would: the menu opens, then the item.
    void Trigger(const char* name) const {
        Q_EMIT w->findChild<QMenu*>(QStringLiteral("mnuDevice"))->aboutToShow();
        if (Item(name)->isEnabled()) Item(name)->trigger();
    }
};

// Device > Connect as a person does it: OK in the port dialog, OK on the identity.
void Connect(const Desk& desk, ModalScript& script) {
    script.Window<frmComPort>(
        [](frmComPort* d) { d->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click(); });
    script.Box(QMessageBox::Ok);
    desk.Item("mnuDeviceConnect")->trigger();
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
} // namespace

class tst_frmDeviceEndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void connectAndChangeTheSettings();
    void downloadFromTheDeviceMenu();
    void demoDeviceWithNothingPluggedIn();
};

void tst_frmDeviceEndToEnd::connectAndChangeTheSettings() {
    devsimtest::Sim sim;
    QVERIFY2(sim.Start({}), qPrintable(sim.error));
    sim.CloseTty();

    Desk desk(sim.Link());
    QVERIFY(desk.started);
    AppContext& ctx = desk.ctx;
    frmMain& w = *desk.w;
    auto item = [&](const char* name) { return desk.Item(name); };

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
    QCOMPARE(script.seen[0],
             QStringLiteral("連線至簡訊報警機成功!\n\nModel No.: VX700-RV27MS\n"
                            "S/N : 12-09-2143-785634-12\nCommnunication Settings : 9600, N, 8, 1"));
    QVERIFY(ctx.ConnectStatus);
    QCOMPARE(w.StatusPanel(QStringLiteral("ConnectStatus"))->text(), QStringLiteral(" Online"));
    QCOMPARE(w.StatusPanel(QStringLiteral("ConnectStatus"))->ImageKey(), QStringLiteral("Connect"));
    Q_EMIT w.findChild<QMenu*>(QStringLiteral("mnuDevice"))->aboutToShow();
    QVERIFY(item("mnuDeviceSetting")->isEnabled());
    // The port chosen is remembered in the per-user store for the next run's main window.
    QCOMPARE(desk.store.value(QStringLiteral("Comm/PortName")).toString(), sim.Link());
    CommValues next;
    RememberedPort::Restore(desk.store, next);
    QCOMPARE(next.PortName, sim.Link());

    // Settings: change all three, confirm, and the device holds them.
    script.Window<frmCommSetting>([&](frmCommSetting* d) {
        d->findChild<QLineEdit*>(QStringLiteral("txtSlaveID"))->setText(QStringLiteral("12"));
        auto* baud = d->findChild<QComboBox*>(QStringLiteral("cmbPortBaud"));
        baud->setCurrentIndex(baud->findText(QStringLiteral("38400")));
        auto* parity = d->findChild<QComboBox*>(QStringLiteral("cmbParityBit"));
        parity->setCurrentIndex(parity->findText(QStringLiteral("ODD")));
        d->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    });
    script.Box(QMessageBox::Ok); // store the change?
    script.Box(QMessageBox::Ok); // stored
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
    QCOMPARE(w.StatusPanel(QStringLiteral("ConnectStatus"))->ImageKey(),
             QStringLiteral("DisConnect"));
}

void tst_frmDeviceEndToEnd::downloadFromTheDeviceMenu() {
    devsimtest::Sim sim;
    QVERIFY2(sim.Start({}), qPrintable(sim.error));
    sim.CloseTty();
    Desk desk(sim.Link());
    QVERIFY(desk.started);
    AppContext& ctx = desk.ctx;
    const QString project = desk.dir.filePath(QStringLiteral("Site.cmb"));
    QVERIFY(QFile::copy(desk.dir.filePath(QStringLiteral("RV27.mdb")), project));
    QFile::setPermissions(project, QFile::permissions(project) | QFile::WriteOwner);
    QVERIFY(TestEnv::ExecSql(project, oracle::RichProjectSql(true)));
    QVERIFY(KORVAMain::OpenProject(ctx, project));

    // Connected, confirm, then the success message; the device then holds the project, record
    // for record.
    ModalScript script;
    Connect(desk, script);
    QVERIFY(ctx.ConnectStatus);
    script.Box(QMessageBox::Ok);
    script.Box(QMessageBox::Ok);
    desk.Trigger("mnuDeviceDownLoad");
    QVERIFY(script.steps.isEmpty());
    QVERIFY2(script.seen.value(2).contains(QStringLiteral("成功")),
             qPrintable(script.seen.join(u'|')));
    sim.State();
    oracle::Verdict verdict = oracle::Judge(project, sim.StatePath());
    QVERIFY2(verdict.code == 0, qPrintable(verdict.text));
    QVERIFY(ctx.ConnectStatus);

    // The cable pulled after the first phonebook record: one failure message within the
    // time-out and a second, the port closed, and the wait did not spin.
    ctx.comm.TimeOut = 1;
    ctx.comm.Retry = 2;
    sim.Control("pace on"); // records take their wire time: the pull comes midway
    QVERIFY(QFile::remove(desk.dir.filePath(QStringLiteral("PhoneBook.dbg"))));
    QElapsedTimer sincePull;
    double cpuAtPull = 0;
    QTimer pull;
    QObject::connect(&pull, &QTimer::timeout, [&] {
        if (QFileInfo(desk.dir.filePath(QStringLiteral("PhoneBook.dbg"))).size() == 0) return;
        pull.stop();
        sim.Kill();
        sincePull.start();
        cpuAtPull = CpuSeconds();
    });
    pull.start(1);
    double failedAfterMs = -1, cpu = -1;
    script.Box(QMessageBox::Ok);
    script.steps << ModalScript::Step{
        [](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
        [&](QWidget* w) {
            failedAfterMs = double(sincePull.elapsed());
            cpu = CpuSeconds() - cpuAtPull;
            auto* box = qobject_cast<QMessageBox*>(w);
            script.seen << box->text();
            box->button(QMessageBox::Ok)->click();
        }};
    desk.Trigger("mnuDeviceDownLoad");
    QVERIFY(script.steps.isEmpty());
    QVERIFY(sincePull.isValid());
    qInfo("cable pulled: the failure after %.0f ms, %.3f s CPU meanwhile", failedAfterMs, cpu);
    QCOMPARE(script.seen.size(), 5);
    QVERIFY2(script.seen[4].contains(QStringLiteral("失敗")), qPrintable(script.seen[4]));
    QVERIFY2(failedAfterMs >= 0 && failedAfterMs <= (ctx.comm.TimeOut + 1) * 1000.0,
             qPrintable(QString::number(failedAfterMs)));
    QVERIFY2(cpu < 0.2 + 0.25 * failedAfterMs / 1000.0,
             qPrintable(QStringLiteral("%1 s CPU in %2 ms").arg(cpu).arg(failedAfterMs)));
    QVERIFY(!ctx.port || !ctx.port->IsOpen());
    QVERIFY(!ctx.ConnectStatus);

    // The simulator back on the same link: connected again, the next download succeeds.
    QVERIFY2(sim.Start({}), qPrintable(sim.error));
    sim.CloseTty();
    Connect(desk, script);
    QVERIFY(ctx.ConnectStatus);
    script.Box(QMessageBox::Ok);
    script.Box(QMessageBox::Ok);
    desk.Trigger("mnuDeviceDownLoad");
    QVERIFY(script.steps.isEmpty());
    QVERIFY2(script.seen.value(7).contains(QStringLiteral("成功")),
             qPrintable(script.seen.join(u'|')));
    sim.State();
    verdict = oracle::Judge(project, sim.StatePath());
    QVERIFY2(verdict.code == 0, qPrintable(verdict.text));
}

// The port dialog's demo entry starts the shipped simulator from the executables' folder: connect,
// settings, registers and a download work against it; another port, or the program's end,
// stops it.
void tst_frmDeviceEndToEnd::demoDeviceWithNothingPluggedIn() {
    const QString demoText = QStringLiteral("模擬裝置 (示範)");
    const auto choose = [](const QString& text) {
        return [text](frmComPort* d) {
            auto* combo = d->findChild<QComboBox*>(QStringLiteral("cmbComPort"));
            const int at = combo->findText(text);
            if (at >= 0)
                combo->setCurrentIndex(at);
            else
                combo->setEditText(text);
            d->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
        };
    };
    QString demoPort;
    qint64 demoPid = 0;
    {
        Desk desk(QStringLiteral("/dev/korva-no-such-port"));
        QVERIFY(desk.started);
        AppContext& ctx = desk.ctx;
        // The program runs from a copy of its data; the simulator is beside the executables.
        QVERIFY(!QFile::exists(DemoDevice::ProgramIn(ctx.programFolder)));
        ctx.exeFolder = QFileInfo(devsimtest::Sim::Program()).path();
        QtStatusPanel* panel = desk.w->StatusPanel(QStringLiteral("ConnectStatus"));

        ModalScript connect;
        connect.Window<frmComPort>(choose(demoText));
        connect.Box(QMessageBox::Ok);
        desk.Item("mnuDeviceConnect")->trigger();
        QVERIFY(connect.steps.isEmpty());
        QVERIFY2(connect.seen.value(0).startsWith(QStringLiteral("連線至簡訊報警機成功!")),
                 qPrintable(connect.seen.join(u'|')));
        QCOMPARE(panel->text(), QStringLiteral(" Online (示範)"));
        demoPort = ctx.demo.PortName();
        QVERIFY(QFileInfo::exists(demoPort));
        demoPid = ctx.demo.ProcessId();
        QVERIFY(Alive(demoPid));
        // The demo's terminal is gone on the next run: it is not remembered.
        QVERIFY(!desk.store.contains(QStringLiteral("Comm/PortName")));

        ModalScript settings;
        settings.Window<frmCommSetting>([](frmCommSetting* d) {
            d->findChild<QLineEdit*>(QStringLiteral("txtSlaveID"))->setText(QStringLiteral("12"));
            d->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
        });
        settings.Box(QMessageBox::Ok);
        settings.Box(QMessageBox::Ok);
        desk.Trigger("mnuDeviceSetting");
        QCOMPARE(settings.seen.value(1), QStringLiteral("設定報警機通訊參數成功!"));

        // The register read asks for the port again: the demo is preset and kept.
        ModalScript registers;
        QString preset;
        registers.Window<frmComPort>([&](frmComPort* d) {
            preset = d->cmbComPort()->currentText();
            d->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
        });
        registers.Box(QMessageBox::Ok);
        DebugForm form;
        form.rows = DebugRegisters::Rows();
        form.values = QStringList(form.rows.size(), QString());
        QVERIFY(DebugRegisters::cmdRead_Click(ctx, form));
        QCOMPARE(preset, demoText);
        QVERIFY(!form.values.contains(QString()));
        QCOMPARE(ctx.demo.PortName(), demoPort);

        const QString project = desk.dir.filePath(QStringLiteral("Demo.cmb"));
        QVERIFY(QFile::copy(desk.dir.filePath(QStringLiteral("RV27.mdb")), project));
        QFile::setPermissions(project, QFile::permissions(project) | QFile::WriteOwner);
        QVERIFY(TestEnv::ExecSql(project, oracle::RichProjectSql(false)));
        QVERIFY(KORVAMain::OpenProject(ctx, project));
        ModalScript download;
        download.Box(QMessageBox::Ok);
        download.Box(QMessageBox::Ok);
        desk.Trigger("mnuDeviceDownLoad");
        QVERIFY2(download.seen.value(1).contains(QStringLiteral("成功")),
                 qPrintable(download.seen.join(u'|')));

        // The simulator ends on its own: the dialog still offers the demo, never its old
        // terminal, which may serve another program by now; OK starts it again.
        ::kill(pid_t(demoPid), SIGKILL);
        QTRY_VERIFY(!ctx.demo.Running());
        ModalScript gone;
        gone.Window<frmComPort>([&](frmComPort* d) {
            preset = d->cmbComPort()->currentText();
            d->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
        });
        gone.Box(QMessageBox::Ok);
        desk.Item("mnuDeviceConnect")->trigger();
        QCOMPARE(preset, demoText);
        QVERIFY(ctx.demo.Running());
        demoPid = ctx.demo.ProcessId();

        // Another port: the simulator ends and the panel no longer names the demo.
        ModalScript other;
        other.Window<frmComPort>(choose(QStringLiteral("/dev/korva-no-such-port")));
        other.Box(QMessageBox::Ok); // the port cannot be opened
        desk.Item("mnuDeviceConnect")->trigger();
        QVERIFY(other.steps.isEmpty());
        QVERIFY(!ctx.demo.Running());
        // Its terminal's number may already serve another program: the process is what ends.
        QVERIFY(!Alive(demoPid));
        QVERIFY(!panel->text().contains(QStringLiteral("示範")));

        // Chosen again, it runs until the program ends.
        ModalScript again;
        again.Window<frmComPort>(choose(demoText));
        again.Box(QMessageBox::Ok);
        desk.Item("mnuDeviceConnect")->trigger();
        demoPid = ctx.demo.ProcessId();
        QVERIFY(Alive(demoPid));
    }
    QVERIFY(!Alive(demoPid));
}

QTEST_MAIN(tst_frmDeviceEndToEnd)
#include "tst_frmDeviceEndToEnd.moc"
