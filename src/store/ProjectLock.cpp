#include "store/ProjectLock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QThread>

namespace ProjectLock {

namespace {
enum class Place { Free, LockFile, Other };

Place PlaceOf(const QString& lockPath) {
    const QFileInfo fi(lockPath);
    if (!fi.exists() && !fi.isSymLink()) return Place::Free;
    return fi.isFile() && !fi.isSymLink() ? Place::LockFile : Place::Other;
}

// Whether a regular lock file names a holder as QLockFile writes one: the process number,
// the program and the host, one a line.
bool NamesHolder(const QString& lockPath) {
    QFile f(lockPath);
    if (!f.open(QIODevice::ReadOnly)) return true; // unreadable: leave it to QLockFile
    const QList<QByteArray> lines = f.read(4096).split('\n');
    bool ok = false;
    return lines.size() >= 3 && lines[0].toLongLong(&ok) > 0 && ok;
}

// A lock file that names no holder is removed, unless it is being written: a lock file is
// created empty and filled at once, so one younger than a second is given that second.
void RemoveIfNoHolder(const QString& lockPath) {
    if (PlaceOf(lockPath) != Place::LockFile || NamesHolder(lockPath)) return;
    const qint64 age = QFileInfo(lockPath).lastModified().msecsTo(QDateTime::currentDateTimeUtc());
    if (age >= 0 && age < 1000) QThread::msleep(ulong(1000 - age));
    // The guard QLockFile itself takes before it removes a stale lock, so that two programs
    // never remove each other's fresh lock.
    QLockFile guard(lockPath + QStringLiteral(".rmlock"));
    if (!guard.tryLock(0)) return;
    if (PlaceOf(lockPath) == Place::LockFile && !NamesHolder(lockPath)) QFile::remove(lockPath);
}
} // namespace

QString LockPathOf(const QString& projectPath) {
    return projectPath + QStringLiteral(".lock");
}

std::unique_ptr<QLockFile> Take(const QString& projectPath, Holder* holder, bool* heldElsewhere) {
    const QString lockPath = LockPathOf(projectPath);
    if (heldElsewhere) *heldElsewhere = false;
    // QLockFile would open a FIFO for reading and wait for a writer for ever.
    if (PlaceOf(lockPath) == Place::Other) {
        if (heldElsewhere) *heldElsewhere = true;
        if (holder) *holder = Holder{0, {}, {}, true};
        return nullptr;
    }
    RemoveIfNoHolder(lockPath);
    auto lock = std::make_unique<QLockFile>(lockPath);
    // A live holder keeps its lock however long it works; only a dead one loses it.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) return lock;
    if (lock->error() == QLockFile::LockFailedError) {
        if (heldElsewhere) *heldElsewhere = true;
        if (holder) lock->getLockInfo(&holder->pid, &holder->host, &holder->app);
    }
    return nullptr;
}

bool HeldElsewhere(const QString& projectPath, Holder* holder) {
    bool held = false;
    Holder h;
    Take(projectPath, &h, &held);
    if (holder) *holder = h;
    return held && (h.notALock || h.pid != QCoreApplication::applicationPid());
}

} // namespace ProjectLock
