#pragma once
// The add-existing-contact dialog (frmAddOtherUser): a contact not yet in one group joins it.
#include "editing/ComboList.h"

#include <QString>

struct EditContext;

struct AddOtherUserForm {
    QString groupName;    // the group the contact joins
    QString lblGroupName; // "目前群組名稱:" + the group
    ComboList cmbAddUser; // contacts not in the group, or the placeholder "無其它連絡人"

    void LoadFormObj(EditContext& ctx, const QString& tmpGroupName);
    // Adds the chosen contact to the group (nothing with the placeholder). True when added.
    bool cmdOK_Click(EditContext& ctx);
};
