#include "base/QtIcons.h"

#include <QFile>

// The icons are compiled into the window library; a static library needs its resources
// registered by name before first use.
static void InitIconResources() {
    Q_INIT_RESOURCE(KORVA);
}

namespace QtIcons {
namespace {
QString PathOf(const QString& key) {
    return QStringLiteral(":/icons/") + key + QStringLiteral(".svg");
}

void EnsureResources() {
    if (!QFile::exists(PathOf(QStringLiteral("KORVA")))) InitIconResources();
}
} // namespace

QStringList Keys() {
    return {QStringLiteral("Proj"),      QStringLiteral("UserName"), QStringLiteral("UserGroups"),
            QStringLiteral("Zones"),     QStringLiteral("Alarm"),    QStringLiteral("Connect"),
            QStringLiteral("DisConnect")};
}

QIcon Icon(const QString& key) {
    EnsureResources();
    if (key.isEmpty() || !QFile::exists(PathOf(key))) return {};
    return QIcon(PathOf(key));
}

QIcon AppIcon() {
    return Icon(QStringLiteral("KORVA"));
}
} // namespace QtIcons

QIcon QtImageKeyDelegate::IconOf(const QString& key) const {
    auto it = m_icons.find(key);
    if (it == m_icons.end()) it = m_icons.insert(key, QtIcons::Icon(key));
    return *it;
}

void QtImageKeyDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant v = index.data(m_role);
    if (v.typeId() != QMetaType::QString || v.toString().isEmpty()) return;
    const QIcon icon = IconOf(v.toString());
    if (icon.isNull()) return;
    option->icon = icon;
    option->features |= QStyleOptionViewItem::HasDecoration;
}
