#include "device/frmComPort.h"

#include "device/DeviceContext.h"
#include "ui_frmComPort.h"

frmComPort::frmComPort(DeviceContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmComPort"), parent), m_ctx(ctx) {
    connect(ui->CmdOK, &QPushButton::clicked, this, &frmComPort::CmdOK_Click);
    connect(ui->cmdExit, &QPushButton::clicked, this, &frmComPort::cmdExit_Click);
}

frmComPort::~frmComPort() = default;

QComboBox* frmComPort::cmbComPort() const {
    return ui->cmbComPort;
}

void frmComPort::LoadFormObj() {
    m_choices = ComPort::LoadFormObj(m_ctx);
    ui->cmbComPort->clear();
    ui->cmbComPort->setEditable(m_choices.editable);
    ui->cmbComPort->addItems(m_choices.items);
    for (int i = 0; i < m_choices.items.size(); ++i)
        ui->cmbComPort->setItemData(i, m_choices.ports[i], Qt::ToolTipRole);
    const int at = ui->cmbComPort->findText(m_choices.current);
    if (at >= 0)
        ui->cmbComPort->setCurrentIndex(at);
    else if (m_choices.editable)
        ui->cmbComPort->setEditText(m_choices.current);
}

void frmComPort::CmdOK_Click() {
    const bool opened = ComPort::OkPressed(m_ctx, m_choices, ui->cmbComPort->currentText());
    done(opened ? QDialog::Accepted : QDialog::Rejected);
}

void frmComPort::cmdExit_Click() {
    reject();
}

bool frmComPort::Run(DeviceContext& ctx, QWidget* parent) {
    frmComPort dialog(ctx, parent);
    dialog.LoadFormObj();
    return dialog.exec() == QDialog::Accepted;
}
