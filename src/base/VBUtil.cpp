#include "base/VBUtil.h"

#include <algorithm>
#include <cmath>

namespace VBUtil {

static bool IsSpace(QChar c) {
    return c == u' ';
}

static QString TrimSpaces(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && IsSpace(s[b]))
        ++b;
    while (e > b && IsSpace(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

Lines SplitLines(const QString& input) {
    Lines out;
    QString text = TrimSpaces(input);
    for (;;) {
        if (text.endsWith(QLatin1String("\r\n")))
            text.chop(2);
        else if (text.endsWith(u'\r') || text.endsWith(u'\n'))
            text.chop(1);
        else
            break;
    }
    if (text.isEmpty()) return out;

    int index = 1;
    QString current;
    auto store = [&] {
        const QString line = TrimSpaces(current);
        if (index <= kMaxLines) {
            while (out.lines.size() < index)
                out.lines << QString();
            if (!line.isEmpty()) out.lines[index - 1] = line;
        }
        current.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            store();
            ++index;
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            current += c;
        }
    }
    store();
    out.count = index;
    return out;
}

QString IniGet(const QString& section, const QString& key, const QString& defaultValue,
               const QString& text) {
    const QString wantSection = section.toUpper();
    const QString wantKey = key.toUpper();
    QString currentSection;
    const Lines l = SplitLines(text);
    const int last = std::min(l.count, kMaxLines);
    for (int i = 1; i <= last; ++i) {
        const QString line = l.Line(i);
        // Positions are 1-based, 0 when absent.
        const qsizetype p1 = line.indexOf(u'[') + 1;
        const qsizetype p2 = line.indexOf(u']') + 1;
        if (p2 - p1 >= 2) {
            currentSection = TrimSpaces(line.mid(p1, p2 - p1 - 1)).toUpper();
            continue;
        }
        const qsizetype e = line.indexOf(u'=') + 1;
        if (e > 2) {
            const QString k = TrimSpaces(line.left(e - 1)).toUpper();
            if (k == wantKey && currentSection == wantSection) return TrimSpaces(line.mid(e));
        }
    }
    return defaultValue;
}

double Val(const QString& text) {
    QString digits;
    bool seenDigit = false, seenPoint = false, seenExp = false, signAllowed = true;
    for (const QChar c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') continue;
        if ((c == u'+' || c == u'-') && signAllowed) {
            digits += c;
            signAllowed = false;
            continue;
        }
        if (c.isDigit() && c.unicode() < 128) {
            digits += c;
            seenDigit = true;
            signAllowed = false;
            continue;
        }
        if (c == u'.' && !seenPoint && !seenExp) {
            digits += c;
            seenPoint = true;
            signAllowed = false;
            continue;
        }
        if ((c == u'e' || c == u'E' || c == u'd' || c == u'D') && seenDigit && !seenExp) {
            digits += u'e';
            seenExp = true;
            signAllowed = true;
            continue;
        }
        break;
    }
    // Drop a dangling exponent or sign so the prefix still reads.
    while (!digits.isEmpty() &&
           (digits.endsWith(u'e') || digits.endsWith(u'+') || digits.endsWith(u'-')))
        digits.chop(1);
    bool ok = false;
    const double v = digits.toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

int ToWhole16(const QString& text) {
    const double v = std::nearbyint(Val(text)); // default rounding: halves to even
    if (v < -32768) return -32768;
    if (v > 32767) return 32767;
    return int(v);
}

QString CaseKey(const QString& text) {
    QString key;
    key.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, text[i + 1]));
            key += QString::fromUcs4(&folded, 1);
            ++i;
        } else {
            key += c.toCaseFolded();
        }
    }
    return key;
}

} // namespace VBUtil
