#pragma once
// The pop-up menu shared by the project tree and the content list, and double-click on them.
// The opening rules decide, from the selected tree node and the selected list item, which
// items show and with what captions, and make the row they concern the current row of its
// table so that the chosen command (the Project menu's commands and the three pop-up-only
// ones in ProjMenu) acts on it. frmMain applies the state and pops the menu up.
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <utility>

struct MainContext;

// One pop-up item: shown or hidden, and its caption when the rule sets one (an item whose
// caption is not set keeps the one it had).
struct PopupItem {
    bool visible = false;
    std::optional<QString> caption;
};

struct PopupMenuState {
    bool popUp = false; // false: no menu for this selection, and no item is changed
    PopupItem mnuProjConentAddGroupList;
    PopupItem mnuProjConentAddTelList;
    PopupItem mnuProjConentBar1;
    PopupItem mnuProjConentDeleteTelList;
    PopupItem mnuProjConentDeleteGroupList;
    PopupItem mnuProjConentEditGroupList;
    PopupItem mnuProjConentEditTelList;
    PopupItem mnuProjConentEditZoneList;
    PopupItem mnuProjConentBar2;
    PopupItem mnuProjConentAddUser;
    PopupItem mnuProjConentAddGroup;
    PopupItem mnuProjConentMoveUser;

    // The items by object name, in menu order.
    std::array<std::pair<const char*, const PopupItem*>, 12> Items() const;
};

// The pop-up menu over several selected rows of the content list: which commands on all of
// them it shows.
enum class BulkCommand {
    Delete,
    Enable,
    Disable,
    AddGroup,
    MoveGroup,
    RemoveGroup,
    ZoneTarget,
    ZoneEnable,
    ZoneDisable,
    ZoneClearReset,
};
struct BulkMenuState {
    bool popUp = false; // false: the selection is not one the commands on several rows take
    QList<BulkCommand> shown;
    bool Shows(BulkCommand c) const { return shown.contains(c); }
    // The item's object name in the pop-up menu.
    static const char* ItemName(BulkCommand c);
};

namespace PopupMenu {
// Right button over the tree: the menu for the selected node (none for the root, the zones
// branch or no selection).
PopupMenuState tvProjectContent_MouseUp(MainContext& ctx);
// Right button over the content list: the menu for the selected list item (its key: the row's
// text, or on the root's overview the node kind it stands for; none when no item is selected)
// as the selected tree node shows it.
PopupMenuState lvNodeContent_MouseUp(MainContext& ctx, const std::optional<QString>& listItem);

// Double click on the tree: a group, contact or zone leaf opens its editor.
void tvProjectContent_DblClick(MainContext& ctx);
// Double click on the content list: a contact or zone opens its editor, a group of the groups
// branch its editor; an overview row of the root selects and expands its branch.
void lvNodeContent_DblClick(MainContext& ctx, const std::optional<QString>& listItem);

// The Delete key on the tree: a group or contact leaf is deleted as its pop-up menu's delete
// item does it (with its confirmation).
void tvProjectContent_KeyDelete(MainContext& ctx);
// The Delete key on the content list: a selected row of the groups or contacts branch's table
// is deleted the same way; rows of other views stand for no group or contact.
void lvNodeContent_KeyDelete(MainContext& ctx, const std::optional<QString>& listItem);

// A menu item's caption as a window title (the print preview's): without its access key
// ("(&P)" whole, else the "&" mark) and without a closing ellipsis ("..." or "…").
QString PlainCaption(const QString& caption);
// Several rows selected in the content list (their keys, two or more): contacts of the
// contacts branch or of a group, or zones of the zones branch.
BulkMenuState lvNodeContent_BulkMenu(MainContext& ctx, const QStringList& keys);
// Runs a command on the rows (the group of a group's list is the selected leaf); each is one
// undo step. The Delete key runs Delete when the menu shows it.
void lvNodeContent_Bulk(MainContext& ctx, BulkCommand command, const QStringList& keys);
void lvNodeContent_BulkKeyDelete(MainContext& ctx, const QStringList& keys);
} // namespace PopupMenu
