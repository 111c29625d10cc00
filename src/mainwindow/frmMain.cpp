#include "mainwindow/frmMain.h"

#include "base/AppInfo.h"
#include "base/QtIcons.h"
#include "base/Twips.h"
#include "device/CommLog.h"
#include "device/DeviceMenu.h"
#include "device/DeviceWindows.h"
#include "device/Download.h"
#include "device/KORVACommUtil.h"
#include "device/frmComPort.h"
#include "device/frmCommLog.h"
#include "device/frmCommSetting.h"
#include "device/frmDebug.h"
#include "device/frmMultiDownload.h"
#include "editing/CsvExchange.h"
#include "editing/EditCommands.h"
#include "editing/ProjMenu.h"
#include "editing/QtEditDialogs.h"
#include "editing/SheetPrint.h"
#include "editing/UndoStack.h"
#include "mainwindow/ContentFilter.h"
#include "mainwindow/DownloadHistoryView.h"
#include "mainwindow/MainContext.h"
#include "mainwindow/MainView.h"
#include "mainwindow/MainWindows.h"
#include "mainwindow/PopupMenu.h"
#include "mainwindow/QtProjViews.h"
#include "mainwindow/QtStatusPanel.h"
#include "mainwindow/RememberedPort.h"
#include "mainwindow/frmAbout.h"
#include "mainwindow/frmDownloadHistory.h"
#include "ml/MLText.h"
#include "ml/MLUtil.h"
#include "ml/QtFormTexts.h"
#include "store/KORVAMain.h"
#include "store/StoreWindows.h"
#include "store/frmProjBasic.h"
#include "ui_frmMain.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QSettings>
#include <QTimer>
#include <tuple>

static std::optional<QString> SelectedListItem(const QTreeView* lv);
static void MarkDialogItems(const QList<QAction*>& actions);

namespace {
// Design sizes in twips.
constexpr int kMinPane = 1500; // the tree's least width, and the least room right of it
constexpr int kMinWindowWidth = 3000;
constexpr int kTreeWidth = 3000; // the splitter's place at start
constexpr int kGripWidth = 60;
constexpr int kSavedShownMs = 4000; // how long "Saved" stays in the status bar
} // namespace

frmMain::frmMain(MainContext& ctx, QSettings* placementStore, QWidget* parent)
    : QMainWindow(parent), m_ctx(ctx), ui(std::make_unique<Forms::Ui_frmMain>()) {
    ui->setupUi(this);
    setWindowIcon(QtIcons::AppIcon());

    // Menu items named "...BarN" are separators.
    static const QRegularExpression bar(QStringLiteral("Bar\\d+$"));
    for (QAction* a : findChildren<QAction*>())
        if (bar.match(a->objectName()).hasMatch()) a->setSeparator(true);
    ui->mnuProjConent->menuAction()->setVisible(false);

    BuildStatusBar();

    m_treeIcons = new QtImageKeyDelegate(Qt::DecorationRole, this);
    m_listIcons = new QtImageKeyDelegate(Qt::DecorationRole, this);
    ui->tvProjectContent->setItemDelegate(m_treeIcons);
    ui->lvNodeContent->setItemDelegate(m_listIcons);

    // The layout: the tree keeps its width when the window is resized, the list takes the
    // rest; neither pane gets narrower than its limit, and the window not narrower than
    // both together. The panes move when the drag ends.
    QSplitter* s = ui->splPanes;
    s->setHandleWidth(std::max(4, Px(kGripWidth)));
    s->setStretchFactor(0, 0);
    s->setStretchFactor(1, 1);
    ui->fraTreePane->setMinimumWidth(Px(kMinPane));
    ui->fraListPane->setMinimumWidth(Px(kMinPane) - s->handleWidth());
    for (QLabel* l : {ui->lbltvProjectContentCaption, ui->lbllvNodeContentCaption})
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setMinimumWidth(Px(kMinWindowWidth));

    // Every frame on the wire goes into the communication log, kept while the window lives.
    m_commLog = std::make_unique<CommLogModel>(ctx.ml);
    m_observerBefore = ctx.link.observer;
    ctx.link.observer = [log = m_commLog.get(), before = m_observerBefore](const FrameEvent& e) {
        if (before) before(e);
        log->Append(e);
    };

    m_undo = std::make_unique<UndoStack>(ctx);
    ConnectMenus();
    // The project tree and content list are the core's models; closing asks to save.
    QtProjViews::Attach(*this, ctx);
    closeProject = [](MainContext& c) { return KORVAMain::CloseProject(c); };
    RegisterWindows();

    // Load: texts first, then the placement.
    QtFormTexts::Apply(this, ctx.ml, QStringLiteral("frmMain"));
    // A separator's caption ("-" in the text table) would show as a section title.
    for (QAction* a : findChildren<QAction*>())
        if (a->isSeparator()) a->setText(QString());
    MarkDialogItems();
    m_caption = windowTitle();
    mnuEdit_Click();
    connect(&ctx.storeEvents, &StoreEvents::projectOpened, this, &frmMain::UpdateTitle);
    connect(&ctx.storeEvents, &StoreEvents::projectClosed, this, &frmMain::UpdateTitle);
    connect(&ctx.storeEvents, &StoreEvents::modifiedChanged, this, &frmMain::UpdateTitle);
    connect(&ctx.storeEvents, &StoreEvents::projectSaved, this, &frmMain::ShowSaved);
    SetConnectStatusImage(ctx.ConnectStatus);
    if (placementStore) {
        m_store = placementStore;
    } else {
        m_ownStore = WindowPlacement::OpenUserStore();
        m_store = m_ownStore.get();
    }
    RestorePlacement();
    RememberedPort::Restore(*m_store, m_ctx.comm);
    int x = Px(kTreeWidth);
    SizeControls(x);
}

