// korva-shots PROGRAM_FOLDER OUT_DIR
//
// Starts the program's core in PROGRAM_FOLDER (its KORVA.set decides the language), builds
// the windows as the program does and saves each as a PNG in OUT_DIR: the splash, the main
// window, each menu of the menu bar opened, the options dialog, the text input window, a
// group's member list and the zone editor with its counters and warning, and a project
// download against an acknowledging stand-in port (its confirmation, the progress
// window half-way with the communication log beside it, the success and the failure
// message), Download to Several Dialers during a run with one failed port, the About window
// and the register diagnostic window after a read; the Edit menu with a step to undo, a
// pop-up menu over several rows and the find box at work.
// Window placement goes to a settings file in OUT_DIR, never to the user's own settings.
#include "app/AppContext.h"
#include "app/Startup.h"
#include "app/frmSplash.h"
#include "app/frmToolsOptions.h"
#include "base/QtIcons.h"
#include "db/ADOUtil.h"
#include "device/DeviceWindows.h"
#include "device/Download.h"
#include "device/KORVADll.h"
#include "device/SerialPort.h"
#include "device/frmCommLog.h"
#include "device/frmDebug.h"
#include "device/frmMessage.h"
#include "device/frmMultiDownload.h"
#include "editing/EditCommands.h"
#include "editing/EditTransaction.h"
#include "editing/EditWindows.h"
#include "editing/frmCsvImport.h"
#include "editing/frmEditZoneList.h"
#include "mainwindow/DownloadHistoryView.h"
#include "mainwindow/MainView.h"
#include "mainwindow/frmAbout.h"
#include "mainwindow/frmDownloadHistory.h"
#include "mainwindow/frmMain.h"
#include "ml/MLText.h"
#include "ml/MLUtil.h"
#include "ml/QtUi.h"
#include "ml/frmKeyInString.h"
#include "store/KORVAMain.h"
#include "store/StoreWindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

static bool Save(QWidget* w, const QString& dir, const QString& name) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 150)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

// The screen around a window and its open pop-up menu (a menu is a window of its own, so
// grabbing the main window alone would leave it out).
static bool SaveScreen(QWidget* w, QWidget* menu, const QString& dir, const QString& name) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    const QRect area = w->frameGeometry().united(menu->geometry());
    const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
    const bool ok =
        w->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

// Acknowledges every 0x50 command like the dialer, a little slowly, until silentAfter
// commands were taken; answers the register and coil reads from a small register set.
class AckPort : public SerialPort {
public:
    int silentAfter = -1;
    QString PortName() const override { return m_name; }
    void SetPortName(const QString& name) override { m_name = name; }
    void SetLineSettings(const LineSettings&) override {}
    bool Open() override { return m_open = true; }
    void Close() override { m_open = false; }
    bool IsOpen() const override { return m_open; }
    qint64 BytesWaiting() override { return m_in.size(); }
    QByteArray Read(qint64 maxBytes) override {
        const QByteArray out = m_in.left(maxBytes);
        m_in.remove(0, out.size());
        return out;
    }
    bool Write(const QByteArray& bytes) override {
        QThread::msleep(15);
        if (silentAfter >= 0 && m_taken++ >= silentAfter) return true;
        const int fn = quint8(bytes[1]);
        QByteArray answer = bytes.left(4);
        if (fn == 0x01 || fn == 0x03 || fn == 0x04) {
            static const QMap<int, quint16> input{
                {0, 0x4006}, {1, 0x0102}, {2, 0x3412}, {3, 0x7856},  {4, 0x2143},
                {5, 0x1209}, {6, 0x0010}, {7, 0x0001}, {10, 0x0003}, {11, 0x0004}};
            static const QMap<int, quint16> holding{{0x80, 0x00F7}, {0x81, 0x0003}, {0x82, 0xBEEF}};
            const int start = quint8(bytes[2]) * 256 + quint8(bytes[3]);
            const int count = fn == 0x01 ? 4 : quint8(bytes[4]) * 256 + quint8(bytes[5]);
            answer = bytes.left(2) + char(count * 2);
            for (int a = start; a < start + count; ++a) {
                const quint16 v = fn == 0x01 ? (a == 0   ? 0x0100
                                                : a == 3 ? 0x0080
                                                         : 0)
                                             : (fn == 0x04 ? input : holding).value(a);
                answer += char(v >> 8);
                answer += char(v & 0xFF);
            }
        }
        const int crc = KORVADll::CRC16(0xFFFF, answer, answer.size());
        m_in += answer + char(crc % 256) + char(crc / 256);
        return true;
    }
    bool WaitForInput(int ms) override {
        if (m_in.isEmpty()) QThread::msleep(ms);
        return !m_in.isEmpty();
    }
    void DiscardInput() override { m_in.clear(); }
    PortError LastError() const override { return PortError::None; }
    QString ErrorText() const override { return {}; }

private:
    QString m_name;
    QByteArray m_in;
    bool m_open = false;
    int m_taken = 0;
};

