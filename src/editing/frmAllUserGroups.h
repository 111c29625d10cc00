#pragma once
// The group picker window: shows AllUserGroupsForm. A click picks an entry (a group the
// contact has is refused with a warning), a double click accepts it.
#include "ml/QtFormDialog.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmAllUserGroups;
}
struct EditContext;
class QTreeWidgetItem;

class frmAllUserGroups : public QtFormDialog<Forms::Ui_frmAllUserGroups> {
    Q_OBJECT
public:
    explicit frmAllUserGroups(EditContext& ctx, QWidget* parent = nullptr);
    ~frmAllUserGroups() override;
    void LoadFormObj();

private:
    void ShowList();
    void lvUserGroups_ItemClick(QTreeWidgetItem* item);
    void lvUserGroups_DblClick(QTreeWidgetItem* item);
    void cmdAddGroup_Click();
    void cmbOK_Click();
    void cmbCancel_Click();
    EditContext& m_ctx;
};
