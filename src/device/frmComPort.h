#pragma once
// The port dialog: the PC serial port the device is on. Its result is true only when OK was
// pressed and the port opened.
#include "device/ComPort.h"

#include "ml/QtFormDialog.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmComPort;
}
struct DeviceContext;
class QComboBox;

class frmComPort : public QtFormDialog<Forms::Ui_frmComPort> {
    Q_OBJECT
public:
    explicit frmComPort(DeviceContext& ctx, QWidget* parent = nullptr);
    ~frmComPort() override;
    // Lists the ports and presets the one in use; run before the dialog is shown.
    void LoadFormObj();
    QComboBox* cmbComPort() const;

    // Loads and shows the dialog modally; true when a port was chosen and opened.
    static bool Run(DeviceContext& ctx, QWidget* parent);

private:
    void CmdOK_Click();
    void cmdExit_Click();
    DeviceContext& m_ctx;
    ComPortChoices m_choices;
};