// Each modal window the main window shows (as it comes up, before its data is loaded: the
// texts and the layout are what is looked at).
static bool WindowShots(frmMain& main, const QString& out) {
    bool ok = true;
    const std::pair<Window, const char*> windows[] = {
        {Windows::frmProjBasic, "projbasic"},       {Windows::frmComPort, "comport"},
        {Windows::frmEditGroupList, "editgroup"},   {Windows::frmEditTelList, "editcontact"},
        {Windows::frmEditZoneList, "editzone"},     {Windows::frmAddUser, "adduser"},
        {Windows::frmAddUserGroup, "addusergroup"}, {Windows::frmMoveUsers, "moveusers"},
        {Windows::frmAddOtherUser, "addotheruser"}, {Windows::frmAllUserGroups, "allusergroups"}};
    for (const auto& [which, name] : windows) {
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&, name = name]() {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!d || !d->isVisible() || qobject_cast<QMessageBox*>(d)) return;
            poll.stop();
            ok &= Save(d, out, QString::fromLatin1(name));
            d->reject();
        });
        poll.start(100);
        main.ShowModal(which);
    }
    return ok;
}

// A project of 20 contacts and 64 zones' alarm messages, downloaded twice: once to the end,
// once to a port that falls silent; each message box is taken and answered with its
// default button. The main window is taken first with the project open, then the print
// preview of its sheet.
static bool DownloadShots(AppContext& ctx, QtUi& ui, QWidget* main, const QString& folder,
                          const QString& out) {
    const QString path = QDir(out).filePath(QStringLiteral("Shots.cmb"));
    QFile::remove(path);
    if (!QFile::copy(QDir(folder).filePath(QStringLiteral("RV27.mdb")), path)) return false;
    QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
    {
        auto conn = ADOUtil::OpenMDBConn(ui, path, {}, {});
        if (!conn) return false;
        conn->Execute(QStringLiteral("INSERT INTO UserGroups VALUES('Guards',''); INSERT INTO "
                                     "UserGroups VALUES('Office','');"));
        for (int i = 1; i <= 20; ++i)
            conn->Execute(QStringLiteral(
                              "INSERT INTO Users(UserName,PhoneNumber,IsDisable,UserDsc,GroupName) "
                              "VALUES('User%1','09120000%2',0,'','%3')")
                              .arg(i)
                              .arg(i, 2, 10, QLatin1Char('0'))
                              .arg(i % 2 ? "Guards" : "Office"));
        conn->Execute(
            QStringLiteral("UPDATE Zones SET AlarmSMS='Zone '||ZoneNo||' alarm', GroupName='ALL'"));
    }
    if (!KORVAMain::OpenProject(ctx, path)) return false;
    bool ok = Save(main, out, QStringLiteral("main-project"));
    // File > Print: the preview of the project sheet, taken and closed once it is up.
    QTimer::singleShot(1500, [&ok, &out] {
        if (QWidget* preview = QApplication::activeModalWidget()) {
            preview->resize(900, 700);
            ok &= Save(preview, out, QStringLiteral("print-preview"));
            preview->close();
        }
    });
    for (QAction* a : main->findChildren<QAction*>())
        if (a->objectName() == QStringLiteral("mnuFilePrint")) a->trigger();
    ok &= WindowShots(*static_cast<frmMain*>(main), out);
    auto port = std::make_unique<AckPort>();
    AckPort* ack = port.get();
    ctx.port = std::move(port);
    ctx.comm.Retry = 0;
    ctx.comm.TimeOut = 1;
    ctx.link.dumpDir = out;
    ctx.historyPath = QDir(out).filePath(QStringLiteral("DownloadHistory.sqlite"));
    // The dialer as a connect would have identified it.
    ctx.link.dialer = {QStringLiteral("12-09-2143-785634-12"), QStringLiteral("VX800-RV27MS"),
                       QStringLiteral("RV27MS")};
    QFile::remove(ctx.historyPath);

    QStringList names{QStringLiteral("download-confirm"), QStringLiteral("download-success"),
                      QString(), QStringLiteral("download-failure")};
    int boxes = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        const QString name = boxes < names.size() ? names[boxes] : QString();
        ++boxes;
        if (!name.isEmpty()) ok &= Save(box, out, name);
        if (QAbstractButton* b = box->defaultButton())
            b->click();
        else
            box->accept();
    });
    poll.start(100);
    const auto progressValue = ui.progressValue;
    bool progressTaken = false;
    ui.progressValue = [&](int done, int total, const QString& line) {
        progressValue(done, total, line);
        if (progressTaken || done < total / 2) return;
        progressTaken = true;
        if (auto* w = main->findChild<frmMessage*>())
            ok &= Save(w, out, QStringLiteral("download-progress"));
        if (auto* log = main->findChild<frmCommLog*>())
            ok &= Save(log, out, QStringLiteral("commlog-download"));
    };
    ok &= Download::DownloadProject(ctx);
    ack->silentAfter = 30;
    ok &= !Download::DownloadProject(ctx);
    ok &= boxes == 4;
    poll.stop();
    ui.progressValue = progressValue;
    // The history of the two downloads, and the open project compared with the last one after
    // a change.
    {
        frmDownloadHistory history(ctx, main);
        history.show();
        ok &= Save(&history, out, QStringLiteral("download-history"));
        ctx.project.conn->Execute(
            QStringLiteral("UPDATE Users SET PhoneNumber='0911222333' WHERE UserName='User1';"
                           "INSERT INTO UserGroups VALUES('Night','');"));
        EditTransaction::ReopenRowSets(ctx.project); // rows written behind the row sets' back
        DownloadHistoryModel model(ctx.ml);
        QStringList lines;
        if (model.Load(DownloadHistory::PathOf(ctx), nullptr) && model.rowCount() > 0 &&
            DownloadHistoryView::CompareWithAttempt(ctx, model.Attempt(0), lines, nullptr)) {
            const MLText T{ctx.ml, QStringLiteral("DownloadHistory")};
            frmCompare compare(history.windowTitle(), model.Attempt(0).projectPath, lines,
                               T(QStringLiteral("關閉"), 14, 23204), main);
            compare.show();
            ok &= Save(&compare, out, QStringLiteral("compare"));
        } else {
            ok = false;
        }
    }
    KORVAMain::CloseProject(ctx);
    return ok;
}