frmMain::~frmMain() {
    m_ctx.link.observer = m_observerBefore;
    m_undo.reset();
}

void frmMain::BuildStatusBar() {
    static const char* const names[3] = {"sbStatusBar_Panels_1", "sbStatusBar_Panels_2",
                                         "sbStatusBar_Panels_3"};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QtStatusPanel(ui->sbStatusBar);
        m_panels[i]->setObjectName(QLatin1String(names[i]));
    }
    m_panels[0]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_panels[1]->setMinimumWidth(Px(2000));
    m_panels[2]->setMinimumWidth(Px(1400));
    ui->sbStatusBar->addWidget(m_panels[0], 1);
    ui->sbStatusBar->addPermanentWidget(m_panels[1]);
    ui->sbStatusBar->addPermanentWidget(m_panels[2]);
}

void frmMain::ConnectMenus() {
    const auto on = [this](QAction* a, void (frmMain::*slot)()) {
        connect(a, &QAction::triggered, this, slot);
    };
    connect(ui->mnuFile, &QMenu::aboutToShow, this, &frmMain::mnuFile_Click);
    connect(ui->mnuProj, &QMenu::aboutToShow, this, &frmMain::mnuProj_Click);
    connect(ui->mnuDevice, &QMenu::aboutToShow, this, &frmMain::mnuDevice_Click);

    on(ui->mnuFileNew, &frmMain::mnuFileNew_Click);
    on(ui->mnuFileOpen, &frmMain::mnuFileOpen_Click);
    on(ui->mnuFileSave, &frmMain::mnuFileSave_Click);
    on(ui->mnuFileSaveAs, &frmMain::mnuFileSaveAs_Click);
    on(ui->mnuFileClose, &frmMain::mnuFileClose_Click);
    on(ui->mnuFileBasic, &frmMain::mnuFileBasic_Click);
    on(ui->mnuFilePrint, &frmMain::mnuFilePrint_Click);
    on(ui->mnuFileExportPdf, &frmMain::mnuFileExportPdf_Click);
    using CsvExchange::Table;
    for (const auto& [item, table, import] :
         {std::tuple{ui->mnuFileImportContacts, Table::Contacts, true},
          std::tuple{ui->mnuFileImportZones, Table::Zones, true},
          std::tuple{ui->mnuFileExportContacts, Table::Contacts, false},
          std::tuple{ui->mnuFileExportZones, Table::Zones, false}})
        connect(item, &QAction::triggered, this, [this, table = table, import = import] {
            if (import)
                EditCommands::ImportCsv(m_ctx, table);
            else
                CsvExchange::ExportCommand(m_ctx, table);
        });
    QAction* mru[4] = {ui->mnuFileMRU_1, ui->mnuFileMRU_2, ui->mnuFileMRU_3, ui->mnuFileMRU_4};
    for (int i = 0; i < 4; ++i)
        connect(mru[i], &QAction::triggered, this, [this, i] { mnuFileMRU_Click(i + 1); });
    on(ui->mnuFileExit, &frmMain::mnuFileExit_Click);

    on(ui->mnuProjAddGroupList, &frmMain::mnuProjAddGroupList_Click);
    on(ui->mnuProjAddTelList, &frmMain::mnuProjAddTelList_Click);
    on(ui->mnuProjEditGroupList, &frmMain::mnuProjEditGroupList_Click);
    on(ui->mnuProjEditTelList, &frmMain::mnuProjEditTelList_Click);
    on(ui->mnuProjEditZoneList, &frmMain::mnuProjEditZoneList_Click);
    on(ui->mnuProjDeleteGroupList, &frmMain::mnuProjDeleteGroupList_Click);
    on(ui->mnuProjDeleteTelList, &frmMain::mnuProjDeleteTelList_Click);

    // Undo and redo, also at the end of the content list's pop-up menu.
    ui->mnuEditUndo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z)});
    ui->mnuEditRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(ui->mnuEditUndo, &QAction::triggered, this, [this] { EditCommands::Undo(m_ctx); });
    connect(ui->mnuEditRedo, &QAction::triggered, this, [this] { EditCommands::Redo(m_ctx); });
    connect(ui->mnuEdit, &QMenu::aboutToShow, this, &frmMain::mnuEdit_Click);
    connect(m_undo.get(), &UndoStack::changed, this, &frmMain::mnuEdit_Click);
    ui->mnuProjConent->addSeparator()->setObjectName(QStringLiteral("mnuProjConentBarUndo"));
    ui->mnuProjConent->addAction(ui->mnuEditUndo);
    ui->mnuProjConent->addAction(ui->mnuEditRedo);
    for (const BulkCommand c :
         {BulkCommand::Delete, BulkCommand::Enable, BulkCommand::Disable, BulkCommand::AddGroup,
          BulkCommand::MoveGroup, BulkCommand::RemoveGroup, BulkCommand::ZoneTarget,
          BulkCommand::ZoneEnable, BulkCommand::ZoneDisable, BulkCommand::ZoneClearReset})
        if (auto* a = findChild<QAction*>(QLatin1String(BulkMenuState::ItemName(c))))
            connect(a, &QAction::triggered, this,
                    [this, c] { PopupMenu::lvNodeContent_Bulk(m_ctx, c, SelectedListKeys()); });

    on(ui->mnuViewRefresh, &frmMain::mnuViewRefresh_Click);
    on(ui->mnuViewCommLog, &frmMain::mnuViewCommLog_Click);
    on(ui->mnuViewDownloadHistory, &frmMain::mnuViewDownloadHistory_Click);
    on(ui->mnuFileCompare, &frmMain::mnuFileCompare_Click);
    on(ui->mnuDeviceCompare, &frmMain::mnuDeviceCompare_Click);
    on(ui->mnuDeviceDownLoadMany, &frmMain::mnuDeviceDownLoadMany_Click);
    on(ui->mnuToolsOptions, &frmMain::mnuToolsOptions_Click);
    on(ui->mnuDeviceConnect, &frmMain::mnuDeviceConnect_Click);
    on(ui->mnuDeviceDisconnect, &frmMain::mnuDeviceDisconnect_Click);
    on(ui->mnuDeviceDownLoad, &frmMain::mnuDeviceDownLoad_Click);
    on(ui->mnuDeviceSetting, &frmMain::mnuDeviceSetting_Click);
    on(ui->mnuHelpAbout, &frmMain::mnuHelpAbout_Click);
    on(ui->mnuEditFind, &frmMain::mnuEditFind_Click);

    on(ui->mnuProjConentAddGroupList, &frmMain::mnuProjConentAddGroupList_Click);
    on(ui->mnuProjConentAddTelList, &frmMain::mnuProjConentAddTelList_Click);
    on(ui->mnuProjConentDeleteTelList, &frmMain::mnuProjConentDeleteTelList_Click);
    on(ui->mnuProjConentDeleteGroupList, &frmMain::mnuProjConentDeleteGroupList_Click);
    on(ui->mnuProjConentEditGroupList, &frmMain::mnuProjConentEditGroupList_Click);
    on(ui->mnuProjConentEditTelList, &frmMain::mnuProjConentEditTelList_Click);
    on(ui->mnuProjConentEditZoneList, &frmMain::mnuProjConentEditZoneList_Click);
    on(ui->mnuProjConentAddUser, &frmMain::mnuProjConentAddUser_Click);
    on(ui->mnuProjConentAddGroup, &frmMain::mnuProjConentAddGroup_Click);
    on(ui->mnuProjConentMoveUser, &frmMain::mnuProjConentMoveUser_Click);

    connect(ui->tvProjectContent, &QWidget::customContextMenuRequested, this,
            &frmMain::tvProjectContent_MouseUp);
    connect(ui->tvProjectContent, &QAbstractItemView::doubleClicked, this,
            &frmMain::tvProjectContent_DblClick);
    connect(ui->lvNodeContent, &QWidget::customContextMenuRequested, this,
            &frmMain::lvNodeContent_MouseUp);
    connect(ui->lvNodeContent, &QAbstractItemView::doubleClicked, this,
            &frmMain::lvNodeContent_DblClick);
    ui->tvProjectContent->installEventFilter(this);
    ui->lvNodeContent->installEventFilter(this);
    ui->txtFind->installEventFilter(this);
}

