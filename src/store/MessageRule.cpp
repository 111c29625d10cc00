#include "store/MessageRule.h"

#include <QStringEncoder>

namespace MessageRule {
QByteArray AnsiBytes(const QString& text) {
    QStringEncoder big5("Big5");
    return big5.encode(text);
}

bool Fits(const QString& text, bool isUnicode) {
    if (isUnicode) return text.size() <= kMaxUnicodeUnits;
    return AnsiBytes(text).size() <= kMaxAnsiBytes;
}
} // namespace MessageRule
