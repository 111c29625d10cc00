#pragma once
// How the editing windows show the core's lists: combo boxes from a ComboList, the two-column
// group lists from GroupEntry rows.
#include "editing/AllUserGroupsForm.h"
#include "editing/ComboList.h"

class QComboBox;
class QTreeWidget;
struct MLState;

namespace QtEditWidgets {
// Items, the entry shown and the enabled state of the combo.
void FillCombo(QComboBox* combo, const ComboList& list);
// The two columns "連絡人群組名稱", "連絡人群組說明", one row per entry with the group icon,
// grey entries in the grey-text colour, the selected row current.
void SetGroupColumns(QTreeWidget* list, const MLState& ml);
void FillGroupList(QTreeWidget* list, const QVector<GroupEntry>& entries, int selected);
// The row of the current item; -1 without one.
int CurrentRow(const QTreeWidget* list);
} // namespace QtEditWidgets