// Items that open a dialog; their captions end with "..." whatever a rule set.
static void MarkDialogItems(const QList<QAction*>& actions) {
    static const QSet<QString> names = {"mnuFileNew",
                                        "mnuFileOpen",
                                        "mnuFileSaveAs",
                                        "mnuFileBasic",
                                        "mnuFilePrint",
                                        "mnuFileExportPdf",
                                        "mnuFileImportContacts",
                                        "mnuFileImportZones",
                                        "mnuFileExportContacts",
                                        "mnuFileExportZones",
                                        "mnuProjAddGroupList",
                                        "mnuProjAddTelList",
                                        "mnuProjEditGroupList",
                                        "mnuProjEditTelList",
                                        "mnuProjEditZoneList",
                                        "mnuToolsOptions",
                                        "mnuDeviceConnect",
                                        "mnuDeviceSetting",
                                        "mnuDeviceDownLoadMany",
                                        "mnuProjConentAddGroupList",
                                        "mnuProjConentAddTelList",
                                        "mnuProjConentEditGroupList",
                                        "mnuProjConentEditTelList",
                                        "mnuProjConentEditZoneList",
                                        "mnuProjConentAddUser",
                                        "mnuProjConentAddGroup",
                                        "mnuProjConentMoveUser"};
    for (QAction* a : actions)
        if (names.contains(a->objectName())) a->setText(MainView::DialogCaption(a->text()));
}

