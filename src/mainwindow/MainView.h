#pragma once
// What the main window shows of the open project: the project tree with its node tags, the
// content list of the selected node, the two pane captions, and the rules of the File and
// View menus. All of it is core state; frmMain only shows the models in its views.
//
// Node tags: a kind word ("ProjName", "Users", "UserGroups", "Zones"), optionally followed by
// "," and the row key (UserName, GroupName or decimal ZoneNo). Nothing keeps a pointer to a
// row: the tag of the selected node locates the current row of its table.
#include "mainwindow/NodeContentModel.h"
#include "mainwindow/ProjTreeModel.h"
#include "store/KORVAMain.h"

#include <QItemSelectionModel>
#include <QObject>
#include <QString>
#include <QVariant>
#include <array>

struct AppContext;
struct OpenProject;
class RowSet;

class MainViewState : public QObject {
    Q_OBJECT
public:
    MainViewState();

    ProjTreeModel tree;                  // tvProjContent
    QItemSelectionModel treeSelection;   // its current node is the selected node
    NodeContentModel list;               // lvNodeContent
    QString tvCaption;                   // lbltvProjectContentCaption
    QString lvCaption;                   // lbllvNodeContentCaption
    // The main window's one file dialog keeps the folder and file name of its last use.
    QString dlgFolder;
    QString dlgFileName;

    void SetTvCaption(const QString& text);
    void SetLvCaption(const QString& text);

Q_SIGNALS:
    void tvCaptionChanged(const QString& text);
    void lvCaptionChanged(const QString& text);
    // The recent-files list changed: the File menu's recent items are rebuilt.
    void recentFilesChanged();
};

// The File menu's item states when it opens.
struct FileMenuState {
    bool saveEnabled = false;
    bool saveAsEnabled = false;
    bool basicEnabled = false;
    std::array<RecentMenuItem, 4> mru;
};

namespace MainView {
// Slots 1 to 4 of a tag: items[0] is slot 1 (the kind word), items[1] slot 2 (the key).
using TagItems = std::array<QString, 4>;

// Splits a tag into the kind word and the key: everything after the first comma is the key,
// so a name with commas still names its row. Returns the number of items (0 for an empty
// tag, which leaves items untouched; 1 for a branch or the root; 2 for a leaf).
int ParseNodeTag(const QString& tag, TagItems& items);
// For a leaf (count 2 or more) makes the named row the current row of its table by an exact
// first-match scan; false when no row matches (the table is then past its end). An unknown
// kind word moves nothing and gives true; a count below 2 gives false.
bool LocateCurRecord(OpenProject& project, const TagItems& items, int count);
QModelIndex FindNodeByTag(const MainViewState& view, const QString& tag);

QModelIndex SelectedNode(const MainViewState& view);
void SelectNode(MainViewState& view, const QModelIndex& index);

// Rebuilds the whole tree from the open row sets (empty when no project is open). Every
// table's current row is past its end afterwards. The root is expanded and selected.
void mktvProjContent(AppContext& ctx);
// Rebuilds caption, columns and rows of the content list for the selected node.
void mklvNodeContent(AppContext& ctx);
// The table view of a row set: a row passes the GroupName filter of Users when one of its
// CR LF separated groups equals the value; with no filter field every row passes.
void PutTableTolvNodeContent(AppContext& ctx, const QString& tmpTableName, RowSet* tmpRs,
                             const QString& tmpFilterFieldName1 = {},
                             const QVariant& tmpFilterFieldValue1 = {});
// The record view of the row set's current row; with no current row, two empty columns.
void PutRecordTolvNodeContent(AppContext& ctx, const QString& tmpTableName, RowSet* tmpRs);
// Brings captions, tree, list and the "ProjName" status panel in line with the open project.
void RefreshFormObj(AppContext& ctx);

// A node of the tree was selected by the user.
void tvProjContent_NodeClick(AppContext& ctx);
// View > Refresh.
void mnuViewRefresh_Click(AppContext& ctx);
// The File menu's opening rule (it also rebuilds the recent-file items).
FileMenuState mnuFile_Click(const AppContext& ctx);
// A recent-file item: opens the project its caption names, unless it is the empty-entry text.
bool mnuFileMRU_Click(AppContext& ctx, const QString& caption);
} // namespace MainView
