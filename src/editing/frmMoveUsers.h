#pragma once
// The move-contacts window: shows MoveUsersForm.
#include "ml/QtFormDialog.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmMoveUsers;
}
struct EditContext;

class frmMoveUsers : public QtFormDialog<Forms::Ui_frmMoveUsers> {
    Q_OBJECT
public:
    explicit frmMoveUsers(EditContext& ctx, QWidget* parent = nullptr);
    ~frmMoveUsers() override;
    void LoadFormObj();

private:
    void cmdOK_Click();

    EditContext& m_ctx;
};
