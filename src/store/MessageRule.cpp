#include "store/MessageRule.h"

#include <QStringEncoder>
#include <algorithm>

namespace MessageRule {
QByteArray AnsiBytes(const QString& text) {
    // ASCII is the same in Big5, and most messages are all ASCII.
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.toLatin1();
    QStringEncoder big5("Big5");
    return big5.encode(text);
}

bool Fits(const QString& text, bool isUnicode) {
    if (isUnicode) return text.size() <= kMaxUnicodeUnits;
    return AnsiBytes(text).size() <= kMaxAnsiBytes;
}
} // namespace MessageRule
