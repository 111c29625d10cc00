#include "device/frmCommSetting.h"

#include "device/DeviceContext.h"
#include "ui_frmCommSetting.h"

#include <QKeyEvent>
#include <QSignalBlocker>

frmCommSetting::frmCommSetting(DeviceContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmCommSetting"), parent), m_ctx(ctx) {
    ui->txtSlaveID->installEventFilter(this);
    connect(ui->txtSlaveID, &QLineEdit::textChanged, this, &frmCommSetting::txtSlaveID_Change);
    connect(ui->CmdOK, &QPushButton::clicked, this, &frmCommSetting::CmdOK_Click);
    connect(ui->cmdExit, &QPushButton::clicked, this, &frmCommSetting::cmdExit_Click);
}

frmCommSetting::~frmCommSetting() = default;

QLineEdit* frmCommSetting::txtSlaveID() const {
    return ui->txtSlaveID;
}
QComboBox* frmCommSetting::cmbPortBaud() const {
    return ui->cmbPortBaud;
}
QComboBox* frmCommSetting::cmbParityBit() const {
    return ui->cmbParityBit;
}
QLabel* frmCommSetting::lblModelName() const {
    return ui->lblModelName;
}
QLabel* frmCommSetting::lblSN() const {
    return ui->lblSN;
}

bool frmCommSetting::LoadFormObj() {
    ui->cmbPortBaud->clear();
    ui->cmbParityBit->clear();
    ui->lblModelName->clear();
    ui->lblSN->clear();
    m_saved = false;
    if (!CommSetting::LoadFormObj(m_ctx, m_form)) return false;
    const QSignalBlocker block(ui->txtSlaveID);
    ui->lblModelName->setText(m_form.lblModelName);
    ui->lblSN->setText(m_form.lblSN);
    ui->cmbPortBaud->addItems(m_form.cmbPortBaudItems);
    ui->cmbParityBit->addItems(m_form.cmbParityBitItems);
    ui->cmbParityBit->setCurrentIndex(ui->cmbParityBit->findText(m_form.cmbParityBit));
    const int baud = ui->cmbPortBaud->findText(m_form.cmbPortBaud);
    if (baud >= 0) ui->cmbPortBaud->setCurrentIndex(baud);
    ui->cmbPortBaud->setEditText(m_form.cmbPortBaud);
    ui->txtSlaveID->setText(m_form.txtSlaveID);
    return true;
}

void frmCommSetting::TakeControls() {
    m_form.cmbPortBaud = ui->cmbPortBaud->currentText();
    m_form.cmbParityBit = ui->cmbParityBit->currentText();
    m_form.txtSlaveID = ui->txtSlaveID->text();
}

bool frmCommSetting::CheckFormObj() {
    TakeControls();
    return CommSetting::CheckFormObj(m_ctx, m_form);
}

bool frmCommSetting::SaveFormObj() {
    TakeControls();
    m_saved = CommSetting::SaveFormObj(m_ctx, m_form);
    return m_saved;
}

bool frmCommSetting::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->txtSlaveID && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Only the digits reach the box; Backspace is dropped too. Keys without a character
        // (arrows, Delete, Home, End) move and delete as usual.
        if (key->key() == Qt::Key_Backspace || key->matches(QKeySequence::Paste)) return true;
        switch (key->key()) {
        case Qt::Key_Delete:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return false;
        default:
            break;
        }
        if (key->modifiers() & Qt::ControlModifier) return false; // select all, copy, undo
        const QString text = key->text();
        if (!text.isEmpty() && !CommSetting::SlaveIDKeyAccepted(text.front())) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmCommSetting::txtSlaveID_Change() {
    const QString now = ui->txtSlaveID->text();
    const QString clamped = CommSetting::ClampSlaveID(now);
    if (clamped != now) ui->txtSlaveID->setText(clamped);
}

void frmCommSetting::CmdOK_Click() {
    TakeControls();
    switch (CommSetting::OkPressed(m_ctx, m_form)) {
    case CommSetting::OkAction::StayOpen:
        return;
    case CommSetting::OkAction::Close:
        reject();
        return;
    case CommSetting::OkAction::CloseAndSave:
        accept();
        SaveFormObj();
        return;
    }
}

void frmCommSetting::cmdExit_Click() {
    reject();
}

bool frmCommSetting::Run(DeviceContext& ctx, QWidget* parent) {
    frmCommSetting dialog(ctx, parent);
    if (!dialog.LoadFormObj()) return false;
    dialog.exec();
    return dialog.m_saved;
}