// Download to Several Dialers during a run: three paced simulators and a port that does not
// exist (failed at once), taken once a dialer is in its messages; then cancelled.
static bool SeveralShot(AppContext& ctx, QWidget* main, const QString& folder, const QString& out) {
    if (!KORVAMain::OpenProject(ctx, QDir(out).filePath(QStringLiteral("Shots.cmb")))) return false;
    ctx.exeFolder = folder;
    ctx.link.dumpDir = QDir(out).filePath(QStringLiteral("several"));
    std::vector<std::unique_ptr<QProcess>> sims;
    frmMultiDownload dialog(ctx, main);
    dialog.LoadFormObj();
    for (int i = 0; i < 3; ++i) {
        const QString link = QDir(out).filePath(QStringLiteral("ttySIM%1").arg(i));
        auto sim = std::make_unique<QProcess>();
        sim->start(QDir(folder).filePath(QStringLiteral("korva-devsim")),
                   {QStringLiteral("--link"), link, QStringLiteral("--pace"),
                    QStringLiteral("--serial"), QStringLiteral("12092143785634%1").arg(21 + i)});
        QByteArray said;
        QElapsedTimer t;
        t.start();
        while (!said.contains("ready") && t.elapsed() < 5000 && sim->waitForReadyRead(100))
            said += sim->readAllStandardOutput();
        sims.push_back(std::move(sim));
        dialog.AddTypedPort(link);
    }
    dialog.AddTypedPort(QStringLiteral("/dev/ttyUSB7"));
    dialog.resize(900, 300);
    dialog.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        if (QAbstractButton* b = box->defaultButton())
            b->click();
        else
            box->accept();
    });
    poll.start(100);
    dialog.cmdStart()->click();
    const auto midway = [&dialog] {
        const MultiDownload* run = dialog.Download();
        bool sending = false, failed = false;
        for (const BenchPort& p : run ? run->Ports() : QVector<BenchPort>()) {
            sending = sending || (p.area == QLatin1String("messages") && p.done > 5);
            failed = failed || p.outcome == BenchOutcome::Failed;
        }
        return sending && failed;
    };
    QElapsedTimer t;
    t.start();
    while (!midway() && t.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    bool ok = midway() && Save(&dialog, out, QStringLiteral("download-several"));
    dialog.cmdCancel()->click();
    t.restart();
    while (!dialog.cmdStart()->isEnabled() && t.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    poll.stop();
    for (const auto& sim : sims) {
        sim->terminate();
        sim->waitForFinished(3000);
    }
    KORVAMain::CloseProject(ctx);
    if (!ok) {
        std::printf("FAILED download-several\n");
        if (const MultiDownload* run = dialog.Download())
            for (const BenchPort& p : run->Ports())
                std::printf("  %s %s %d/%d %s\n", qPrintable(p.target.label), qPrintable(p.area),
                            p.done, p.total, qPrintable(p.text));
    }
    return ok;
}

// The register diagnostic window after a read of the stand-in port (its message answered).
static bool DiagnosticShot(AppContext& ctx, QtUi& ui, QWidget* main, const QString& out) {
    ctx.port = std::make_unique<AckPort>();
    ctx.port->Open();
    ui.modalSink = [](Window which) { return which == Windows::frmComPort; };
    frmDebug debug(ctx, main);
    debug.LoadFormObj();
    debug.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->accept();
    });
    poll.start(50);
    debug.findChild<QPushButton*>(QStringLiteral("cmdRead"))->click();
    poll.stop();
    ui.modalSink = nullptr;
    return Save(&debug, out, QStringLiteral("diagnostic-read"));
}

