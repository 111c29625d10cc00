#pragma once
// The add-group-to-contact window: shows AddUserGroupForm.
#include <QDialog>
#include <memory>

namespace Forms { class Ui_frmAddUserGroup; }
struct EditContext;

class frmAddUserGroup : public QDialog {
    Q_OBJECT
public:
    explicit frmAddUserGroup(EditContext& ctx, QWidget* parent = nullptr);
    ~frmAddUserGroup() override;
    void LoadFormObj();

private:
    void cmdOK_Click();
    void cmdAddGroup_Click();
    EditContext& m_ctx;
    std::unique_ptr<Forms::Ui_frmAddUserGroup> ui;
};
