#pragma once
// The move dialog (frmMoveUsers): every contact of one group goes to another group.
#include "editing/ComboList.h"

#include <QString>

struct EditContext;

struct MoveUsersForm {
    QString groupName;      // the group whose contacts move
    QString lblGroupName;   // "目前群組名稱:" + the group
    ComboList cmbMoveGroup; // the other groups, or the placeholder "無其它群組"
    int memberCount = 0;    // contacts of the group (letter case ignored): all of them move
    QString Label1;         // "Move all n members of [group] to:"

    void LoadFormObj(EditContext& ctx, const QString& tmpGroupName);
    // Moves the contacts (nothing with the placeholder). True when moved.
    bool cmdOK_Click(EditContext& ctx);
};
