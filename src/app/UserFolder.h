#pragma once
// An installed program folder cannot be written, yet the program writes its settings file,
// its recent-files list and projects. Started from such a folder, the program runs from a
// per-user copy of its data (<XDG data home>/KORVA/bin, projects in KORVA/Project beside it).
// A portable program folder (one the person can write, without the install marker) is used
// as it is.
#include <QString>
#include <QStringList>

struct MLState;
class Ui;

namespace UserFolder {
// The file an installation puts beside the executable to say the folder is installed.
inline QString MarkerName() {
    return QStringLiteral("korva-installed");
}
// The record of the packaged files the user's copies were taken from, in the user's folder.
inline QString RecordName() {
    return QStringLiteral("KORVA.pkg");
}
// The data files of a program folder.
QStringList DataFiles();

// True when the folder is installed: it carries the marker or cannot be written.
bool IsInstalled(const QString& programFolder);
// <XDG data home>/KORVA/bin.
QString DefaultUserFolder();

// Brings the user's folder up to date with the installed one. A missing file is copied. A
// packaged file that changed since the user's copy was taken replaces it, except the
// settings file, which belongs to the user once copied; a replaced system database keeps
// the user's recent-files list. Every file is replaced whole or not at all. Creates the
// project folder beside. False with the reason when something could not be done.
bool Prepare(const QString& installedFolder, const QString& userFolder, QString* why);

// The folder the program runs from: exeFolder when portable, else the prepared user folder,
// which becomes the current directory. Empty after a message when it could not be prepared.
QString ChooseProgramFolder(Ui& ui, const MLState& ml, const QString& exeFolder,
                            const QString& userFolder = DefaultUserFolder());
} // namespace UserFolder
