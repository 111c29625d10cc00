#include "store/ProjectLock.h"

#include <QCoreApplication>
#include <QLockFile>

namespace ProjectLock {

QString LockPathOf(const QString& projectPath) {
    return projectPath + QStringLiteral(".lock");
}

std::unique_ptr<QLockFile> Take(const QString& projectPath, Holder* holder, bool* heldElsewhere) {
    auto lock = std::make_unique<QLockFile>(LockPathOf(projectPath));
    // A live holder keeps its lock however long it works; only a dead one loses it.
    lock->setStaleLockTime(0);
    if (heldElsewhere) *heldElsewhere = false;
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
    return held && h.pid != QCoreApplication::applicationPid();
}

} // namespace ProjectLock
