#pragma once
// The settings file: a small text of [sections] and key=value lines, CR LF line ends.
#include <QString>
#include <QStringList>

struct AppContext;

namespace SettingUtil {
constexpr int kMaxLines = 1000;

struct Lines {
    QStringList lines;   // lines[i - 1] is line i; only lines 1..1000 are held
    int count = 0;       // index of the last line (may pass 1000)
    QString Line(int index) const { return index >= 1 && index <= lines.size() ? lines[index - 1] : QString(); }
};

Lines SplitLines(const QString& text);
QString IniGet(const QString& section, const QString& key, const QString& defaultValue,
               const QString& text);
// The decimal number at the start of a text (spaces ignored, none gives 0).
double Val(const QString& text);
// A number from text as a 16-bit whole number: halves round to the even neighbour; values
// beyond the 16-bit range are held at its ends.
int ToWhole16(const QString& text);

// The settings file's default path: the executable's name + ".set" in the current directory.
QString DefaultSettingsPath();
// Reads the communication values. A missing file shows its message and returns false; the
// caller then shuts down without storing anything.
bool ReadSettings(AppContext& ctx, const QString& path = {});
// Rewrites the whole file from the current values; false when it could not be written.
bool WriteSettings(const AppContext& ctx, const QString& path = {});
QString SettingsText(const AppContext& ctx);
} // namespace SettingUtil
