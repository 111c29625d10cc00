#pragma once
// The main window: the project tree on the left, the content list on the right, a caption
// above each, the splitter between them, the status bar, the menu bar and the pop-up menu.
//
// Hooks for the rest of the program:
// - one handler per menu item (mnuXxx_Click) and per menu opening (mnuFile_Click, ...);
// - SetTreeModel / SetListModel for the core's models and their selection models (an item's
//   image key, text in the given role, is drawn as the program's icon);
// - SetStatusText with the panel keys "Status", "ProjName", "ConnectStatus";
// - ShowModal dispatches the modal windows of the Window list;
// - closeProject: the project store's close with its save prompt (2: cancelled);
#include "base/Ui.h"
#include "mainwindow/Shutdown.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

namespace Forms {
class Ui_frmMain;
}
struct MainContext;
class QAbstractItemModel;
class QLabel;
class QLineEdit;
class QMenu;
class QSettings;
class QSplitter;
class QTreeView;
class QtImageKeyDelegate;
class QItemSelectionModel;
class QtStatusPanel;
class QtEditDialogs;
class CommLogModel;
class frmCommLog;
class UndoStack;
struct FrameEvent;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // The window's load step: its texts, then its placement from the store (the user's own
    // store when none is given). The window is not shown.
    explicit frmMain(MainContext& ctx, QSettings* placementStore = nullptr,
                     QWidget* parent = nullptr);
    ~frmMain() override;

    // The state with no project open: the greeting, no project name, the panes refreshed.
    void LoadFormObj();
    // Brings the captions and the project-name panel in line with the open project.
    void RefreshFormObj();

    // Status panels by key; the connection panel's image follows ctx.ConnectStatus.
    void SetStatusText(const QString& panelKey, const QString& text);
    void SetConnectStatusImage(bool connected);
    QtStatusPanel* StatusPanel(const QString& panelKey) const;

    // Opens a modal window; true when it was confirmed, false for a window not registered.
    bool ShowModal(Window which);
    // The modal windows by id, one entry each: the main window registers those of the layers
    // below it, the program adds its own (the options dialog).
    using ShowWindow = std::function<bool(QWidget* parent)>;
    void RegisterWindow(Window which, ShowWindow show);

    QTreeView* tvProjectContent() const;
    QTreeView* lvNodeContent() const;
    QLabel* lbltvProjectContentCaption() const;
    QLabel* lbllvNodeContentCaption() const;
    QLineEdit* txtFind() const;
    QLabel* lblFindCount() const;
    QMenu* mnuProjConent() const;
    QSplitter* Splitter() const;
    const UndoStack& History() const { return *m_undo; }
    // The keys of the content list's selected rows, in the order the list shows them.
    QStringList SelectedListKeys() const;
    void SetTreeModel(QAbstractItemModel* model, QItemSelectionModel* selection = nullptr,
                      int imageKeyRole = Qt::DecorationRole);
    void SetListModel(QAbstractItemModel* model, QItemSelectionModel* selection = nullptr,
                      int imageKeyRole = Qt::DecorationRole);

    // Lengths of the window design, in twips, as pixels of this screen.
    int Px(double twips) const;
    double Dpi() const;
    // Puts the splitter at x pixels from the left, first held within the limits: the tree
    // never narrower than 1500 twips and never leaving less than 1500 to its right.
    void SizeControls(int& x);

    // The window's position and size in twips, as stored at shutdown.
    WindowPlacement::Placement CurrentPlacement() const;
    // The content list's view style (report), stored at shutdown.
    int ViewMode() const { return kViewModeReport; }
    static constexpr int kViewModeReport = 3;

    // The project store's close (with its save prompt); 2 means the user cancelled.
    std::function<int(MainContext&)> closeProject;
    // Runs after shutdown; the program's event loop ends there.
    std::function<void()> onEnded;
    // Closes everything and, with saveSettings, stores the placement and view mode.
    void AppShutdown(bool saveSettings);
    bool Ended() const { return m_ended; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    // Enter or F2 on the tree or the list opens the editor of what is selected (as a double
    // click does); Delete deletes it; Shift+F10 and the Menu key pop its menu up at it.
    // Escape in the find box clears it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectMenus();
    void BuildStatusBar();
    // "KORVA - Walk1.cmb" with the modified marker while a project is open, else the caption.
    void UpdateTitle();
    // "Saved" with the file name in the status panel for a few seconds.
    void ShowSaved(const QString& path);
    void RestorePlacement();
    void RegisterWindows();
    // The items that open a dialog end with "...", whatever caption a rule gave them.
    void MarkDialogItems();
    // The pop-up menu of the view's current node or row, placed at it.
    void PopupAtCurrent(QTreeView* view);

    // Menu openings.
    void mnuFile_Click();
    void mnuProj_Click();
    void mnuDevice_Click();
    // File menu.
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    void mnuFileClose_Click();
    void mnuFileBasic_Click();
    void mnuFilePrint_Click();
    void mnuFileExportPdf_Click();
    void mnuFileMRU_Click(int index);
    void mnuFileExit_Click();
    // Project menu.
    void mnuProjAddGroupList_Click();
    void mnuProjAddTelList_Click();
    void mnuProjEditGroupList_Click();
    void mnuProjEditTelList_Click();
    void mnuProjEditZoneList_Click();
    void mnuProjDeleteGroupList_Click();
    void mnuProjDeleteTelList_Click();
    // View, Tools, Device, Help.
    void mnuViewRefresh_Click();
    void mnuViewCommLog_Click();
    void mnuViewDownloadHistory_Click();
    void mnuFileCompare_Click();
    void mnuDeviceCompare_Click();
    void mnuDeviceDownLoadMany_Click();
    void mnuToolsOptions_Click();
    void mnuDeviceConnect_Click();
    void mnuDeviceDisconnect_Click();
    void mnuDeviceDownLoad_Click();
    void mnuDeviceSetting_Click();
    void mnuHelpAbout_Click();
    void mnuEditFind_Click();
    // Pop-up menu.
    void mnuProjConentAddGroupList_Click();
    void mnuProjConentAddTelList_Click();
    void mnuProjConentDeleteTelList_Click();
    void mnuProjConentDeleteGroupList_Click();
    void mnuProjConentEditGroupList_Click();
    void mnuProjConentEditTelList_Click();
    void mnuProjConentEditZoneList_Click();
    void mnuProjConentAddUser_Click();
    void mnuProjConentAddGroup_Click();
    void mnuProjConentMoveUser_Click();
    // The panes.
    void tvProjectContent_NodeClick();
    void tvProjectContent_MouseUp(const QPoint& pos);
    void tvProjectContent_DblClick();
    void lvNodeContent_MouseUp(const QPoint& pos);
    void lvNodeContent_DblClick();
    // Undo and redo: the Edit menu's items (also on the content list's pop-up menu) name the
    // step they would undo or redo.
    void mnuEdit_Click();

    MainContext& m_ctx;
    std::unique_ptr<Forms::Ui_frmMain> ui;
    std::unique_ptr<QSettings> m_ownStore;
    QSettings* m_store = nullptr;
    QtStatusPanel* m_panels[3] = {};
    QtImageKeyDelegate* m_treeIcons = nullptr;
    QtImageKeyDelegate* m_listIcons = nullptr;
    std::map<Window, ShowWindow> m_windows;
    std::unique_ptr<UndoStack> m_undo;            // the open project's undo history
    std::unique_ptr<QtEditDialogs> m_editDialogs; // the editing windows
    std::unique_ptr<CommLogModel> m_commLog;      // every frame on the wire
    std::unique_ptr<frmCommLog> m_frmCommLog;     // its window, made when first opened
    std::function<void(const FrameEvent&)> m_observerBefore;
    bool m_ended = false;
    QString m_caption; // the window's caption without a project
};
