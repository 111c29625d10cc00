#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>
#include <sqlite3.h>

namespace {
// Every test process, and every program it starts, gets a per-user data folder of its own:
// nothing a test downloads reaches the person's download history.
void OwnDataFolder() {
    static QTemporaryDir dir;
    if (dir.isValid()) qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));
}
Q_CONSTRUCTOR_FUNCTION(OwnDataFolder)
} // namespace

namespace TestEnv {

QString StagedBin() {
    return QStringLiteral(KORVA_BIN_DIR);
}
QString SourceDir() {
    return QStringLiteral(KORVA_SOURCE_DIR);
}

bool CopyProgramFolder(const QString& dir) {
    for (const char* name : {"KORVA.set", "KORVA.ml", "KORVA.sdb", "RV27.mdb"}) {
        const QString from = QDir(StagedBin()).filePath(QLatin1String(name));
        const QString to = QDir(dir).filePath(QLatin1String(name));
        QFile::remove(to);
        if (!QFile::copy(from, to)) return false;
        QFile::setPermissions(to, QFile::permissions(to) | QFile::WriteOwner);
    }
    // The staged folder is also the one the program runs in: start from the shipped state,
    // not from the recent files of whoever used it last.
    return ExecSql(QDir(dir).filePath(QStringLiteral("KORVA.sdb")),
                   QStringLiteral("DELETE FROM MRUList"));
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool ExecSql(const QString& dbPath, const QString& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(dbPath.toUtf8().constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    const bool ok =
        sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

} // namespace TestEnv
