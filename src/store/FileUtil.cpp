#include "store/FileUtil.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

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

} // namespace FileUtil
