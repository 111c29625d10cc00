#pragma once
// The add-contact dialog (frmAddUser): the new contact's name and its first group.
#include "editing/ComboList.h"

#include <QString>

struct EditContext;

struct AddUserForm {
    QString txtAddUserName;
    ComboList cmbUserGroups; // every group, in table order
    QString resultName;      // both empty unless OK was pressed
    QString resultGroup;

    void LoadFormObj(EditContext& ctx, const QString& tmpDefaultUserName);
    void cmdOK_Click();
    void cmdCancel_Click();
};
