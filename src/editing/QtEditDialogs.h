#pragma once
// The editing windows, created on first use and reused. The main window passes the modal
// windows of the editing dialogs here: the core has loaded the dialog's form, the window
// shows it, and the form holds what the user did.
#include "base/Ui.h"

#include <memory>
#include <optional>
#include <vector>

struct EditContext;
class QWidget;
class QDialog;

class QtEditDialogs {
public:
    QtEditDialogs(EditContext& ctx, QWidget* parent);
    ~QtEditDialogs();
    // The windows it shows.
    static std::vector<Window> Shown();
    // Shows the window modally; true when confirmed. Nothing for a window not of editing.
    std::optional<bool> ShowModal(Window which);
    // The window, created when it is first asked for; null for a window not of editing.
    QDialog* Dialog(Window which);
    // The window showing its loaded form, not yet shown; null for a window not of editing.
    QDialog* Prepare(Window which);

private:
    struct Made;
    EditContext& m_ctx;
    QWidget* m_parent;
    std::unique_ptr<Made> m_w;
};
