#include "app/UserFolder.h"

#include "base/Ui.h"
#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "db/FileUtil.h"
#include "ml/MLText.h"
#include "ml/MLUtil.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSaveFile>
#include <QStandardPaths>

namespace UserFolder {
namespace {
const QString kSettings = QStringLiteral("KORVA.set");
const QString kSystemDb = QStringLiteral("KORVA.sdb");

QString Hash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(&f);
    return QString::fromLatin1(h.result().toHex());
}

// name -> hash of the packaged file the user's copy was taken from.
QMap<QString, QString> ReadRecord(const QString& path) {
    QMap<QString, QString> record;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return record;
    while (!f.atEnd()) {
        const QList<QByteArray> parts = f.readLine().trimmed().split('\t');
        if (parts.size() == 2)
            record.insert(QString::fromUtf8(parts[0]), QString::fromUtf8(parts[1]));
    }
    return record;
}

bool WriteRecord(const QString& path, const QMap<QString, QString>& record, QString* why) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text)) {
        *why = f.errorString();
        return false;
    }
    for (auto it = record.begin(); it != record.end(); ++it)
        f.write((it.key() + u'\t' + it.value() + u'\n').toUtf8());
    if (f.commit()) return true;
    *why = f.errorString();
    return false;
}

// The recent-files rows of a system database, in table order.
QStringList RecentFiles(const QString& path) {
    QStringList paths;
    Connection conn;
    if (!QFileInfo::exists(path) || !conn.Open({path, {}, {}})) return paths;
    auto rs = ADOUtil::OpenRecordset(&conn, QStringLiteral("MRUList"));
    if (!rs) return paths;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        paths << ADOUtil::NullToStr(rs->Field(QStringLiteral("FilePath")));
    return paths;
}

// The packaged system database with the user's recent files, put in place whole.
bool ReplaceSystemDb(const QString& packaged, const QString& target, QString* why) {
    const QStringList recent = RecentFiles(target);
    const QString staged = target + QStringLiteral(".new");
    if (!FileUtil::CopyFileAtomic(packaged, staged, why)) return false;
    QFile::setPermissions(staged, QFile::permissions(staged) | QFile::WriteOwner);
    bool ok = true;
    {
        Connection conn;
        ok = conn.Open({staged, {}, {}}) && conn.BeginTransaction() &&
             conn.Execute(QStringLiteral("DELETE FROM MRUList"));
        for (const QString& p : recent)
            ok = ok &&
                 conn.Execute(QStringLiteral("INSERT INTO MRUList (FilePath) VALUES (?)"), {p});
        ok = ok && conn.Commit();
        if (!ok) *why = conn.ErrorDescription();
    }
    ok = ok && FileUtil::CopyFileAtomic(staged, target, why);
    QFile::remove(staged);
    return ok;
}
} // namespace

QStringList DataFiles() {
    return {kSettings, QStringLiteral("KORVA.ml"), kSystemDb, QStringLiteral("RV27.mdb")};
}

bool IsInstalled(const QString& programFolder) {
    return QFileInfo::exists(QDir(programFolder).filePath(MarkerName())) ||
           !QFileInfo(programFolder).isWritable();
}

QString DefaultUserFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("KORVA/bin"));
}

bool Prepare(const QString& installedFolder, const QString& userFolder, QString* why) {
    const QDir from(installedFolder);
    const QDir to(userFolder);
    if (!QDir().mkpath(userFolder) || !QDir().mkpath(to.filePath(QStringLiteral("../Project")))) {
        why->clear(); // the message names the folder
        return false;
    }
    const QString recordPath = to.filePath(RecordName());
    QMap<QString, QString> record = ReadRecord(recordPath);
    bool changed = false;
    for (const QString& name : DataFiles()) {
        const QString packaged = from.filePath(name);
        const QString mine = to.filePath(name);
        const QString hash = Hash(packaged);
        if (hash.isEmpty()) {
            *why = QDir::toNativeSeparators(packaged) + QStringLiteral(": ") +
                   QFile(packaged).errorString();
            return false;
        }
        const bool present = QFileInfo::exists(mine);
        if (present && (record.value(name) == hash || name == kSettings)) continue;
        const bool ok = present && name == kSystemDb
                            ? ReplaceSystemDb(packaged, mine, why)
                            : FileUtil::CopyFileAtomic(packaged, mine, why);
        if (!ok) {
            *why = QDir::toNativeSeparators(mine) + QStringLiteral(": ") + *why;
            return false;
        }
        QFile::setPermissions(mine, QFile::permissions(mine) | QFile::WriteOwner);
        record.insert(name, hash);
        changed = true;
    }
    return !changed || WriteRecord(recordPath, record, why);
}

QString ChooseProgramFolder(Ui& ui, const MLState& ml, const QString& exeFolder,
                            const QString& userFolder) {
    const MLText T{ml, QStringLiteral("UserFolder")};
    if (!IsInstalled(exeFolder)) return exeFolder;
    QString why;
    if (!Prepare(exeFolder, userFolder, &why)) {
        ui.MsgBox(T(QStringLiteral("無法準備使用者的程式資料夾["), 1, 1) +
                      QDir::toNativeSeparators(userFolder) + QStringLiteral("]") + VBUtil::kCrLf +
                      why,
                  vbOKOnly | vbCritical, T(QStringLiteral("程式無法啟動"), 2, 1));
        return {};
    }
    const QString folder = QDir(userFolder).absolutePath();
    QDir::setCurrent(folder);
    return folder;
}
} // namespace UserFolder
