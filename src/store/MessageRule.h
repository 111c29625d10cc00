#pragma once
// How long a zone message may be for the device: in a Unicode project 70 UTF-16 units, else
// 160 bytes of Big5 ("?" for a character Big5 lacks).
#include <QByteArray>
#include <QString>
#include <memory>

class QStringEncoder;

namespace MessageRule {
constexpr int kMaxUnicodeUnits = 70;
constexpr int kMaxAnsiBytes = 160;
// Texts into Big5 one after another: the code page is loaded once, not once a text.
class AnsiEncoder {
public:
    AnsiEncoder();
    ~AnsiEncoder();
    // As AnsiBytes gives it; complete (when given): no character of the text was missing.
    QByteArray Bytes(const QString& text, bool* complete = nullptr);

private:
    std::unique_ptr<QStringEncoder> m_big5; // made at the first text beyond ASCII
};
// The text in Big5, as a non-Unicode project sends it.
QByteArray AnsiBytes(const QString& text);
bool Fits(const QString& text, bool isUnicode, AnsiEncoder* ansi = nullptr);
} // namespace MessageRule
