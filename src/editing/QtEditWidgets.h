#pragma once
// How the editing windows show the core's lists: combo boxes from a ComboList, the two-column
// group lists from GroupEntry rows.
#include "editing/AllUserGroupsForm.h"
#include "editing/ComboList.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
struct MLState;

namespace QtEditWidgets {
// A name in a label, elided past kMaxNameLength average characters (older files may hold longer
// names), the whole name in the tooltip then: a long name never widens its window.
void ShowName(QLabel* label, const QString& name);
// A description box: at most the description limit, or the text's own length when a stored
// text is longer, so that nothing stored is cut.
void ShowDescription(QLineEdit* box, const QString& text, const MLState& ml);
// Items, the entry shown and the enabled state of the combo; long names do not widen it.
void FillCombo(QComboBox* combo, const ComboList& list);
// The two columns "連絡人群組名稱", "連絡人群組說明", one row per entry with the group icon,
// grey entries in the grey-text colour, the selected row current.
void SetGroupColumns(QTreeWidget* list, const MLState& ml);
void FillGroupList(QTreeWidget* list, const QVector<GroupEntry>& entries, int selected);
// The row of the current item; -1 without one.
int CurrentRow(const QTreeWidget* list);
} // namespace QtEditWidgets