// The import preview over the download's project: a file that changes a contact, adds one in
// a group the project lacks, and breaks two rules; then with the groups to be created.
static bool ImportShots(AppContext& ctx, QWidget* parent, const QString& out) {
    const QString csv = QDir(out).filePath(QStringLiteral("contacts.csv"));
    QFile file(csv);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(CsvUtil::FileBytes(
        QStringLiteral("Contact name,Telephone number,Groups,Disabled,Description\r\n"
                       "User1,0912000001,Guards,no,\r\nUser2,0987654321,Guards;Office,no,\r\n"
                       "王小明,0933123456,夜班,yes,Night shift\r\nALL,0911,Guards,no,\r\n"
                       "Lee,09-11,Office,no,\r\n")));
    file.close();
    if (!KORVAMain::OpenProject(ctx, QDir(out).filePath(QStringLiteral("Shots.cmb")))) return false;
    CsvImportForm& form = ctx.forms.csvImport;
    if (!form.LoadFormObj(ctx, CsvExchange::Table::Contacts, csv)) return false;
    frmCsvImport preview(ctx, parent);
    preview.LoadFormObj();
    preview.show();
    bool ok = Save(&preview, out, QStringLiteral("csv-import"));
    preview.findChild<QCheckBox*>(QStringLiteral("chkCreateGroups"))->setChecked(true);
    ok &= Save(&preview, out, QStringLiteral("csv-import-create"));
    KORVAMain::CloseProject(ctx);
    return ok;
}

