#include "editing/frmAddUserGroup.h"

#include "editing/EditContext.h"
#include "editing/QtEditWidgets.h"
#include "ui_frmAddUserGroup.h"

frmAddUserGroup::frmAddUserGroup(EditContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmAddUserGroup"), parent), m_ctx(ctx) {
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmAddUserGroup::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->cmdAddGroup, &QPushButton::clicked, this, &frmAddUserGroup::cmdAddGroup_Click);
}

frmAddUserGroup::~frmAddUserGroup() = default;

void frmAddUserGroup::LoadFormObj() {
    QtEditWidgets::ShowName(ui->lblUserName, m_ctx.forms.addUserGroup.lblUserName);
    QtEditWidgets::FillCombo(ui->cmbUserGroups, m_ctx.forms.addUserGroup.cmbUserGroups);
}

void frmAddUserGroup::cmdAddGroup_Click() {
    m_ctx.forms.addUserGroup.cmdAddGroup_Click(m_ctx);
    QtEditWidgets::FillCombo(ui->cmbUserGroups, m_ctx.forms.addUserGroup.cmbUserGroups);
}

void frmAddUserGroup::cmdOK_Click() {
    auto& f = m_ctx.forms.addUserGroup;
    f.cmbUserGroups.index = ui->cmbUserGroups->currentIndex();
    // With the placeholder shown nothing changes; the dialog closes either way.
    f.cmdOK_Click(m_ctx);
    accept();
}
