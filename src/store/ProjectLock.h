#pragma once
// One program at a time works on a project file: a lock file beside it ("<file>.lock") names
// the host and process that hold it. A lock left behind by a process that no longer runs, or a
// lock file that names no holder at all (empty, garbage), is taken over. Something else in
// the lock file's place (a folder, a FIFO) is never opened: the project is refused.
#include <QString>
#include <memory>

class QLockFile;

namespace ProjectLock {
struct Holder {
    qint64 pid = 0;
    QString host;
    QString app;
    // The lock file's place holds something that is no lock file (a folder, a FIFO, a link):
    // it blocks the lock, and no process is named.
    bool notALock = false;
};

QString LockPathOf(const QString& projectPath);
// The lock of the project file, or nullptr: heldElsewhere then says whether the lock is held
// (holder names the running process, or says the place is taken by something that is no
// lock); false means no lock could be made at all (an unwritable folder), which leaves the
// open to fail or succeed on its own.
std::unique_ptr<QLockFile> Take(const QString& projectPath, Holder* holder, bool* heldElsewhere);
// Whether the project file's lock is held by a running process other than this one, or its
// place is taken by something that is no lock.
bool HeldElsewhere(const QString& projectPath, Holder* holder);
} // namespace ProjectLock
