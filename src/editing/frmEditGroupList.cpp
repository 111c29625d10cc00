#include "editing/frmEditGroupList.h"

#include "editing/EditContext.h"
#include "editing/QtEditWidgets.h"
#include "ui_frmEditGroupList.h"

frmEditGroupList::frmEditGroupList(EditContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmEditGroupList"), parent), m_ctx(ctx) {
    connect(ui->cmdRename, &QPushButton::clicked, this, &frmEditGroupList::cmdRename_Click);
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmEditGroupList::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmEditGroupList::~frmEditGroupList() = default;

void frmEditGroupList::LoadFormObj() {
    const EditGroupListForm& f = m_ctx.forms.editGroupList;
    QtEditWidgets::ShowName(ui->lblGroupName, f.lblGroupName);
    QtEditWidgets::ShowDescription(ui->txtGroupDsc, f.txtGroupDsc, m_ctx.ml);
    ui->cmdRename->setEnabled(f.cmdRenameEnabled);
    ui->txtGroupDsc->setFocus();
}

void frmEditGroupList::cmdRename_Click() {
    EditGroupListForm& f = m_ctx.forms.editGroupList;
    f.cmdRename_Click(m_ctx);
    QtEditWidgets::ShowName(ui->lblGroupName, f.lblGroupName);
}

void frmEditGroupList::cmdOK_Click() {
    EditGroupListForm& f = m_ctx.forms.editGroupList;
    f.txtGroupDsc = ui->txtGroupDsc->text();
    if (f.cmdOK_Click(m_ctx)) accept();
}
