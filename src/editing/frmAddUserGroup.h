#pragma once
// The add-group-to-contact window: shows AddUserGroupForm.
#include <QDialog>
#include <memory>

namespace Forms { class Ui_frmAddUserGroup; }
struct AppContext;

class frmAddUserGroup : public QDialog {
    Q_OBJECT
public:
    explicit frmAddUserGroup(AppContext& ctx, QWidget* parent = nullptr);
    ~frmAddUserGroup() override;
    void LoadFormObj();

private:
    void cmdOK_Click();
    void cmdAddGroup_Click();
    AppContext& m_ctx;
    std::unique_ptr<Forms::Ui_frmAddUserGroup> ui;
};