void frmMain::MarkDialogItems() {
    ::MarkDialogItems(findChildren<QAction*>());
}

void frmMain::PopupAtCurrent(QTreeView* view) {
    QModelIndex at = view->currentIndex();
    QPoint pos(0, 0);
    if (at.isValid()) {
        view->scrollTo(at);
        const QRect r = view->visualRect(at);
        pos = QPoint(r.left() + r.height() / 2, r.bottom());
    }
    if (view == ui->tvProjectContent)
        tvProjectContent_MouseUp(pos);
    else
        lvNodeContent_MouseUp(pos);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    QTreeView* pane = watched == ui->tvProjectContent ? ui->tvProjectContent
                      : watched == ui->lvNodeContent  ? ui->lvNodeContent
                                                      : nullptr;
    if (event->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(event);
        const auto mods = k->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
        if (watched == ui->txtFind && k->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
            if (ui->txtFind->text().isEmpty())
                ui->lvNodeContent->setFocus(Qt::ShortcutFocusReason);
            else
                ui->txtFind->clear();
            return true;
        }
        if (watched == ui->txtFind && k->key() == Qt::Key_Down && mods == Qt::NoModifier) {
            ui->lvNodeContent->setFocus(Qt::TabFocusReason);
            return true;
        }
        if (pane && ((k->key() == Qt::Key_Menu && mods == Qt::NoModifier) ||
                     (k->key() == Qt::Key_F10 && mods == Qt::ShiftModifier))) {
            PopupAtCurrent(pane);
            return true;
        }
    }
    // A platform that turns the menu key into a context-menu event of its own.
    if (pane && event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        PopupAtCurrent(pane);
        return true;
    }
    if (event->type() != QEvent::KeyPress ||
        (static_cast<QKeyEvent*>(event)->modifiers() &
         ~Qt::KeyboardModifiers(Qt::KeypadModifier)) != Qt::NoModifier)
        return QMainWindow::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool open = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F2;
    if (!open && key != Qt::Key_Delete) return QMainWindow::eventFilter(watched, event);
    if (watched == ui->tvProjectContent) {
        if (open)
            tvProjectContent_DblClick();
        else
            PopupMenu::tvProjectContent_KeyDelete(m_ctx);
        return true;
    }
    if (watched == ui->lvNodeContent) {
        if (open)
            lvNodeContent_DblClick();
        else if (const QStringList keys = SelectedListKeys(); keys.size() > 1)
            PopupMenu::lvNodeContent_BulkKeyDelete(m_ctx, keys);
        else
            PopupMenu::lvNodeContent_KeyDelete(m_ctx, SelectedListItem(lvNodeContent()));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Placement and layout ----------------------------------------------------------------

double frmMain::Dpi() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchX() : 96.0;
}

int frmMain::Px(double twips) const {
    return Twips::ToPixels(twips, Dpi());
}

void frmMain::RestorePlacement() {
    const WindowPlacement::Placement p = WindowPlacement::Restore(*m_store);
    move(Px(p.left), Px(p.top));
    resize(Px(p.width), Px(p.height));
    // A place stored while another screen was attached must not leave the window where no
    // screen shows it.
    if (!QGuiApplication::screenAt(frameGeometry().center()) &&
        !QGuiApplication::screenAt(frameGeometry().topLeft() + QPoint(Px(600), Px(200)))) {
        const WindowPlacement::Placement d;
        move(Px(d.left), Px(d.top));
    }
}

WindowPlacement::Placement frmMain::CurrentPlacement() const {
    const double dpi = Dpi();
    return {Twips::FromPixels(x(), dpi), Twips::FromPixels(y(), dpi),
            Twips::FromPixels(width(), dpi), Twips::FromPixels(height(), dpi)};
}

void frmMain::SizeControls(int& x) {
    QSplitter* s = ui->splPanes;
    const int total = std::max(s->width(), width());
    if (x < Px(kMinPane)) x = Px(kMinPane);
    if (x > total - Px(kMinPane)) x = std::max(Px(kMinPane), total - Px(kMinPane));
    s->setSizes({x, std::max(0, total - x - s->handleWidth())});
}

// ---- Panes, status bar, timer ------------------------------------------------------------

QTreeView* frmMain::tvProjectContent() const {
    return ui->tvProjectContent;
}
QTreeView* frmMain::lvNodeContent() const {
    return ui->lvNodeContent;
}
QLabel* frmMain::lbltvProjectContentCaption() const {
    return ui->lbltvProjectContentCaption;
}
QLabel* frmMain::lbllvNodeContentCaption() const {
    return ui->lbllvNodeContentCaption;
}
QLineEdit* frmMain::txtFind() const {
    return ui->txtFind;
}
QLabel* frmMain::lblFindCount() const {
    return ui->lblFindCount;
}
QMenu* frmMain::mnuProjConent() const {
    return ui->mnuProjConent;
}
QSplitter* frmMain::Splitter() const {
    return ui->splPanes;
}

void frmMain::SetTreeModel(QAbstractItemModel* model, QItemSelectionModel* selection,
                           int imageKeyRole) {
    QTreeView* v = ui->tvProjectContent;
    v->setModel(model);
    if (selection && selection->model() == model) v->setSelectionModel(selection);
    m_treeIcons->SetImageKeyRole(imageKeyRole);
    if (v->selectionModel())
        connect(v->selectionModel(), &QItemSelectionModel::currentChanged, this,
                &frmMain::tvProjectContent_NodeClick, Qt::UniqueConnection);
}

void frmMain::SetListModel(QAbstractItemModel* model, QItemSelectionModel* selection,
                           int imageKeyRole) {
    QTreeView* v = ui->lvNodeContent;
    v->setModel(model);
    if (selection && selection->model() == model) v->setSelectionModel(selection);
    m_listIcons->SetImageKeyRole(imageKeyRole);
}

QtStatusPanel* frmMain::StatusPanel(const QString& panelKey) const {
    if (panelKey == QLatin1String("Status")) return m_panels[0];
    if (panelKey == QLatin1String("ProjName")) return m_panels[1];
    if (panelKey == QLatin1String("ConnectStatus")) return m_panels[2];
    return nullptr;
}

void frmMain::SetStatusText(const QString& panelKey, const QString& text) {
    QtStatusPanel* panel = StatusPanel(panelKey);
    if (!panel) return;
    panel->setText(text);
    if (panel == m_panels[2]) SetConnectStatusImage(m_ctx.ConnectStatus);
    panel->repaint(); // long operations show their progress before they let events run
}

void frmMain::UpdateTitle() {
    const QString file = QFileInfo(m_ctx.project.ProjPath).fileName();
    setWindowTitle(m_ctx.project.IsOpen() && !file.isEmpty()
                       ? AppTitle() + QStringLiteral(" - ") + file + QStringLiteral("[*]")
                       : m_caption);
    setWindowModified(m_ctx.project.IsOpen() && m_ctx.project.IsModified);
}

void frmMain::ShowSaved(const QString& path) {
    const MLText T{m_ctx.ml, QStringLiteral("KORVAMain")};
    const QString text = T(QStringLiteral("已儲存 %1"), 1, 7311).arg(QFileInfo(path).fileName());
    SetStatusText(QStringLiteral("Status"), text);
    QTimer::singleShot(kSavedShownMs, this, [this, text] {
        if (m_panels[0]->text() == text) SetStatusText(QStringLiteral("Status"), QString());
    });
}

void frmMain::SetConnectStatusImage(bool connected) {
    const QString key = connected ? QStringLiteral("Connect") : QStringLiteral("DisConnect");
    m_panels[2]->SetImage(QtIcons::Icon(key), key);
}

// ---- Load, modal windows, closing --------------------------------------------------------

void frmMain::LoadFormObj() {
    const MLText T{m_ctx.ml, QStringLiteral("KORVAMain")};
    SetStatusText(QStringLiteral("Status"), T(QStringLiteral("歡迎使用 簡訊報警機"), 2, 976));
    SetStatusText(QStringLiteral("ProjName"), QString());
    RefreshFormObj();
}

void frmMain::RefreshFormObj() {
    ui->lbltvProjectContentCaption->setText(m_ctx.project.ProjName);
    MainView::RefreshFormObj(m_ctx); // the tree, the content list and their captions
    SetStatusText(QStringLiteral("ProjName"), m_ctx.project.ProjName);
}

void frmMain::RegisterWindow(Window which, ShowWindow show) {
    m_windows[which] = std::move(show);
}

void frmMain::RegisterWindows() {
    RegisterWindow(Windows::frmProjBasic, [this](QWidget* parent) {
        frmProjBasic dlg(m_ctx, parent);
        dlg.LoadFormObj();
        return dlg.exec() == QDialog::Accepted;
    });
    RegisterWindow(Windows::frmComPort,
                   [this](QWidget* parent) { return frmComPort::Run(m_ctx, parent); });
    RegisterWindow(Windows::frmCommSetting,
                   [this](QWidget* parent) { return frmCommSetting::Run(m_ctx, parent); });
    // Opened from About, so it sits over the modal window that asked for it.
    RegisterWindow(Windows::frmDiagnostic, [this](QWidget* parent) {
        QWidget* modal = QApplication::activeModalWidget();
        return frmDebug::Run(m_ctx, modal ? modal : parent);
    });
    RegisterWindow(Windows::frmAbout, [this](QWidget* parent) {
        frmAbout dlg(m_ctx, parent);
        return dlg.exec() == QDialog::Accepted;
    });
    for (const Window which : QtEditDialogs::Shown())
        RegisterWindow(which, [this, which](QWidget* parent) {
            if (!m_editDialogs) m_editDialogs = std::make_unique<QtEditDialogs>(m_ctx, parent);
            return m_editDialogs->ShowModal(which).value_or(false);
        });
}

bool frmMain::ShowModal(Window which) {
    const auto it = m_windows.find(which);
    const bool ok = it != m_windows.end() && it->second(this); // not built yet: nothing opens
    // The port chosen is the one offered first on the next run; the demo's terminal ends with
    // the run, so choosing the demo leaves the remembered port as it was.
    if (ok && which == Windows::frmComPort && m_store && !KORVACommUtil::DemoInUse(m_ctx))
        RememberedPort::Store(*m_store, m_ctx.comm);
    return ok;
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (m_ended) {
        event->accept();
        return;
    }
    if (!Shutdown::QueryClose(m_ctx, closeProject)) {
        event->ignore();
        return;
    }
    AppShutdown(true);
    event->accept();
}

void frmMain::AppShutdown(bool saveSettings) {
    if (m_ended) return;
    Shutdown::MainWindowState state;
    state.minimized = isMinimized();
    state.placement = CurrentPlacement();
    state.viewMode = ViewMode();
    Shutdown::AppShutdown(m_ctx, saveSettings, m_store, state);
    m_ended = true;
    if (onEnded) onEnded();
}

// ---- Menu openings -----------------------------------------------------------------------
// Each opening rule sets the items it names from the project state and the selection.

// The File items' states follow the project only when the menu opens; a shortcut typed with
// the menu closed must see them as they are now (Ctrl+S right after an edit).
bool frmMain::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) mnuFile_Click();
    return QMainWindow::event(event);
}

