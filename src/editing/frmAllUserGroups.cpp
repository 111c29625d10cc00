#include "editing/frmAllUserGroups.h"

#include "editing/EditContext.h"
#include "editing/QtEditWidgets.h"
#include "ui_frmAllUserGroups.h"

frmAllUserGroups::frmAllUserGroups(EditContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmAllUserGroups"), parent), m_ctx(ctx) {
    QtEditWidgets::SetGroupColumns(ui->lvUserGroups, ctx.ml);
    connect(ui->lvUserGroups, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item, int) { lvUserGroups_ItemClick(item); });
    connect(ui->lvUserGroups, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int) { lvUserGroups_DblClick(item); });
    connect(ui->cmdAddGroup, &QPushButton::clicked, this, &frmAllUserGroups::cmdAddGroup_Click);
    connect(ui->cmbOK, &QPushButton::clicked, this, &frmAllUserGroups::cmbOK_Click);
    connect(ui->cmbCancel, &QPushButton::clicked, this, &frmAllUserGroups::cmbCancel_Click);
}

frmAllUserGroups::~frmAllUserGroups() = default;

void frmAllUserGroups::LoadFormObj() {
    ShowList();
}

void frmAllUserGroups::ShowList() {
    const AllUserGroupsForm& f = m_ctx.forms.allUserGroups;
    QtEditWidgets::FillGroupList(ui->lvUserGroups, f.lvUserGroups, f.selected);
}

void frmAllUserGroups::lvUserGroups_ItemClick(QTreeWidgetItem* item) {
    m_ctx.forms.allUserGroups.lvUserGroups_ItemClick(m_ctx,
                                                     ui->lvUserGroups->indexOfTopLevelItem(item));
}

void frmAllUserGroups::lvUserGroups_DblClick(QTreeWidgetItem* item) {
    if (m_ctx.forms.allUserGroups.lvUserGroups_DblClick(
            m_ctx, ui->lvUserGroups->indexOfTopLevelItem(item)))
        accept();
}

void frmAllUserGroups::cmdAddGroup_Click() {
    m_ctx.forms.allUserGroups.cmdAddGroup_Click(m_ctx);
    ShowList();
}

void frmAllUserGroups::cmbOK_Click() {
    AllUserGroupsForm& f = m_ctx.forms.allUserGroups;
    f.selected = QtEditWidgets::CurrentRow(ui->lvUserGroups);
    if (f.cmbOK_Click()) accept();
}

void frmAllUserGroups::cmbCancel_Click() {
    m_ctx.forms.allUserGroups.cmbCancel_Click();
    reject();
}
