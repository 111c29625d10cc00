#pragma once
// The register diagnostic window: the device's serial number and COM1 settings, and its
// status registers in hexadecimal, read when the person presses Read. It only reads.
#include "device/DebugRegisters.h"
#include "ml/QtFormDialog.h"

#include <QDialog>

namespace Forms {
class Ui_frmDebug;
}
struct DeviceContext;
class QTreeWidget;

class frmDebug : public QtFormDialog<Forms::Ui_frmDebug> {
    Q_OBJECT
public:
    explicit frmDebug(DeviceContext& ctx, QWidget* parent = nullptr);
    ~frmDebug() override;
    // Asks for the port, reads the identity and lists the rows; run before the window is shown.
    void LoadFormObj();
    QTreeWidget* lvBasicInfo() const;

    // Loads and shows the window modally.
    static bool Run(DeviceContext& ctx, QWidget* parent);

private:
    void cmdRead_Click();
    void ShowForm();
    DeviceContext& m_ctx;
    DebugForm m_form;
};
