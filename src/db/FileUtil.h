#pragma once
// File helpers; relative paths resolve against the current directory.
#include <QString>
#include <QStringList>

namespace FileUtil {
bool FileExists(const QString& path);
void DeleteFileIfExists(const QString& path);
// What is at a path, links followed: a messages names what is not a regular file.
enum class Kind { Missing, File, Directory, Fifo, Socket, Device, Other };
Kind KindOf(const QString& path);
// The whole text of a file (UTF-8, or Big5 when it is not valid UTF-8); empty when missing.
QString ReadTextFile(const QString& path);
// Creates or replaces the file with the text as it stands (UTF-8, no line end added).
// Returns the number of characters written, -1 when the file could not be written.
qsizetype WriteTextFile(const QString& path, const QString& text);
// The system calls that make a copy durable and atomic; a test replaces them to see their
// order or to make one fail.
class FileOps {
public:
    virtual ~FileOps() = default;
    virtual bool SyncFile(int fd);                               // data to the disk
    virtual bool Rename(const QString& from, const QString& to); // replaces to in one step
    virtual void SyncFolder(const QString& folder);              // the rename to the disk
};
// Copies a file so that the target is either its old self or a complete copy, never a part:
// the bytes go into a temporary file in the target's folder (with the target's permissions),
// are flushed to the disk, the temporary file is renamed over the target, and the folder is
// flushed. False (the target untouched, the temporary file gone) when anything fails; error
// receives the reason when given. ops: the system calls (null: the real ones).
bool CopyFileAtomic(const QString& from, const QString& to, QString* error = nullptr,
                    FileOps* ops = nullptr);
// The temporary files a CopyFileAtomic to target left behind when the process was killed
// between naming them and the rename (absolute paths).
QStringList LeftoverCopies(const QString& target);
} // namespace FileUtil
