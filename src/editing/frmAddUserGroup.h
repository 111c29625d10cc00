#pragma once
// The add-group-to-contact window: shows AddUserGroupForm.
#include "ml/QtFormDialog.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmAddUserGroup;
}
struct EditContext;

class frmAddUserGroup : public QtFormDialog<Forms::Ui_frmAddUserGroup> {
    Q_OBJECT
public:
    explicit frmAddUserGroup(EditContext& ctx, QWidget* parent = nullptr);
    ~frmAddUserGroup() override;
    void LoadFormObj();

private:
    void cmdOK_Click();
    void cmdAddGroup_Click();
    EditContext& m_ctx;
};