void frmMain::mnuFile_Click() {
    QtProjViews::ApplyFileMenu(*this, MainView::mnuFile_Click(m_ctx));
    ui->mnuFileCompare->setEnabled(m_ctx.project.IsOpen());
}
void frmMain::mnuProj_Click() {
    const ProjMenuState s = ProjMenu::mnuProj_Click(m_ctx);
    // A caption the rule sets keeps the item's access key.
    const auto apply = [](QAction* item, const ProjMenuItem& state) {
        item->setEnabled(state.enabled);
        if (!item->property("designCaption").isValid())
            item->setProperty("designCaption", item->text());
        if (state.caption)
            item->setText(MainView::WithAccessKey(*state.caption,
                                                  item->property("designCaption").toString()));
    };
    apply(ui->mnuProjAddGroupList, s.mnuProjAddGroupList);
    apply(ui->mnuProjAddTelList, s.mnuProjAddTelList);
    apply(ui->mnuProjEditGroupList, s.mnuProjEditGroupList);
    apply(ui->mnuProjEditTelList, s.mnuProjEditTelList);
    apply(ui->mnuProjEditZoneList, s.mnuProjEditZoneList);
    apply(ui->mnuProjDeleteGroupList, s.mnuProjDeleteGroupList);
    apply(ui->mnuProjDeleteTelList, s.mnuProjDeleteTelList);
    MarkDialogItems();
}
void frmMain::mnuDevice_Click() {
    const DeviceMenuState s = DeviceMenu::DeviceMenuRule(m_ctx);
    ui->mnuDeviceConnect->setCheckable(true);
    ui->mnuDeviceConnect->setChecked(s.connectChecked);
    ui->mnuDeviceConnect->setText(s.connectCaption);
    ui->mnuDeviceDisconnect->setEnabled(s.disconnectEnabled);
    ui->mnuDeviceSetting->setEnabled(s.settingEnabled);
    ui->mnuDeviceDownLoad->setEnabled(s.downloadEnabled);
    ui->mnuDeviceDownLoadMany->setEnabled(s.downloadManyEnabled);
    ui->mnuDeviceCompare->setEnabled(m_ctx.project.IsOpen() &&
                                     DownloadHistoryView::ConnectedDialersLast(m_ctx).has_value());
    MarkDialogItems();
}

