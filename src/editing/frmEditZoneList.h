#pragma once
// The zone editor window: shows EditZoneListForm; OK keeps it open on a message too long.
#include <QDialog>
#include <memory>

namespace Forms { class Ui_frmEditZoneList; }
struct EditContext;

class frmEditZoneList : public QDialog {
    Q_OBJECT
public:
    explicit frmEditZoneList(EditContext& ctx, QWidget* parent = nullptr);
    ~frmEditZoneList() override;
    void LoadFormObj();

private:
    void cmdOK_Click();
    EditContext& m_ctx;
    std::unique_ptr<Forms::Ui_frmEditZoneList> ui;
};
