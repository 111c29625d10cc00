#pragma once
// Comma-separated files as spreadsheets write them: fields separated by ",", records by line
// breaks, a field with a comma, a quote or a line break written between quotes with its
// quotes doubled. Nothing else is special.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace CsvUtil {
using Records = QList<QStringList>;

// The records as text: fields quoted only when they must be, every record ended by CR LF.
QString Write(const Records& records);
// The text as a file's bytes: UTF-8 after a byte-order mark, so a spreadsheet reads Chinese.
QByteArray FileBytes(const QString& text);

// A file's bytes as text: UTF-8 with or without the byte-order mark; Big5 when the bytes are
// not valid UTF-8. encoding receives "UTF-8" or "Big5"; false when the bytes are neither.
bool Decode(const QByteArray& bytes, QString& text, QString* encoding = nullptr);

struct ParseResult {
    Records records;
    int errorLine = 0; // the line (from 1) where the text breaks the quoting rules; 0: none
};
// The records of the text. A line break may be CR LF, LF or CR; the last record needs none.
// Empty lines between records are skipped. A quote inside an unquoted field, anything but a
// separator after a closing quote, or a quote left open stops at that line.
ParseResult Parse(const QString& text);
} // namespace CsvUtil
