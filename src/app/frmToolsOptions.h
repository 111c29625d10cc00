#pragma once
// The options dialog: the serial time-out and retry count, stored in the settings file.
#include "ml/QtFormDialog.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmToolsOptions;
}
struct AppContext;
class frmMain;

class frmToolsOptions : public QtFormDialog<Forms::Ui_frmToolsOptions> {
    Q_OBJECT
public:
    explicit frmToolsOptions(AppContext& ctx, QWidget* parent = nullptr);
    ~frmToolsOptions() override;
    // Makes the main window's Tools > Options show this dialog (created on first use).
    static void Register(frmMain& main, AppContext& ctx);
    // Shows the values in use; run before the dialog is shown.
    void LoadFormObj();

private:
    bool CheckFormObj();
    bool SaveFormObj();
    void CmdOK_Click();
    void cmdExit_Click();
    void cmdSetDefault_Click();
    AppContext& m_ctx;
};
