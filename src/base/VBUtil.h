#pragma once
// The classic number and text helpers: the settings file's line split and key lookup, the
// leading-number reading of text and its 16-bit whole number.
#include <QString>
#include <QStringList>

namespace VBUtil {
// The line break of the system's texts and files.
inline const QString kCrLf = QStringLiteral("\r\n");

constexpr int kMaxLines = 1000;

struct Lines {
    QStringList lines; // lines[i - 1] is line i; only lines 1..1000 are held
    int count = 0;     // index of the last line (may pass 1000)
    QString Line(int index) const {
        return index >= 1 && index <= lines.size() ? lines[index - 1] : QString();
    }
};

Lines SplitLines(const QString& text);
QString IniGet(const QString& section, const QString& key, const QString& defaultValue,
               const QString& text);
// The decimal number at the start of a text (spaces ignored, none gives 0).
double Val(const QString& text);
// A number from text as a 16-bit whole number: halves round to the even neighbour; values
// beyond the 16-bit range are held at its ends.
int ToWhole16(const QString& text);
// A key two texts share exactly when QString::compare(a, b, Qt::CaseInsensitive) finds them
// equal (each character case-folded on its own), for hashing names compared that way.
QString CaseKey(const QString& text);
} // namespace VBUtil
