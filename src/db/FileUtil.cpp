#include "db/FileUtil.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace FileUtil {

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

bool CopyFileAtomic(const QString& from, const QString& to, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    QFile in(from);
    if (!FileExists(from) || !in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Cannot read ") + from);
    // QSaveFile writes to a temporary file beside the target and renames it over the target
    // at commit; until then the target is untouched, and on failure the temporary file goes.
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly)) return fail(out.errorString());
    QByteArray chunk;
    while (!in.atEnd()) {
        chunk = in.read(256 * 1024);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            return fail(in.errorString());
        }
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            return fail(out.errorString());
        }
    }
    if (!out.flush()) {
        out.cancelWriting();
        return fail(out.errorString());
    }
#ifdef Q_OS_UNIX
    // The data reaches the disk before the rename can make it the target.
    if (::fsync(out.handle()) != 0) {
        out.cancelWriting();
        return fail(QStringLiteral("Cannot flush ") + to + QStringLiteral(" to the disk"));
    }
#endif
    if (!out.commit()) return fail(out.errorString());
#ifdef Q_OS_UNIX
    // And the rename itself is made durable.
    const QByteArray dir = QFile::encodeName(QFileInfo(to).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
    return true;
}

} // namespace FileUtil
