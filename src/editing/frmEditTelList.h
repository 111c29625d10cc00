#pragma once
// The contact editor window: shows EditTelListForm and hands its buttons to it.
#include <QDialog>
#include <memory>

namespace Forms { class Ui_frmEditTelList; }
struct EditContext;

class frmEditTelList : public QDialog {
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
    std::unique_ptr<Forms::Ui_frmEditTelList> ui;
};
