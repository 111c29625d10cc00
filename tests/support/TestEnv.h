#pragma once
// Test surroundings: a temporary program folder with the shipped data, and small helpers.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace TestEnv {
// The staged program folder of the build (KORVA/bin).
QString StagedBin();
// The source tree.
QString SourceDir();
// Copies the shipped files (KORVA.set, KORVA.ml, KORVA.sdb, RV27.mdb) into dir.
bool CopyProgramFolder(const QString& dir);
// Writes bytes to a file, replacing it.
bool WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);
// Runs SQL on a database file with the sqlite3 C API (an independent way in).
bool ExecSql(const QString& dbPath, const QString& sql);
} // namespace TestEnv
