#include "editing/frmEditTelList.h"

#include "editing/EditContext.h"
#include "editing/QtEditWidgets.h"
#include "ui_frmEditTelList.h"

frmEditTelList::frmEditTelList(EditContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmEditTelList"), parent), m_ctx(ctx) {
    QtEditWidgets::SetGroupColumns(ui->lvGroupName, ctx.ml);
    connect(ui->cmdAdd, &QPushButton::clicked, this, &frmEditTelList::cmdAdd_Click);
    connect(ui->cmdDelete, &QPushButton::clicked, this, &frmEditTelList::cmdDelete_Click);
    connect(ui->cmdTelUserRename, &QPushButton::clicked, this,
            &frmEditTelList::cmdTelUserRename_Click);
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmEditTelList::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmEditTelList::~frmEditTelList() = default;

void frmEditTelList::LoadFormObj() {
    const EditTelListForm& f = m_ctx.forms.editTelList;
    QtEditWidgets::ShowName(ui->lblTelUser, f.lblTelUser);
    ui->txtTelNo->setText(f.txtTelNo);
    QtEditWidgets::ShowDescription(ui->txtTelDsc, f.txtTelDsc, m_ctx.ml);
    ui->chkIsDisable->setChecked(f.chkIsDisable);
    ShowGroups();
    ui->txtTelNo->setFocus();
}

void frmEditTelList::TakeTexts() {
    EditTelListForm& f = m_ctx.forms.editTelList;
    f.txtTelNo = ui->txtTelNo->text();
    f.txtTelDsc = ui->txtTelDsc->text();
    f.chkIsDisable = ui->chkIsDisable->isChecked();
    f.selected = QtEditWidgets::CurrentRow(ui->lvGroupName);
}

void frmEditTelList::ShowGroups() {
    const EditTelListForm& f = m_ctx.forms.editTelList;
    QtEditWidgets::FillGroupList(ui->lvGroupName, f.lvGroupName, f.selected);
    ui->cmdDelete->setEnabled(f.cmdDeleteEnabled);
}

void frmEditTelList::cmdAdd_Click() {
    TakeTexts();
    m_ctx.forms.editTelList.cmdAdd_Click(m_ctx);
    ShowGroups();
}

void frmEditTelList::cmdDelete_Click() {
    TakeTexts();
    m_ctx.forms.editTelList.cmdDelete_Click();
    ShowGroups();
}

void frmEditTelList::cmdTelUserRename_Click() {
    EditTelListForm& f = m_ctx.forms.editTelList;
    f.cmdTelUserRename_Click(m_ctx);
    QtEditWidgets::ShowName(ui->lblTelUser, f.lblTelUser);
}

void frmEditTelList::cmdOK_Click() {
    TakeTexts();
    EditTelListForm& f = m_ctx.forms.editTelList;
    if (f.cmdOK_Click(m_ctx)) {
        accept();
        return;
    }
    if (auto* box = f.focusControl.isEmpty() ? nullptr : findChild<QLineEdit*>(f.focusControl)) {
        box->setFocus();
        box->selectAll();
    }
}
