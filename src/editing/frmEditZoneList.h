#pragma once
// The zone editor window: shows EditZoneListForm; OK keeps it open on a message too long.
// Under each message a counter in the project's rule (red past the limit) and the characters
// the device cannot send.
#include "ml/QtFormDialog.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmEditZoneList;
}
struct EditContext;
class QLabel;

class frmEditZoneList : public QtFormDialog<Forms::Ui_frmEditZoneList> {
    Q_OBJECT
public:
    explicit frmEditZoneList(EditContext& ctx, QWidget* parent = nullptr);
    ~frmEditZoneList() override;
    void LoadFormObj();

private:
    void cmdOK_Click();
    void ShowMeasure(const QString& text, QLabel* counter, QLabel* warning);
    EditContext& m_ctx;
};
