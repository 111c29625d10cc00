#include "store/MessageRule.h"

#include <QStringEncoder>
#include <algorithm>

namespace MessageRule {
AnsiEncoder::AnsiEncoder() = default;
AnsiEncoder::~AnsiEncoder() = default;

QByteArray AnsiEncoder::Bytes(const QString& text, bool* complete) {
    if (complete) *complete = true;
    // ASCII is the same in Big5, and most messages are all ASCII.
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.toLatin1();
    // An encoder that met a character it lacks keeps saying so: a new one is made then.
    if (!m_big5 || m_big5->hasError())
        m_big5 = std::make_unique<QStringEncoder>("Big5");
    else
        m_big5->resetState();
    const QByteArray bytes = m_big5->encode(text);
    if (complete) *complete = !m_big5->hasError();
    return bytes;
}

QByteArray AnsiBytes(const QString& text) {
    return AnsiEncoder().Bytes(text);
}

bool Fits(const QString& text, bool isUnicode, AnsiEncoder* ansi) {
    if (isUnicode) return text.size() <= kMaxUnicodeUnits;
    return (ansi ? ansi->Bytes(text) : AnsiBytes(text)).size() <= kMaxAnsiBytes;
}
} // namespace MessageRule
