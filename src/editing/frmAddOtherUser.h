#pragma once
// The add-existing-contact window: shows AddOtherUserForm.
#include "ml/QtFormDialog.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmAddOtherUser;
}
struct EditContext;

class frmAddOtherUser : public QtFormDialog<Forms::Ui_frmAddOtherUser> {
    Q_OBJECT
public:
    explicit frmAddOtherUser(EditContext& ctx, QWidget* parent = nullptr);
    ~frmAddOtherUser() override;
    void LoadFormObj();

private:
    void cmdOK_Click();

    EditContext& m_ctx;
};
