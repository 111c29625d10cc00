#pragma once
// The settings file: a small text of [sections] and key=value lines, CR LF line ends.
#include <QString>
#include <QStringList>

struct AppContext;

namespace SettingUtil {
// Reads the communication values. A missing file shows its message and returns false; the
// caller then shuts down without storing anything.
bool ReadSettings(AppContext& ctx, const QString& path = {});
// Rewrites the whole file from the current values; false when it could not be written.
bool WriteSettings(const AppContext& ctx, const QString& path = {});
QString SettingsText(const AppContext& ctx);
} // namespace SettingUtil