// ---- Commands ----------------------------------------------------------------------------

void frmMain::mnuFileNew_Click() {
    KORVAMain::NewProject(m_ctx);
}
void frmMain::mnuFileOpen_Click() {
    KORVAMain::OpenProject(m_ctx, QString());
}
void frmMain::mnuFileSave_Click() {
    KORVAMain::SaveProject(m_ctx, true, false, false);
}
void frmMain::mnuFileSaveAs_Click() {
    KORVAMain::SaveProjectAs(m_ctx);
}
// The same close, with its save prompt, as the one before Exit.
void frmMain::mnuFileClose_Click() {
    closeProject(m_ctx);
}
void frmMain::mnuFileBasic_Click() {
    EditCommands::EditBasic(m_ctx, [this] { ShowModal(Windows::frmProjBasic); });
}
// The sheet in a preview where the person picks printer and paper, then prints.
void frmMain::mnuFilePrint_Click() {
    if (!m_ctx.project.IsOpen()) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_ctx.project.ProjName);
    printer.setPageLayout(QPageLayout(QPageSize(SheetPrint::DefaultPaper()), QPageLayout::Portrait,
                                      QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter));
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(PopupMenu::PlainCaption(ui->mnuFilePrint->text()));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* p) { SheetPrint::PaintProject(m_ctx, *p); });
    preview.exec();
}
void frmMain::mnuFileExportPdf_Click() {
    SheetPrint::ExportPdf(m_ctx);
}
void frmMain::mnuFileMRU_Click(int index) {
    MainView::mnuFileMRU_Click(m_ctx, QtProjViews::RecentCaption(*this, index));
}

