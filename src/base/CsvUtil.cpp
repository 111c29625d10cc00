#include "base/CsvUtil.h"

#include <QStringDecoder>
#include <algorithm>

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

namespace {
// UTF-16 without a mark: ASCII characters leave a zero byte in every other place. A stray
// NUL in a UTF-8 field does not look like that.
bool LooksUtf16(const QByteArray& bytes) {
    qsizetype zeros[2] = {0, 0};
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\0') ++zeros[i % 2];
    const qsizetype most = std::max(zeros[0], zeros[1]);
    const qsizetype least = std::min(zeros[0], zeros[1]);
    return most >= 2 && most * 4 >= bytes.size() / 2 && most > 4 * least;
}

// Double-byte pairs that would be common characters: in Big5 its frequent characters (lead
// 0xA4..0xC6), in GB2312 its first level (lead 0xB0..0xD7, trail 0xA1..0xFE). Simplified text
// read as Big5 lands mostly in Big5's rare second level; Big5 text rarely fits GB's first.
void CountCommon(const QByteArray& bytes, int& big5, int& gb) {
    big5 = gb = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); ++i) {
        const auto lead = uchar(bytes[i]);
        if (lead < 0x81) continue;
        const auto trail = uchar(bytes[i + 1]);
        if (lead >= 0xA4 && lead <= 0xC6 &&
            ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE)))
            ++big5;
        if (lead >= 0xB0 && lead <= 0xD7 && trail >= 0xA1 && trail <= 0xFE) ++gb;
        ++i;
    }
}

bool Fail(DecodeFault* fault, DecodeFault why) {
    if (fault) *fault = why;
    return false;
}
} // namespace

bool Decode(const QByteArray& bytes, QString& text, QString* encoding, DecodeFault* fault) {
    if (fault) *fault = DecodeFault::None;
    text.clear();
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                          : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::Stateless);
        text = utf16.decode(bytes.mid(2));
        if (utf16.hasError()) {
            text.clear();
            return Fail(fault, DecodeFault::NotText);
        }
        if (encoding) *encoding = QStringLiteral("UTF-16");
        return true;
    }
    if (LooksUtf16(bytes)) return Fail(fault, DecodeFault::Utf16WithoutMark);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
        if (encoding) *encoding = QStringLiteral("UTF-8");
        return true;
    }
    text.clear();
    QStringDecoder big5("Big5", QStringDecoder::Flag::Stateless);
    if (!big5.isValid()) return Fail(fault, DecodeFault::NotText);
    const QString decoded = big5.decode(bytes);
    if (big5.hasError()) return Fail(fault, DecodeFault::NotText);
    int big5Common = 0, gbCommon = 0;
    CountCommon(bytes, big5Common, gbCommon);
    if (gbCommon > big5Common) return Fail(fault, DecodeFault::LooksGb);
    text = decoded;
    if (encoding) *encoding = QStringLiteral("Big5");
    return true;
}

QString Guard(const QString& cell, bool asText) {
    static const QString kFormulaStart = QStringLiteral("=+-@\t\r'");
    if (cell.isEmpty()) return cell;
    return asText || kFormulaStart.contains(cell[0]) ? u'\'' + cell : cell;
}

QString Unguard(const QString& cell, bool asText) {
    static const QString kFormulaStart = QStringLiteral("=+-@\t\r'");
    if (!cell.startsWith(u'\'')) return cell;
    return asText || (cell.size() > 1 && kFormulaStart.contains(cell[1])) ? cell.mid(1) : cell;
}

QString JoinList(const QStringList& names) {
    QStringList parts;
    for (const QString& n : names) {
        const bool quote = n.contains(u';') || n.contains(u'"') || n != n.trimmed();
        parts << (quote ? u'"' + QString(n).replace(u'"', QLatin1String("\"\"")) + u'"' : n);
    }
    return parts.join(u';');
}

std::optional<QStringList> SplitList(const QString& cell) {
    QStringList names;
    qsizetype i = 0;
    const qsizetype n = cell.size();
    while (i <= n) {
        while (i < n && cell[i].isSpace())
            ++i;
        QString name;
        if (i < n && cell[i] == u'"') {
            for (++i;; ++i) {
                if (i >= n) return std::nullopt; // left open
                if (cell[i] != u'"') {
                    name += cell[i];
                } else if (i + 1 < n && cell[i + 1] == u'"') {
                    name += u'"';
                    ++i;
                } else {
                    break;
                }
            }
            for (++i; i < n && cell[i].isSpace(); ++i) {
            }
            if (i < n && cell[i] != u';') return std::nullopt;
        } else {
            const qsizetype end = cell.indexOf(u';', i);
            const qsizetype stop = end < 0 ? n : end;
            name = cell.mid(i, stop - i).trimmed();
            if (name.contains(u'"')) return std::nullopt;
            i = stop;
        }
        if (!name.isEmpty()) names << name;
        ++i; // past the ";" (or the end)
    }
    return names;
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
