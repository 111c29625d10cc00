#pragma once
// The register diagnostic window: the device's serial number and COM1 settings, and its
// status registers in hexadecimal, read when the person presses Read. It only reads.
#include "device/DebugRegisters.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmDebug;
}
struct AppContext;
class QTreeWidget;

class frmDebug : public QDialog {
    Q_OBJECT
public:
    explicit frmDebug(AppContext& ctx, QWidget* parent = nullptr);
    ~frmDebug() override;
    // Asks for the port, reads the identity and lists the rows; run before the window is shown.
    void LoadFormObj();
    QTreeWidget* lvBasicInfo() const;

    // Loads and shows the window modally.
    static bool Run(AppContext& ctx, QWidget* parent);

private:
    void cmdRead_Click();
    void ShowForm();
    AppContext& m_ctx;
    std::unique_ptr<Forms::Ui_frmDebug> ui;
    DebugForm m_form;
};
