#pragma once
// The device settings dialog's logic: what it shows, the slave ID box rules, which changes
// it accepts and how it writes them. The window frmCommSetting only mirrors this state.
#include "device/KORVACommUtil.h"

#include <QString>
#include <QStringList>

struct DeviceContext;

struct CommSettingForm {
    QString lblModelName;
    QString lblSN;
    QStringList cmbPortBaudItems;
    QString cmbPortBaud; // the combo's text (it also takes typed text)
    QStringList cmbParityBitItems;
    QString cmbParityBit;
    QString txtSlaveID;
    // What the dialog showed when it loaded, for change detection.
    QString loadedBaud;
    QString loadedParity;
    QString loadedSlaveID;
    DeviceInfo device; // as read from the device
};

namespace CommSetting {
// Reads the device (opening the port first if it is closed) and fills the form. False after
// its message when the device could not be read; the dialog is then not shown.
bool LoadFormObj(DeviceContext& ctx, CommSettingForm& form);
// True only when something changed and every value is valid; a refused value shows its
// message.
bool CheckFormObj(DeviceContext& ctx, const CommSettingForm& form);
// Writes the form to the device and reports the outcome.
bool SaveFormObj(DeviceContext& ctx, const CommSettingForm& form);

enum class OkAction { Close, StayOpen, CloseAndSave };
// The OK button: the check, then the question whether to store the change.
OkAction OkPressed(DeviceContext& ctx, const CommSettingForm& form);

// The slave ID box takes the digits 0 to 9 only (Backspace neither).
bool SlaveIDKeyAccepted(QChar key);
// The box's text after a change: below 1 (empty included) "1", above 255 "255", otherwise
// unchanged.
QString ClampSlaveID(const QString& text);
} // namespace CommSetting
