#include "editing/frmAddUser.h"

#include "editing/EditContext.h"
#include "editing/QtEditWidgets.h"
#include "editing/ValidUtil.h"
#include "ml/QtFormTexts.h"
#include "ui_frmAddUser.h"

frmAddUser::frmAddUser(EditContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmAddUser"), parent), m_ctx(ctx) {
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmAddUser::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frmAddUser::cmdCancel_Click);
}

frmAddUser::~frmAddUser() = default;

void frmAddUser::LoadFormObj() {
    const AddUserForm& f = m_ctx.forms.addUser;
    QtFormTexts::LimitEntry(ui->txtAddUserName, ValidUtil::kMaxNameLength, m_ctx.ml);
    ui->txtAddUserName->setText(f.txtAddUserName);
    QtEditWidgets::FillCombo(ui->cmbUserGroups, f.cmbUserGroups);
    ui->txtAddUserName->setFocus();
    ui->txtAddUserName->selectAll();
}

void frmAddUser::cmdOK_Click() {
    AddUserForm& f = m_ctx.forms.addUser;
    f.txtAddUserName = ui->txtAddUserName->text();
    f.cmbUserGroups.index = ui->cmbUserGroups->currentIndex();
    f.cmdOK_Click();
    accept();
}

void frmAddUser::cmdCancel_Click() {
    m_ctx.forms.addUser.cmdCancel_Click();
    reject();
}
