#pragma once
// The group editor window: shows EditGroupListForm and hands its buttons to it.
#include "ml/QtFormDialog.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmEditGroupList;
}
struct EditContext;

class frmEditGroupList : public QtFormDialog<Forms::Ui_frmEditGroupList> {
    Q_OBJECT
public:
    explicit frmEditGroupList(EditContext& ctx, QWidget* parent = nullptr);
    ~frmEditGroupList() override;
    // Shows the loaded form.
    void LoadFormObj();

private:
    void cmdRename_Click();
    void cmdOK_Click();
    EditContext& m_ctx;
};
