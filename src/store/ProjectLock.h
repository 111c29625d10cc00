#pragma once
// One program at a time works on a project file: a lock file beside it ("<file>.lock") names
// the host and process that hold it. A lock left behind by a process that no longer runs is
// taken over.
#include <QString>
#include <memory>

class QLockFile;

namespace ProjectLock {
struct Holder {
    qint64 pid = 0;
    QString host;
    QString app;
};

QString LockPathOf(const QString& projectPath);
// The lock of the project file, or nullptr: heldElsewhere then says whether a running process
// holds it (holder names it); false means no lock could be made at all (an unwritable folder),
// which leaves the open to fail or succeed on its own.
std::unique_ptr<QLockFile> Take(const QString& projectPath, Holder* holder, bool* heldElsewhere);
// Whether a running process other than this one holds the project file's lock.
bool HeldElsewhere(const QString& projectPath, Holder* holder);
} // namespace ProjectLock