// The members of a group (one of them in two groups, one with a long description) in the
// content list, and the zone editor of a non-Unicode project with a message over the limit
// and one holding characters the device cannot send.
static bool EditingShots(AppContext& ctx, frmMain& w, const QString& out) {
    KORVAMain::OpenProject(ctx, QDir(out).filePath(QStringLiteral("Shots.cmb")));
    Connection* conn = ctx.project.conn.get();
    if (!conn) {
        std::printf("FAILED no open project for the editing shots\n");
        return false;
    }
    conn->Execute(QStringLiteral(
        "UPDATE Users SET GroupName='Guards'||char(13,10)||'Office', UserDsc='Night shift at "
        "the north gate, weekends and public holidays' WHERE UserName='User1'"));
    MainView::mnuViewRefresh_Click(ctx);
    MainView::SelectNode(ctx.view,
                         MainView::FindNodeByTag(ctx.view, QStringLiteral("UserGroups,Guards")));
    MainView::mklvNodeContent(ctx);
    bool ok = Save(&w, out, QStringLiteral("content-members"));

    MainView::SelectNode(ctx.view, MainView::FindNodeByTag(ctx.view, QStringLiteral("Zones,3")));
    MainView::mklvNodeContent(ctx);
    EditZoneListForm& f = ctx.forms.editZoneList;
    if (!f.LoadFormObj(ctx)) {
        std::printf("FAILED zone 3 not found\n");
        return false;
    }
    f.txtAlarmSMS = QStringLiteral("第三區警報：倉庫後門被打開，請立即派員前往查看。").repeated(4);
    f.txtResetSMS = QStringLiteral("Zone 3 back to normal ✓ 😀");
    frmEditZoneList dlg(ctx, &w);
    dlg.LoadFormObj();
    dlg.show();
    ok &= Save(&dlg, out, QStringLiteral("zone-editor"));
    return ok;
}

