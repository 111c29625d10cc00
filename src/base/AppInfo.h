#pragma once
#include <QDir>
#include <QString>

// The application's title: names the text database, the per-user settings and box titles.
inline QString AppTitle() {
    return QStringLiteral("KORVA");
}
// The executable's name: names the settings file.
inline QString AppExeName() {
    return QStringLiteral("KORVA");
}
// The settings file's default path: the executable's name + ".set" in the current directory.
inline QString DefaultSettingsPath() {
    return QDir::current().absoluteFilePath(AppExeName() + QStringLiteral(".set"));
}
