#pragma once
// The add-contact window: shows AddUserForm.
#include "ml/QtFormDialog.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmAddUser;
}
struct EditContext;

class frmAddUser : public QtFormDialog<Forms::Ui_frmAddUser> {
    Q_OBJECT
public:
    explicit frmAddUser(EditContext& ctx, QWidget* parent = nullptr);
    ~frmAddUser() override;
    void LoadFormObj();

private:
    void cmdOK_Click();
    void cmdCancel_Click();
    EditContext& m_ctx;
};
