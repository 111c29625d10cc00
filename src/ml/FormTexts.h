#pragma once
// Which texts of each window come from the text database: (object path, property) pairs in
// the order they are applied. The window itself has the empty path.
#include <QString>
#include <QStringList>
#include <QVector>

struct FormTextItem {
    QString objectPath;
    QString propertyName;
};

namespace FormTexts {
// The list of one window; empty for a window that has none.
QVector<FormTextItem> ItemsOf(const QString& formName);
// Every window that has a list.
QStringList Forms();
} // namespace FormTexts
