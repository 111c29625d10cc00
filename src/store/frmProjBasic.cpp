#include "store/frmProjBasic.h"

#include "ml/QtDialogFocus.h"
#include "ml/QtFormTexts.h"
#include "store/ProjBasic.h"
#include "store/StoreContext.h"
#include "ui_frmProjBasic.h"

frmProjBasic::frmProjBasic(StoreContext& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), ui(std::make_unique<Forms::Ui::frmProjBasic>()) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    QtFormTexts::Apply(this, ctx.ml, QStringLiteral("frmProjBasic"));
    connect(ui->CmdOK, &QPushButton::clicked, this, &frmProjBasic::CmdOK_Click);
    connect(ui->CmdCancel, &QPushButton::clicked, this, &frmProjBasic::CmdCancel_Click);
}

frmProjBasic::~frmProjBasic() = default;

void frmProjBasic::LoadFormObj() {
    const ProjBasicFields f = ProjBasic::LoadFormObj(m_ctx);
    ui->lblCreatedDate->setText(f.createdDate);
    ui->lblModifiedDate->setText(f.modifiedDate);
    ui->txtPorjName->setText(f.createdBy);
    ui->txtProjDsc->setText(f.projectDsc);
    ui->chkIsUnicode->setChecked(f.isUnicode);
}

static ProjBasicFields FieldsOf(const Forms::Ui::frmProjBasic& ui) {
    ProjBasicFields f;
    f.createdBy = ui.txtPorjName->text();
    f.projectDsc = ui.txtProjDsc->text();
    f.isUnicode = ui.chkIsUnicode->isChecked();
    return f;
}

bool frmProjBasic::CheckFormObj() {
    ProjBasicFields f = FieldsOf(*ui);
    if (ProjBasic::CheckFormObj(m_ctx, f)) return true;
    ui->chkIsUnicode->setChecked(f.isUnicode);
    return false;
}

bool frmProjBasic::SaveFormObj() {
    return ProjBasic::SaveFormObj(m_ctx, FieldsOf(*ui));
}

void frmProjBasic::showEvent(QShowEvent* event) {
    QtDialogFocus::FocusFirstField(this);
    QDialog::showEvent(event);
}

void frmProjBasic::CmdOK_Click() {
    if (!CheckFormObj()) return;
    if (SaveFormObj()) accept();
}

void frmProjBasic::CmdCancel_Click() {
    reject();
}
