#include "editing/AddUserForm.h"

#include "editing/EditContext.h"

void AddUserForm::LoadFormObj(EditContext& ctx, const QString& tmpDefaultUserName) {
    resultName.clear();
    resultGroup.clear();
    txtAddUserName = tmpDefaultUserName;
    cmbUserGroups.FillGroups(ctx.project, [](const QString&) { return false; });
}

void AddUserForm::cmdOK_Click() {
    resultName = txtAddUserName;
    resultGroup = cmbUserGroups.SelectedName();
}

void AddUserForm::cmdCancel_Click() {
    resultName.clear();
    resultGroup.clear();
}
