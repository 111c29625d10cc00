#pragma once
// What the main window shows of the open project: the project tree with its node tags, the
// content list of the selected node, the two pane captions, and the rules of the File and
// View menus. All of it is core state; frmMain only shows the models in its views.
// Nodes carry tags (store/NodeTag.h).
#include "mainwindow/ContentFilter.h"
#include "mainwindow/NodeContentModel.h"
#include "mainwindow/ProjTreeModel.h"
#include "store/KORVAMain.h"
#include "store/NodeTag.h"

#include <QItemSelectionModel>
#include <QObject>
#include <QString>
#include <QVariant>
#include <array>

struct MainContext;
struct OpenProject;
class RowSet;

class MainViewState : public QObject {
    Q_OBJECT
public:
    MainViewState();

    ProjTreeModel tree;                 // tvProjContent
    QItemSelectionModel treeSelection;  // its current node is the selected node
    NodeContentModel list;              // lvNodeContent's rows, in row order
    ContentFilterModel listShown{list}; // what lvNodeContent shows: found and sorted
    QString tvCaption;                  // lbltvProjectContentCaption
    QString lvCaption;                  // lbllvNodeContentCaption

    void SetTvCaption(const QString& text);
    void SetLvCaption(const QString& text);
    // The find text: filters the list's table rows and marks the tree's matching leaves.
    void SetFindText(const QString& text);

    QString listTag; // the node the list was built for; another node shows it in row order

Q_SIGNALS:
    void tvCaptionChanged(const QString& text);
    void lvCaptionChanged(const QString& text);
};

// The File menu's item states when it opens.
struct FileMenuState {
    bool saveEnabled = false;
    bool saveAsEnabled = false;
    bool basicEnabled = false;
    bool sheetEnabled = false;    // print and export as PDF
    bool exchangeEnabled = false; // the Import and Export submenus
    std::array<RecentMenuItem, KORVAMain::kRecentFileCount> mru;
};

namespace MainView {
QModelIndex FindNodeByTag(const MainViewState& view, const QString& tag);

QModelIndex SelectedNode(const MainViewState& view);
void SelectNode(MainViewState& view, const QModelIndex& index);

// Rebuilds the whole tree from the open row sets (empty when no project is open). Every
// table's current row is past its end afterwards. The root is expanded and selected.
void mktvProjContent(MainContext& ctx);
// Rebuilds caption, columns and rows of the content list for the selected node.
void mklvNodeContent(MainContext& ctx);
// The table view of a row set: a row passes the GroupName filter of Users when one of its
// CR LF separated groups equals the value; with no filter field every row passes.
void PutTableTolvNodeContent(MainContext& ctx, const QString& tmpTableName, RowSet* tmpRs,
                             const QString& tmpFilterFieldName1 = {},
                             const QVariant& tmpFilterFieldValue1 = {});
// The record view of the row set's current row; with no current row, two empty columns.
void PutRecordTolvNodeContent(MainContext& ctx, const QString& tmpTableName, RowSet* tmpRs);
// Brings captions, tree, list and the "ProjName" status panel in line with the open project.
void RefreshFormObj(MainContext& ctx);

// A node of the tree was selected by the user.
void tvProjContent_NodeClick(MainContext& ctx);
// The project's rows were put back (undo, redo): tree and list are rebuilt, the node selected
// before stays selected (its branch when its row is gone).
void RestoreViews(MainContext& ctx);
// View > Refresh.
void mnuViewRefresh_Click(MainContext& ctx);
// The File menu's opening rule (it also rebuilds the recent-file items).
FileMenuState mnuFile_Click(const MainContext& ctx);
// A recent-file item: opens the project its caption names, unless it is the empty-entry text.
bool mnuFileMRU_Click(MainContext& ctx, const QString& caption);

// A caption a menu rule gives an item, with the access key of the item's design caption (the
// letter after its "&"): marked in the caption, at a word's first letter if it can, else
// anywhere, else added as "(&X)". An "&" of the caption itself stays text.
QString WithAccessKey(const QString& caption, const QString& designCaption);
// The caption of an item that opens a dialog: it ends with "..." (an empty caption stays).
QString DialogCaption(const QString& caption);
} // namespace MainView
