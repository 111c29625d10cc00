#include "editing/frmPickGroup.h"

#include "editing/EditContext.h"
#include "editing/QtEditWidgets.h"
#include "ui_frmPickGroup.h"

frmPickGroup::frmPickGroup(EditContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmPickGroup"), parent), m_ctx(ctx) {
    connect(ui->cmdOK, &QPushButton::clicked, this, [this] {
        m_ctx.forms.pickGroup.cmbGroup.index = ui->cmbGroup->currentIndex();
        accept();
    });
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmPickGroup::~frmPickGroup() = default;

void frmPickGroup::LoadFormObj() {
    const PickGroupForm& f = m_ctx.forms.pickGroup;
    setWindowTitle(f.caption);
    ui->Label1->setText(f.Label1);
    QtEditWidgets::FillCombo(ui->cmbGroup, f.cmbGroup);
    ui->cmbGroup->setFocus();
}
