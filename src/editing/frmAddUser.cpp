#include "editing/frmAddUser.h"

#include "editing/EditContext.h"
#include "ml/QtFormTexts.h"
#include "editing/QtEditWidgets.h"
#include "ui_frmAddUser.h"

frmAddUser::frmAddUser(EditContext& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), ui(std::make_unique<Forms::Ui_frmAddUser>()) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    QtFormTexts::Apply(this, ctx.ml, QStringLiteral("frmAddUser"));
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmAddUser::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frmAddUser::cmdCancel_Click);
}

frmAddUser::~frmAddUser() = default;

void frmAddUser::LoadFormObj() {
    const AddUserForm& f = m_ctx.forms.addUser;
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
