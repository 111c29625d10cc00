#pragma once
// The import preview: one line per row of the file with its verdict, the choice to create
// groups that do not exist, and OK to write the accepted rows. Shows CsvImportForm.
#include "ml/QtFormDialog.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmCsvImport;
}
struct EditContext;

class frmCsvImport : public QtFormDialog<Forms::Ui_frmCsvImport> {
    Q_OBJECT
public:
    explicit frmCsvImport(EditContext& ctx, QWidget* parent = nullptr);
    ~frmCsvImport() override;
    void LoadFormObj();

private:
    void ShowPlan();

    EditContext& m_ctx;
};
