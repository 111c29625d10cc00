#pragma once
// The program's own icons (SVG, sharp at any screen scale), by the keys the windows use:
// "Proj", "UserName", "UserGroups", "Zones", "Alarm", and the status images "Connect" and
// "DisConnect".
#include <QHash>
#include <QIcon>
#include <QStyledItemDelegate>

namespace QtIcons {
// The icon of a key; a null icon for a key that has none.
QIcon Icon(const QString& key);
// The application's icon.
QIcon AppIcon();
// Every key that has an icon.
QStringList Keys();
} // namespace QtIcons

// Draws, for a model that names each item's image by its key (text in the given role, since
// the core's models cannot hold icons), the icon of that key.
class QtImageKeyDelegate : public QStyledItemDelegate {
public:
    explicit QtImageKeyDelegate(int imageKeyRole, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), m_role(imageKeyRole) {}
    void SetImageKeyRole(int role) { m_role = role; }
    int ImageKeyRole() const { return m_role; }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    QIcon IconOf(const QString& key) const;
    int m_role;
    mutable QHash<QString, QIcon> m_icons;
};
