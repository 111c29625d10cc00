#pragma once
// The common start of a frm* dialog: its form built from the .ui file, no help button in the
// title bar, the window's texts from the text database under its form name, and the focus in
// its first field when it is shown. A window
// derives from QtFormDialog<Forms::Ui_frmX> and includes ui_frmX.h in its .cpp, where its
// constructor and destructor are defined.
#include "ml/QtDialogFocus.h"
#include "ml/QtFormTexts.h"

#include <QDialog>
#include <memory>

struct MLState;

template <typename Form> class QtFormDialog : public QDialog {
protected:
    QtFormDialog(const MLState& ml, const QString& formName, QWidget* parent)
        : QDialog(parent), ui(std::make_unique<Form>()) {
        ui->setupUi(this);
        setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        QtFormTexts::Apply(this, ml, formName);
    }
    ~QtFormDialog() override = default;
    void showEvent(QShowEvent* event) override {
        QtDialogFocus::FocusFirstField(this);
        QDialog::showEvent(event);
    }

    std::unique_ptr<Form> ui;
};
