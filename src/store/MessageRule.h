#pragma once
// How long a zone message may be for the device: in a Unicode project 70 UTF-16 units, else
// 160 bytes of Big5 ("?" for a character Big5 lacks).
#include <QByteArray>
#include <QString>

namespace MessageRule {
constexpr int kMaxUnicodeUnits = 70;
constexpr int kMaxAnsiBytes = 160;
// The text in Big5, as a non-Unicode project sends it.
QByteArray AnsiBytes(const QString& text);
bool Fits(const QString& text, bool isUnicode);
} // namespace MessageRule
