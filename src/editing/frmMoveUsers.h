#pragma once
// The move-contacts window: shows MoveUsersForm.
#include <QDialog>
#include <memory>

namespace Forms { class Ui_frmMoveUsers; }
struct EditContext;

class frmMoveUsers : public QDialog {
    Q_OBJECT
public:
    explicit frmMoveUsers(EditContext& ctx, QWidget* parent = nullptr);
    ~frmMoveUsers() override;
    void LoadFormObj();

private:
    void cmdOK_Click();

    EditContext& m_ctx;
    std::unique_ptr<Forms::Ui_frmMoveUsers> ui;
};
