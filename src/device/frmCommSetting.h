#pragma once
// The device settings dialog: the device's model, serial number, slave ID and COM1 baud rate
// and parity, read when it loads and written on OK after a confirmation.
#include "device/CommSetting.h"

#include "ml/QtFormDialog.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmCommSetting;
}
struct DeviceContext;
class QComboBox;
class QLabel;
class QLineEdit;

class frmCommSetting : public QtFormDialog<Forms::Ui_frmCommSetting> {
    Q_OBJECT
public:
    explicit frmCommSetting(DeviceContext& ctx, QWidget* parent = nullptr);
    ~frmCommSetting() override;

    // Reads the device and fills the dialog; false (after its message) when it could not.
    bool LoadFormObj();
    bool CheckFormObj();
    bool SaveFormObj();

    QLineEdit* txtSlaveID() const;
    QComboBox* cmbPortBaud() const;
    QComboBox* cmbParityBit() const;
    QLabel* lblModelName() const;
    QLabel* lblSN() const;

    // Loads the dialog and shows it modally only when loading succeeded; true when the
    // settings were written.
    static bool Run(DeviceContext& ctx, QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TakeControls();
    void txtSlaveID_Change();
    void CmdOK_Click();
    void cmdExit_Click();

    DeviceContext& m_ctx;
    CommSettingForm m_form;
    bool m_saved = false;
};
