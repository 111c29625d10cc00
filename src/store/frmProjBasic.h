#pragma once
// The project basic-information dialog: creator, description, Unicode messages, and the
// creation and modification dates of the open project.
#include <QDialog>
#include <memory>

namespace Forms::Ui {
class frmProjBasic;
}
struct StoreContext;

class frmProjBasic : public QDialog {
    Q_OBJECT
public:
    // Loading the window applies its texts.
    explicit frmProjBasic(StoreContext& ctx, QWidget* parent = nullptr);
    ~frmProjBasic() override;
    // Fills the controls from the Basic row; run before the dialog is shown.
    void LoadFormObj();
    bool CheckFormObj();
    bool SaveFormObj();

protected:
    // Opens with the focus in its first field, not on its tab.
    void showEvent(QShowEvent* event) override;

private:
    void CmdOK_Click();
    void CmdCancel_Click();
    StoreContext& m_ctx;
    std::unique_ptr<Forms::Ui::frmProjBasic> ui;
};
