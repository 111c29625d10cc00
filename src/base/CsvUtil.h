#pragma once
// Comma-separated files as spreadsheets write them: fields separated by ",", records by line
// breaks, a field with a comma, a quote or a line break written between quotes with its
// quotes doubled. Nothing else is special.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace CsvUtil {
using Records = QList<QStringList>;

// The records as text: fields quoted only when they must be, every record ended by CR LF.
QString Write(const Records& records);
// The text as a file's bytes: UTF-8 after a byte-order mark, so a spreadsheet reads Chinese.
QByteArray FileBytes(const QString& text);

// What Decode found.
enum class DecodeFault {
    None,
    NotText,          // neither UTF-8, UTF-16 with its mark, nor Big5
    Utf16WithoutMark, // zero bytes in every other place: UTF-16 that does not say which
    LooksGb,          // valid Big5, but far more common characters when read as GB
};
// A file's bytes as text: UTF-16 after its byte-order mark; UTF-8 with or without the mark;
// Big5 when the bytes are not valid UTF-8, unless a GB reading gives markedly more common
// characters (simplified Chinese read as Big5 is mojibake). encoding receives "UTF-8",
// "UTF-16" or "Big5". False with the fault when the text cannot be taken as it is.
bool Decode(const QByteArray& bytes, QString& text, QString* encoding = nullptr,
            DecodeFault* fault = nullptr);

// A spreadsheet runs a cell that starts with "=", "+", "-", "@", TAB or CR as a formula
// (CSV injection), and reads digits as a number (leading zeros and "+" lost). On export such
// a cell, one that starts with the quote itself, and every non-empty cell of a column that
// is text only (asText) get a leading "'", which a spreadsheet shows as text; Unguard removes
// exactly that prefix again, so that a round trip changes nothing. A "'" before any other
// character is the cell's own and stays.
QString Guard(const QString& cell, bool asText = false);
QString Unguard(const QString& cell, bool asText = false);

// A list of names in one cell, separated by ";". A name holding ";" or '"', or with blanks
// around it, is written between quotes with its quotes doubled, so every name survives.
QString JoinList(const QStringList& names);
// The names of such a cell, blanks around unquoted names removed, empty names skipped;
// nullopt when a quote is left open or followed by anything but ";".
std::optional<QStringList> SplitList(const QString& cell);

struct ParseResult {
    Records records;
    int errorLine = 0; // the line (from 1) where the text breaks the quoting rules; 0: none
};
// The records of the text. A line break may be CR LF, LF or CR; the last record needs none.
// Empty lines between records are skipped. A quote inside an unquoted field, anything but a
// separator after a closing quote, or a quote left open stops at that line.
ParseResult Parse(const QString& text);
} // namespace CsvUtil
