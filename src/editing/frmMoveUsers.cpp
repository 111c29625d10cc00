#include "editing/frmMoveUsers.h"

#include "editing/EditContext.h"
#include "editing/QtEditWidgets.h"
#include "ui_frmMoveUsers.h"

frmMoveUsers::frmMoveUsers(EditContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmMoveUsers"), parent), m_ctx(ctx) {
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmMoveUsers::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmMoveUsers::~frmMoveUsers() = default;

void frmMoveUsers::LoadFormObj() {
    QtEditWidgets::ShowName(ui->lblGroupName, m_ctx.forms.moveUsers.lblGroupName);
    ui->Label1->setText(m_ctx.forms.moveUsers.Label1);
    QtEditWidgets::FillCombo(ui->cmbMoveGroup, m_ctx.forms.moveUsers.cmbMoveGroup);
}

void frmMoveUsers::cmdOK_Click() {
    auto& f = m_ctx.forms.moveUsers;
    f.cmbMoveGroup.index = ui->cmbMoveGroup->currentIndex();
    // With the placeholder shown nothing changes; the dialog closes either way.
    f.cmdOK_Click(m_ctx);
    accept();
}
