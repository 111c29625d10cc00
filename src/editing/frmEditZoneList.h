#pragma once
// The zone editor window: shows EditZoneListForm; OK keeps it open on a message too long.
#include "ml/QtFormDialog.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmEditZoneList;
}
struct EditContext;

class frmEditZoneList : public QtFormDialog<Forms::Ui_frmEditZoneList> {
    Q_OBJECT
public:
    explicit frmEditZoneList(EditContext& ctx, QWidget* parent = nullptr);
    ~frmEditZoneList() override;
    void LoadFormObj();

private:
    void cmdOK_Click();
    EditContext& m_ctx;
};
