#pragma once
// Where a dialog's keyboard focus starts: in its first field.
class QWidget;

namespace QtDialogFocus {
// An entry field: a text box, number box, list, drop-down, check box or option button.
bool IsField(const QWidget* w);
// The first field of the dialog's tab order that can take the focus now; null when none.
QWidget* FirstField(QWidget* dialog);
// Run as the dialog is shown: a dialog whose focus is not in a field (nowhere, its tab bar or a
// button) gets it in its first field. A field the dialog's load chose keeps it.
void FocusFirstField(QWidget* dialog);
} // namespace QtDialogFocus
