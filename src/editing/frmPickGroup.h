#pragma once
// The group picker of the commands on several rows: shows PickGroupForm.
#include "ml/QtFormDialog.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmPickGroup;
}
struct EditContext;

class frmPickGroup : public QtFormDialog<Forms::Ui_frmPickGroup> {
    Q_OBJECT
public:
    explicit frmPickGroup(EditContext& ctx, QWidget* parent = nullptr);
    ~frmPickGroup() override;
    void LoadFormObj();

private:
    EditContext& m_ctx;
};
