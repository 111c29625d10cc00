#include "editing/frmAddOtherUser.h"

#include "editing/EditContext.h"
#include "editing/QtEditWidgets.h"
#include "ui_frmAddOtherUser.h"

frmAddOtherUser::frmAddOtherUser(EditContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmAddOtherUser"), parent), m_ctx(ctx) {
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmAddOtherUser::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmAddOtherUser::~frmAddOtherUser() = default;

void frmAddOtherUser::LoadFormObj() {
    QtEditWidgets::ShowName(ui->lblGroupName, m_ctx.forms.addOtherUser.lblGroupName);
    QtEditWidgets::FillCombo(ui->cmbAddUser, m_ctx.forms.addOtherUser.cmbAddUser);
}

void frmAddOtherUser::cmdOK_Click() {
    auto& f = m_ctx.forms.addOtherUser;
    f.cmbAddUser.index = ui->cmbAddUser->currentIndex();
    // With the placeholder shown nothing changes; the dialog closes either way.
    f.cmdOK_Click(m_ctx);
    accept();
}
