#include "editing/QtEditWidgets.h"

#include "base/QtIcons.h"
#include "editing/ValidUtil.h"
#include "ml/MLText.h"
#include "ml/MLUtil.h"
#include "ml/QtFormTexts.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

namespace QtEditWidgets {
void ShowName(QLabel* label, const QString& name) {
    const QFontMetrics fm = label->fontMetrics();
    const QString shown =
        fm.elidedText(name, Qt::ElideRight, fm.averageCharWidth() * ValidUtil::kMaxNameLength);
    label->setText(shown);
    label->setToolTip(shown == name ? QString() : name);
}

void ShowDescription(QLineEdit* box, const QString& text, const MLState& ml) {
    QtFormTexts::LimitEntry(box, qMax(int(text.size()), ValidUtil::kMaxDescriptionLength), ml);
    box->setText(text);
}

void FillCombo(QComboBox* combo, const ComboList& list) {
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(24);
    combo->clear();
    combo->addItems(list.items);
    combo->setCurrentIndex(list.index);
    combo->setEnabled(list.enabled);
}

void SetGroupColumns(QTreeWidget* list, const MLState& ml) {
    const MLText T{ml, QStringLiteral("KORVAMain")};
    list->setColumnCount(2);
    list->setHeaderLabels({T(QStringLiteral("連絡人群組名稱"), 1, 1197),
                           T(QStringLiteral("連絡人群組說明"), 1, 1198)});
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->header()->setStretchLastSection(true);
    list->setColumnWidth(0, 130);
}

void FillGroupList(QTreeWidget* list, const QVector<GroupEntry>& entries, int selected) {
    list->clear();
    const QIcon icon = QtIcons::Icon(QStringLiteral("UserGroups"));
    const QColor grey = list->palette().color(QPalette::Disabled, QPalette::Text);
    for (const GroupEntry& e : entries) {
        auto* item = new QTreeWidgetItem(list, {e.name, e.dsc});
        item->setIcon(0, icon);
        if (e.grey) {
            item->setForeground(0, grey);
            item->setForeground(1, grey);
        }
    }
    if (selected >= 0 && selected < list->topLevelItemCount())
        list->setCurrentItem(list->topLevelItem(selected));
    else
        list->setCurrentItem(nullptr);
}

int CurrentRow(const QTreeWidget* list) {
    const QTreeWidgetItem* item = list->currentItem();
    return item ? list->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1;
}
} // namespace QtEditWidgets