// The editor's help over the editing shots' project: the Edit menu naming the step it would
// undo, several contacts selected with their pop-up menu (opened from the keyboard), and the
// find box narrowing the list with its "n of m".
static bool EditorShots(AppContext& ctx, frmMain& w, const QString& out) {
    if (auto* log = w.findChild<frmCommLog*>()) log->hide(); // it would cover the menus
    MainView::SelectNode(ctx.view,
                         MainView::FindNodeByTag(ctx.view, QStringLiteral("UserGroups,Guards")));
    MainView::mklvNodeContent(ctx);
    bool ok = EditCommands::SetUsersDisabled(
        ctx, {QStringLiteral("User3"), QStringLiteral("User5")}, true);
    if (!ok) std::printf("FAILED the step to undo was not kept\n");
    for (QAction* a : w.menuBar()->actions()) {
        QMenu* m = a->menu();
        if (!m || m->objectName() != QStringLiteral("mnuEdit")) continue;
        m->popup(w.mapToGlobal(w.menuBar()->actionGeometry(a).bottomLeft()));
        ok &= SaveScreen(&w, m, out, QStringLiteral("edit-undo"));
        m->hide();
    }

    auto* list = w.findChild<QTreeView*>(QStringLiteral("lvNodeContent"));
    QAbstractItemModel* model = list->model();
    list->setFocus();
    list->setCurrentIndex(model->index(3, 0));
    list->selectionModel()->select(
        QItemSelection(model->index(0, 0), model->index(3, model->columnCount() - 1)),
        QItemSelectionModel::ClearAndSelect);
    QKeyEvent menuKey(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
    QApplication::sendEvent(list, &menuKey);
    auto* popup = w.findChild<QMenu*>(QStringLiteral("mnuProjConent"));
    if (!popup || !popup->isVisible()) {
        std::printf("FAILED no pop-up menu for several rows\n");
        return false;
    }
    ok &= SaveScreen(&w, popup, out, QStringLiteral("bulk-popup"));
    popup->hide();

    w.txtFind()->setFocus();
    w.txtFind()->setText(QStringLiteral("User1"));
    ok &= Save(&w, out, QStringLiteral("find-filter"));
    w.txtFind()->clear();
    // Undone back to the saved state, the project closes without asking.
    ok &= EditCommands::Undo(ctx);
    KORVAMain::CloseProject(ctx);
    return ok;
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: korva-shots PROGRAM_FOLDER OUT_DIR\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString out = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(out);
    QDir::setCurrent(folder);
    QApplication::setWindowIcon(QtIcons::AppIcon());

    QtUi ui;
    AppContext ctx(ui);
    ui.SetML(&ctx.ml);
    ui.SetProgramFolder(folder);
    if (!Startup::StartCore(ctx, folder, MLUtil::LocaleIdOf(QLocale::system()))) return 1;
    QtUi::ApplyFonts(ctx.ml.AppliedLang);
    std::printf("language %s\n", qPrintable(ctx.ml.AppliedLang));

    bool ok = true;
    {
        frmSplash splash(ctx.ml);
        splash.show();
        ok &= Save(&splash, out, QStringLiteral("splash"));
    }

    QSettings store(QDir(out).filePath(QStringLiteral("placement.ini")), QSettings::IniFormat);
    frmMain w(ctx, &store);
    ui.SetParentWindow(&w);
    ui.statusSink = [&w](const QString& k, const QString& t) { w.SetStatusText(k, t); };
    w.LoadFormObj();
    w.show();
    ok &= Save(&w, out, QStringLiteral("main"));

    for (QAction* a : w.menuBar()->actions()) {
        QMenu* m = a->menu();
        if (!m || !a->isVisible()) continue;
        m->popup(w.mapToGlobal(w.menuBar()->actionGeometry(a).bottomLeft()));
        ok &= Save(m, out, QStringLiteral("menu-") + m->objectName());
        m->hide();
    }

    frmToolsOptions options(ctx, &w);
    options.LoadFormObj();
    options.show();
    ok &= Save(&options, out, QStringLiteral("options"));
    auto* optionTabs = options.findChild<QTabWidget*>(QStringLiteral("sstToolsOptions"));
    optionTabs->setCurrentIndex(1);
    ok &= Save(&options, out, QStringLiteral("options-language"));
    optionTabs->setCurrentIndex(0);
    options.hide();

    frmKeyInString keyIn(&ctx.ml, &w);
    keyIn.setWindowTitle(QStringLiteral("新增連絡人群組"));
    keyIn.findChild<QLabel*>(QStringLiteral("lbKeyInString"))
        ->setText(QStringLiteral("請輸入新群組名稱:"));
    keyIn.findChild<QLineEdit*>(QStringLiteral("txtKeyInString"))->setText(QStringLiteral("群組1"));
    keyIn.show();
    ok &= Save(&keyIn, out, QStringLiteral("keyin"));
    keyIn.hide();

    {
        frmAbout about(ctx, &w);
        about.show();
        ok &= Save(&about, out, QStringLiteral("about"));
    }

    frmMessage::Attach(ui, ctx.ml, &w);
    ok &= DiagnosticShot(ctx, ui, &w, out);
    // The log window beside the main window fills during the download.
    for (QAction* a : w.findChildren<QAction*>())
        if (a->objectName() == QStringLiteral("mnuViewCommLog")) a->trigger();
    ok &= DownloadShots(ctx, ui, &w, folder, out);
    ok &= SeveralShot(ctx, &w, folder, out);
    ok &= ImportShots(ctx, &w, out);
    ok &= EditingShots(ctx, w, out);
    ok &= EditorShots(ctx, w, out);

    w.AppShutdown(false);
    return ok ? 0 : 1;
}
