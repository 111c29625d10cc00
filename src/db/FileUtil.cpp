#include "db/FileUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringDecoder>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace FileUtil {

Kind KindOf(const QString& path) {
    if (path.isEmpty()) return Kind::Missing;
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return Kind::Missing;
    if (S_ISREG(st.st_mode)) return Kind::File;
    if (S_ISDIR(st.st_mode)) return Kind::Directory;
    if (S_ISFIFO(st.st_mode)) return Kind::Fifo;
    if (S_ISSOCK(st.st_mode)) return Kind::Socket;
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return Kind::Device;
    return Kind::Other;
#else
    const QFileInfo fi(path);
    return !fi.exists()  ? Kind::Missing
           : fi.isDir()  ? Kind::Directory
           : fi.isFile() ? Kind::File
                         : Kind::Other;
#endif
}

bool FileExists(const QString& path) {
    const QFileInfo fi(path);
    return !path.isEmpty() && fi.exists() && fi.isFile();
}

void DeleteFileIfExists(const QString& path) {
    if (FileExists(path)) QFile::remove(path);
}

QString ReadTextFile(const QString& path) {
    QFile f(path);
    if (!FileExists(path) || !f.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = f.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder big5("Big5");
    return big5.isValid() ? QString(big5.decode(bytes)) : QString::fromLatin1(bytes);
}

qsizetype WriteTextFile(const QString& path, const QString& text) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return -1;
    const QByteArray bytes = text.toUtf8();
    if (f.write(bytes) != bytes.size() || !f.commit()) return -1;
    return text.size();
}

bool FileOps::SyncFile(int fd) {
#ifdef Q_OS_UNIX
    return ::fsync(fd) == 0;
#else
    Q_UNUSED(fd);
    return true;
#endif
}

bool FileOps::Rename(const QString& from, const QString& to) {
#ifdef Q_OS_WIN
    return MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(to).utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

void FileOps::SyncFolder(const QString& folder) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

namespace {
const QString kTempMark = QStringLiteral(".tmp");
}

QStringList LeftoverCopies(const QString& target) {
    const QFileInfo fi(target);
    const QString prefix = fi.fileName() + kTempMark;
    QStringList out;
    const QDir folder = fi.absoluteDir();
    // Matched by hand: a project's name may hold wildcard characters.
    for (const QFileInfo& f : folder.entryInfoList(QDir::Files | QDir::Hidden)) {
        if (!f.fileName().startsWith(prefix)) continue;
        const QString tail = f.fileName().mid(prefix.size());
        // The names CopyFileAtomic gives: a 32-bit number in base 36.
        bool ok = false;
        if (f.isSymLink() || tail.isEmpty() || tail.size() > 7 || tail != tail.toLower()) continue;
        tail.toULongLong(&ok, 36);
        if (ok) out << f.absoluteFilePath();
    }
    return out;
}

bool CopyFileAtomic(const QString& from, const QString& to, QString* error, FileOps* ops) {
    FileOps real;
    FileOps& sys = ops ? *ops : real;
    QFile out;
    QString named; // the temporary file's name once it has one
    auto fail = [&](const QString& why) {
        if (out.isOpen()) out.close();
        if (!named.isEmpty()) QFile::remove(named);
        if (error) *error = why;
        return false;
    };
    QFile in(from);
    if (!FileExists(from) || !in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Cannot read ") + from);
    const QString folder = QFileInfo(to).absolutePath();
    auto freshName = [&] {
        return to + kTempMark + QString::number(QRandomGenerator::global()->generate(), 36);
    };
#ifdef Q_OS_LINUX
    // A file without a name until it is complete: a crash in the middle leaves nothing.
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0 && !out.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) ::close(fd);
#endif
    // Otherwise a new file of our own beside the target.
    for (int attempt = 0; !out.isOpen(); ++attempt) {
        // The system's reason (no such folder, permission denied) is what the person needs.
        if (attempt == 16)
            return fail(out.error() != QFileDevice::NoError
                            ? out.errorString()
                            : QStringLiteral("Cannot create a file beside ") + to);
        out.setFileName(freshName());
        if (out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) named = out.fileName();
    }
#ifdef Q_OS_UNIX
    struct stat target {};
    if (::stat(QFile::encodeName(to).constData(), &target) == 0)
        ::fchmod(out.handle(), target.st_mode & 07777);
#endif
    QByteArray chunk;
    while (!in.atEnd()) {
        chunk = in.read(256 * 1024);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) return fail(in.errorString());
        if (out.write(chunk) != chunk.size()) return fail(out.errorString());
    }
    if (!out.flush()) return fail(out.errorString());
    // The data reaches the disk before the rename can make it the target.
    if (!sys.SyncFile(out.handle()))
        return fail(QStringLiteral("Cannot flush ") + to + QStringLiteral(" to the disk"));
#ifdef Q_OS_LINUX
    for (int attempt = 0; named.isEmpty(); ++attempt) {
        if (attempt == 16) return fail(QStringLiteral("Cannot name a file beside ") + to);
        const QString name = freshName();
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(out.handle());
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, QFile::encodeName(name).constData(),
                     AT_SYMLINK_FOLLOW) == 0)
            named = name;
        else if (errno != EEXIST)
            return fail(QStringLiteral("Cannot name a file beside ") + to);
    }
#endif
    out.close();
    if (out.error() != QFileDevice::NoError) return fail(out.errorString());
    if (!sys.Rename(named, to)) return fail(QStringLiteral("Cannot replace ") + to);
    // And the rename itself is made durable.
    sys.SyncFolder(folder);
    return true;
}

} // namespace FileUtil
