#include "mainwindow/WindowPlacement.h"

#include "base/AppInfo.h"

#include <QSettings>
#include <cmath>
#include <limits>

namespace WindowPlacement {
namespace {
const QString kGroup = QStringLiteral("Settings");

int ReadNumber(QSettings& store, const QString& key, int defaultValue) {
    const QVariant v = store.value(key);
    if (!v.isValid()) return defaultValue;
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    // A value someone edited into something that is not a number must not move the window
    // to nowhere: it counts as missing.
    if (!ok || !std::isfinite(d) || std::fabs(d) > double(std::numeric_limits<int>::max()))
        return defaultValue;
    return int(std::lround(d));
}
} // namespace

std::unique_ptr<QSettings> OpenUserStore() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, AppTitle(),
                                       AppTitle());
}

Placement Restore(QSettings& store) {
    const Placement d;
    store.beginGroup(kGroup);
    Placement p;
    p.left = ReadNumber(store, QStringLiteral("MainLeft"), d.left);
    p.top = ReadNumber(store, QStringLiteral("MainTop"), d.top);
    p.width = ReadNumber(store, QStringLiteral("MainWidth"), d.width);
    p.height = ReadNumber(store, QStringLiteral("MainHeight"), d.height);
    store.endGroup();
    return p;
}

void Store(QSettings& store, const Placement* placement, int viewMode) {
    store.beginGroup(kGroup);
    if (placement) {
        store.setValue(QStringLiteral("MainLeft"), QString::number(placement->left));
        store.setValue(QStringLiteral("MainTop"), QString::number(placement->top));
        store.setValue(QStringLiteral("MainWidth"), QString::number(placement->width));
        store.setValue(QStringLiteral("MainHeight"), QString::number(placement->height));
    }
    store.setValue(QStringLiteral("ViewMode"), QString::number(viewMode));
    store.endGroup();
    store.sync();
}
} // namespace WindowPlacement
