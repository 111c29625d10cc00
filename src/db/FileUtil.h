#pragma once
// File helpers; relative paths resolve against the current directory.
#include <QString>

namespace FileUtil {
bool FileExists(const QString& path);
void DeleteFileIfExists(const QString& path);
// The whole text of a file (UTF-8, or Big5 when it is not valid UTF-8); empty when missing.
QString ReadTextFile(const QString& path);
// Creates or replaces the file with the text as it stands (UTF-8, no line end added).
// Returns the number of characters written, -1 when the file could not be written.
qsizetype WriteTextFile(const QString& path, const QString& text);
// Copies a file so that the target is either its old self or a complete copy, never a part:
// the bytes go into a temporary file in the target's folder, are flushed to the disk, and the
// temporary file is then renamed over the target. False (the target untouched, the temporary
// file gone) when anything fails; error receives the reason when given.
bool CopyFileAtomic(const QString& from, const QString& to, QString* error = nullptr);
} // namespace FileUtil
