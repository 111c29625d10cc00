#include "editing/frmEditZoneList.h"

#include "editing/EditContext.h"
#include "editing/QtEditWidgets.h"
#include "ui_frmEditZoneList.h"

frmEditZoneList::frmEditZoneList(EditContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmEditZoneList"), parent), m_ctx(ctx) {
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmEditZoneList::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmEditZoneList::~frmEditZoneList() = default;

void frmEditZoneList::LoadFormObj() {
    const EditZoneListForm& f = m_ctx.forms.editZoneList;
    ui->lblZoneNo->setText(f.lblZoneNo);
    ui->txtZoneName->setText(f.txtZoneName);
    ui->txtZoneDsc->setText(f.txtZoneDsc);
    ui->txtAlarmSMS->setText(f.txtAlarmSMS);
    ui->txtResetSMS->setText(f.txtResetSMS);
    ui->chkIsDisable->setChecked(f.chkIsDisable);
    QtEditWidgets::FillCombo(ui->cmbGroupName, f.cmbGroupName);
    ui->txtZoneName->setFocus();
}

void frmEditZoneList::cmdOK_Click() {
    EditZoneListForm& f = m_ctx.forms.editZoneList;
    f.txtZoneName = ui->txtZoneName->text();
    f.txtZoneDsc = ui->txtZoneDsc->text();
    f.txtAlarmSMS = ui->txtAlarmSMS->text();
    f.txtResetSMS = ui->txtResetSMS->text();
    f.chkIsDisable = ui->chkIsDisable->isChecked();
    f.cmbGroupName.index = ui->cmbGroupName->currentIndex();
    if (f.cmdOK_Click(m_ctx)) {
        accept();
        return;
    }
    QLineEdit* box = f.focusControl == QLatin1String("txtAlarmSMS")   ? ui->txtAlarmSMS
                     : f.focusControl == QLatin1String("txtResetSMS") ? ui->txtResetSMS
                                                                      : nullptr;
    if (box) {
        box->setFocus();
        box->selectAll();
    }
}
