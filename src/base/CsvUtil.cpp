#include "base/CsvUtil.h"

#include <QStringDecoder>

namespace CsvUtil {

QString Write(const Records& records) {
    QString out;
    for (const QStringList& record : records) {
        for (qsizetype i = 0; i < record.size(); ++i) {
            if (i > 0) out += u',';
            const QString& field = record[i];
            const bool quote = field.contains(u',') || field.contains(u'"') ||
                               field.contains(u'\r') || field.contains(u'\n');
            if (!quote) {
                out += field;
                continue;
            }
            out += u'"';
            out += QString(field).replace(u'"', QLatin1String("\"\""));
            out += u'"';
        }
        out += QLatin1String("\r\n");
    }
    return out;
}

QByteArray FileBytes(const QString& text) {
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

bool Decode(const QByteArray& bytes, QString& text, QString* encoding) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
        if (encoding) *encoding = QStringLiteral("UTF-8");
        return true;
    }
    QStringDecoder big5("Big5", QStringDecoder::Flag::Stateless);
    if (!big5.isValid()) return false;
    text = big5.decode(bytes);
    if (big5.hasError()) return false;
    if (encoding) *encoding = QStringLiteral("Big5");
    return true;
}

ParseResult Parse(const QString& text) {
    ParseResult r;
    QStringList record;
    QString field;
    bool quoted = false;       // inside quotes
    bool closed = false;       // after the closing quote of the field
    bool fieldStarted = false; // the record has a field under way (even an empty one)
    int line = 1;
    int quoteLine = 0;
    const auto endField = [&] {
        record << field;
        field.clear();
        closed = false;
    };
    const auto endRecord = [&] {
        if (fieldStarted || !record.isEmpty()) {
            endField();
            r.records << record;
        }
        record.clear();
        fieldStarted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                    closed = true;
                }
                continue;
            }
            if (c == u'\n' || (c == u'\r' && !(i + 1 < text.size() && text[i + 1] == u'\n')))
                ++line;
            field += c;
            continue;
        }
        if (c == u',') {
            endField();
            fieldStarted = true;
            continue;
        }
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            endRecord();
            ++line;
            continue;
        }
        if (c == u'"' && field.isEmpty() && !closed) {
            quoted = true;
            quoteLine = line;
            fieldStarted = true;
            continue;
        }
        if (c == u'"' || closed) {
            r.errorLine = line;
            return r;
        }
        field += c;
        fieldStarted = true;
    }
    if (quoted) {
        r.errorLine = quoteLine;
        return r;
    }
    endRecord();
    return r;
}
} // namespace CsvUtil
