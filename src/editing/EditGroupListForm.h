#pragma once
// The group editor (frmEditGroupList): one group's name and description. The new name is
// asked for and validated by the rename button; nothing is written before OK.
#include <QString>

struct EditContext;

struct EditGroupListForm {
    QString lblGroupName; // the name shown, the new one after a rename
    QString txtGroupDsc;
    QString oldName;              // the name at load
    bool cmdRenameEnabled = true; // off right after the group was added

    // Loads the current UserGroups row; false when there is none.
    bool LoadFormObj(EditContext& ctx, bool tmpIsAddMode);
    bool CheckFormObj() const { return true; }
    // Renames (with its cascade) and stores the description.
    bool SaveFormObj(EditContext& ctx);
    // Asks for a new name; a valid one different from the shown name is shown.
    void cmdRename_Click(EditContext& ctx);
    // True when the dialog closes (the change was stored).
    bool cmdOK_Click(EditContext& ctx);
};