// Exit runs the same close rule as the window's close button.
void frmMain::mnuFileExit_Click() {
    close();
}

void frmMain::mnuProjAddGroupList_Click() {
    ProjMenu::mnuProjAddGroupList_Click(m_ctx);
}
void frmMain::mnuProjAddTelList_Click() {
    ProjMenu::mnuProjAddTelList_Click(m_ctx);
}
void frmMain::mnuProjEditGroupList_Click() {
    ProjMenu::mnuProjEditGroupList_Click(m_ctx);
}
void frmMain::mnuProjEditTelList_Click() {
    ProjMenu::mnuProjEditTelList_Click(m_ctx);
}
void frmMain::mnuProjEditZoneList_Click() {
    ProjMenu::mnuProjEditZoneList_Click(m_ctx);
}
void frmMain::mnuProjDeleteGroupList_Click() {
    ProjMenu::mnuProjDeleteGroupList_Click(m_ctx);
}
void frmMain::mnuProjDeleteTelList_Click() {
    ProjMenu::mnuProjDeleteTelList_Click(m_ctx);
}

void frmMain::mnuViewRefresh_Click() {
    MainView::mnuViewRefresh_Click(m_ctx);
}
void frmMain::mnuViewCommLog_Click() {
    if (!m_frmCommLog) m_frmCommLog = std::make_unique<frmCommLog>(m_ctx, *m_commLog, this);
    m_frmCommLog->ShowBeside(this);
}

void frmMain::mnuViewDownloadHistory_Click() {
    frmDownloadHistory window(m_ctx, this);
    window.exec();
}
void frmMain::mnuFileCompare_Click() {
    CompareWindows::CompareWithFile(m_ctx, this);
}
void frmMain::mnuDeviceDownLoadMany_Click() {
    frmMultiDownload::Run(m_ctx, this);
}
void frmMain::mnuDeviceCompare_Click() {
    CompareWindows::CompareWithDialer(m_ctx, this);
}

void frmMain::mnuToolsOptions_Click() {
    ShowModal(Windows::frmToolsOptions);
}

void frmMain::mnuDeviceConnect_Click() {
    DeviceMenu::DeviceConnectCommand(m_ctx);
}
void frmMain::mnuDeviceDisconnect_Click() {
    DeviceMenu::DeviceDisconnectCommand(m_ctx);
}
void frmMain::mnuDeviceDownLoad_Click() {
    Download::DownloadCommand(m_ctx);
}
void frmMain::mnuDeviceSetting_Click() {
    DeviceMenu::DeviceSettingCommand(m_ctx);
}
void frmMain::mnuHelpAbout_Click() {
    ShowModal(Windows::frmAbout);
}
void frmMain::mnuEditFind_Click() {
    ui->txtFind->setFocus(Qt::ShortcutFocusReason);
    ui->txtFind->selectAll();
}

void frmMain::mnuProjConentAddGroupList_Click() {
    mnuProjAddGroupList_Click();
}
void frmMain::mnuProjConentAddTelList_Click() {
    mnuProjAddTelList_Click();
}
void frmMain::mnuProjConentDeleteTelList_Click() {
    mnuProjDeleteTelList_Click();
}
void frmMain::mnuProjConentDeleteGroupList_Click() {
    mnuProjDeleteGroupList_Click();
}
void frmMain::mnuProjConentEditGroupList_Click() {
    mnuProjEditGroupList_Click();
}
void frmMain::mnuProjConentEditTelList_Click() {
    mnuProjEditTelList_Click();
}
void frmMain::mnuProjConentEditZoneList_Click() {
    mnuProjEditZoneList_Click();
}
// The content list's selected item, for the pop-up commands on a branch. The view shows the
// list through the find-and-sort proxy: its rows map to the core's rows through it.
static std::optional<QString> SelectedListItem(const QTreeView* lv) {
    const QItemSelectionModel* sel = lv->selectionModel();
    if (!sel || !sel->hasSelection() || !lv->currentIndex().isValid()) return std::nullopt;
    if (const auto* shown = qobject_cast<const ContentFilterModel*>(lv->model()))
        return shown->KeyOf(lv->currentIndex());
    return lv->currentIndex().siblingAtColumn(0).data(NodeContentModel::KeyRole).toString();
}
void frmMain::mnuProjConentAddUser_Click() {
    ProjMenu::mnuProjConentAddUser_Click(m_ctx, SelectedListItem(lvNodeContent()));
}
void frmMain::mnuProjConentAddGroup_Click() {
    ProjMenu::mnuProjConentAddGroup_Click(m_ctx, SelectedListItem(lvNodeContent()));
}
void frmMain::mnuProjConentMoveUser_Click() {
    ProjMenu::mnuProjConentMoveUser_Click(m_ctx, SelectedListItem(lvNodeContent()));
}

