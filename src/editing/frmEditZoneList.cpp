#include "editing/frmEditZoneList.h"

#include "editing/EditContext.h"
#include "editing/QtEditWidgets.h"
#include "ui_frmEditZoneList.h"

frmEditZoneList::frmEditZoneList(EditContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmEditZoneList"), parent), m_ctx(ctx) {
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmEditZoneList::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->txtAlarmSMS, &QLineEdit::textChanged, this, [this](const QString& text) {
        ShowMeasure(text, ui->lblAlarmSMSCount, ui->lblAlarmSMSWarn);
    });
    connect(ui->txtResetSMS, &QLineEdit::textChanged, this, [this](const QString& text) {
        ShowMeasure(text, ui->lblResetSMSCount, ui->lblResetSMSWarn);
    });
    for (QLabel* warning : {ui->lblAlarmSMSWarn, ui->lblResetSMSWarn}) {
        QPalette red = warning->palette();
        red.setColor(QPalette::WindowText, Qt::red);
        warning->setPalette(red);
    }
}

void frmEditZoneList::ShowMeasure(const QString& text, QLabel* counter, QLabel* warning) {
    const EditZoneListForm::MessageState m =
        EditZoneListForm::Measure(m_ctx.ml, text, m_ctx.forms.editZoneList.isUnicode);
    counter->setText(m.counter);
    QPalette p = palette();
    if (m.over) p.setColor(QPalette::WindowText, Qt::red);
    counter->setPalette(p);
    warning->setText(m.warning);
    warning->setVisible(!m.warning.isEmpty());
}

frmEditZoneList::~frmEditZoneList() = default;

void frmEditZoneList::LoadFormObj() {
    const EditZoneListForm& f = m_ctx.forms.editZoneList;
    ui->lblZoneNo->setText(f.lblZoneNo);
    ui->txtZoneName->setText(f.txtZoneName);
    ui->txtZoneDsc->setText(f.txtZoneDsc);
    ui->txtAlarmSMS->setText(f.txtAlarmSMS);
    ui->txtResetSMS->setText(f.txtResetSMS);
    ShowMeasure(f.txtAlarmSMS, ui->lblAlarmSMSCount, ui->lblAlarmSMSWarn);
    ShowMeasure(f.txtResetSMS, ui->lblResetSMSCount, ui->lblResetSMSWarn);
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
    QLineEdit* box = f.focusControl.isEmpty() ? nullptr : findChild<QLineEdit*>(f.focusControl);
    if (box) {
        box->setFocus();
        box->selectAll();
    }
}
