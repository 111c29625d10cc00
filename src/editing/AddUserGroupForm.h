#pragma once
// The add-group-to-contact dialog (frmAddUserGroup): a group the contact is not in yet.
#include "editing/ComboList.h"

#include <QString>

struct EditContext;

struct AddUserGroupForm {
    QString lblUserName;     // the contact
    ComboList cmbUserGroups; // the groups the contact is not in, or the placeholder "無"

    void LoadFormObj(EditContext& ctx, const QString& tmpUserName);
    // A new group for the project, offered at once.
    void cmdAddGroup_Click(EditContext& ctx);
    // Adds the chosen group to the contact (nothing with the placeholder). True when added.
    bool cmdOK_Click(EditContext& ctx);
};
