#pragma once
// The contact editor window: shows EditTelListForm and hands its buttons to it.
#include "ml/QtFormDialog.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmEditTelList;
}
struct EditContext;

class frmEditTelList : public QtFormDialog<Forms::Ui_frmEditTelList> {
    Q_OBJECT
public:
    explicit frmEditTelList(EditContext& ctx, QWidget* parent = nullptr);
    ~frmEditTelList() override;
    // Shows the loaded form; the telephone box has the focus.
    void LoadFormObj();

private:
    void TakeTexts();
    void ShowGroups();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdTelUserRename_Click();
    void cmdOK_Click();
    EditContext& m_ctx;
};