void frmMain::tvProjectContent_NodeClick() {
    MainView::tvProjContent_NodeClick(m_ctx);
}

// Shows the items of the commands on several rows that state shows; hides them all without
// one (a single row's menu).
static void ShowBulkItems(QMenu* menu, const BulkMenuState* state) {
    for (QAction* a : menu->actions())
        if (a->objectName().startsWith(QLatin1String("mnuProjConentBulk")) ||
            a->objectName() == QLatin1String("mnuProjConentBar3"))
            a->setVisible(false);
    if (!state) return;
    for (const BulkCommand c : state->shown)
        for (QAction* a : menu->actions())
            if (a->objectName() == QLatin1String(BulkMenuState::ItemName(c))) a->setVisible(true);
}

// Applies the pop-up rule's item states and pops the menu up at the pointer, over the pane.
static void ShowPopup(QMenu* menu, const PopupMenuState& s, QAbstractScrollArea* pane,
                      const QPoint& pos) {
    if (!s.popUp) return;
    ShowBulkItems(menu, nullptr);
    for (QAction* a : menu->actions()) {
        for (const auto& [name, state] : s.Items()) {
            if (a->objectName() != QLatin1String(name)) continue;
            a->setVisible(state->visible);
            // A name's "&" is shown as itself, not as a shortcut mark.
            if (state->caption)
                a->setText(QString(*state->caption).replace(u'&', QLatin1String("&&")));
        }
    }
    MarkDialogItems(menu->actions());
    menu->popup(pane->viewport()->mapToGlobal(pos));
}
void frmMain::tvProjectContent_MouseUp(const QPoint& pos) {
    ShowPopup(ui->mnuProjConent, PopupMenu::tvProjectContent_MouseUp(m_ctx), ui->tvProjectContent,
              pos);
}
void frmMain::tvProjectContent_DblClick() {
    PopupMenu::tvProjectContent_DblClick(m_ctx);
}
void frmMain::lvNodeContent_MouseUp(const QPoint& pos) {
    // Several rows: only the commands on all of them.
    if (const QStringList keys = SelectedListKeys(); keys.size() > 1) {
        const BulkMenuState s = PopupMenu::lvNodeContent_BulkMenu(m_ctx, keys);
        if (!s.popUp) return;
        QMenu* menu = ui->mnuProjConent;
        for (const auto& [name, state] : PopupMenuState().Items())
            if (auto* a = findChild<QAction*>(QLatin1String(name))) a->setVisible(false);
        ShowBulkItems(menu, &s);
        menu->popup(ui->lvNodeContent->viewport()->mapToGlobal(pos));
        return;
    }
    ShowPopup(ui->mnuProjConent,
              PopupMenu::lvNodeContent_MouseUp(m_ctx, SelectedListItem(lvNodeContent())),
              ui->lvNodeContent, pos);
}
void frmMain::lvNodeContent_DblClick() {
    PopupMenu::lvNodeContent_DblClick(m_ctx, SelectedListItem(lvNodeContent()));
}

void frmMain::mnuEdit_Click() {
    const auto apply = [](QAction* item, bool enabled, const QString& caption) {
        if (!item->property("designCaption").isValid())
            item->setProperty("designCaption", item->text());
        item->setEnabled(enabled);
        item->setText(MainView::WithAccessKey(caption, item->property("designCaption").toString()));
    };
    apply(ui->mnuEditUndo, EditCommands::CanUndo(m_ctx), EditCommands::UndoCaption(m_ctx));
    apply(ui->mnuEditRedo, EditCommands::CanRedo(m_ctx), EditCommands::RedoCaption(m_ctx));
}

// Through whatever model the list shows (a filter or sort over the core's list): the key
// role of each selected row, top to bottom as shown.
QStringList frmMain::SelectedListKeys() const {
    const QItemSelectionModel* sel = ui->lvNodeContent->selectionModel();
    if (!sel) return {};
    // In the core's row order, whatever the view's filter and sort show.
    QModelIndexList rows = sel->selectedRows(0);
    if (const auto* shown = qobject_cast<const QAbstractProxyModel*>(ui->lvNodeContent->model()))
        for (QModelIndex& i : rows)
            i = shown->mapToSource(i);
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList keys;
    for (const QModelIndex& i : rows)
        keys << i.data(NodeContentModel::KeyRole).toString();
    return keys;
}
