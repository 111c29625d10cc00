#pragma once
// The main window's Project menu: the state of its items when it opens, and the commands
// behind them (shared with the pop-up menu), plus the openers of the three pop-up-only
// dialogs. frmMain applies the states and calls the commands.
#include <QString>
#include <optional>

struct EditContext;

// One item: its enabled state, and its caption when the rule sets one (an item whose caption
// is not set keeps the one it had).
struct ProjMenuItem {
    bool enabled = false;
    std::optional<QString> caption;
};

struct ProjMenuState {
    ProjMenuItem mnuProjAddGroupList;
    ProjMenuItem mnuProjAddTelList;
    ProjMenuItem mnuProjEditGroupList;
    ProjMenuItem mnuProjEditTelList;
    ProjMenuItem mnuProjEditZoneList;
    ProjMenuItem mnuProjDeleteGroupList;
    ProjMenuItem mnuProjDeleteTelList;
};

namespace ProjMenu {
// The opening rule: nothing without a project; the add items always with one; edit and
// delete for the selected group, contact or zone leaf, named after it. Ends by making the
// selected leaf's row the current row of its table.
ProjMenuState mnuProj_Click(EditContext& ctx);

// The commands, acting on the current rows the opening rule located.
void mnuProjAddGroupList_Click(EditContext& ctx);
void mnuProjAddTelList_Click(EditContext& ctx);
void mnuProjEditGroupList_Click(EditContext& ctx);
void mnuProjEditTelList_Click(EditContext& ctx);
void mnuProjEditZoneList_Click(EditContext& ctx);
void mnuProjDeleteGroupList_Click(EditContext& ctx);
void mnuProjDeleteTelList_Click(EditContext& ctx);

// The pop-up-only commands, on the selected tree node or, on a branch, the selected item of
// the content list (listItem: its text; none when no item is selected). The two that add a
// membership first recount the notification targets and refuse at the model's limit.
// "加入新群組...": a group for a contact.
void mnuProjConentAddGroup_Click(EditContext& ctx, const std::optional<QString>& listItem);
// "加入其它連絡人...": an existing contact for a group.
void mnuProjConentAddUser_Click(EditContext& ctx, const std::optional<QString>& listItem);
// "轉移到其它群組...": a group's contacts to another group.
void mnuProjConentMoveUser_Click(EditContext& ctx, const std::optional<QString>& listItem);
} // namespace ProjMenu
