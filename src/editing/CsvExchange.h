#pragma once
// Contacts and zones in and out of a project as comma-separated files, for the spreadsheet
// a customer sends and back. Export writes the table with a header in the applied language.
// Import reads a file in any of the languages' headers, judges every row with the same rules
// as the editing dialogs, and changes nothing until the person agrees; then the accepted
// rows go in as one transaction.
#include "base/CsvUtil.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <utility>

struct EditContext;
struct MLState;

namespace CsvExchange {
enum class Table { Contacts, Zones };
enum class Verdict { New, Changes, Unchanged, Refused };

// The column names in the applied language, in file order. Contacts: name, telephone number,
// groups, disabled, description. Zones: number, name, description, alarm message, reset
// message, notification target, disabled.
QStringList Header(const MLState& ml, Table table);
// The verdict as the preview shows it.
QString VerdictText(const MLState& ml, Verdict verdict);

// The header and one record per row, in table order.
CsvUtil::Records ExportRecords(EditContext& ctx, Table table);
// Writes the file whole or not at all; false after the message saying why.
bool ExportFile(EditContext& ctx, Table table, const QString& path, int* rows = nullptr);

// Where each column is in the file; -1 when the file lacks it (its value then stays).
using ColumnMap = QVector<int>;

struct RowVerdict {
    int line = 0; // the record's number in the file, the header being 1
    QString key;  // the contact's name or the zone's number, as the file has it
    Verdict verdict = Verdict::Refused;
    QString details; // refused: the reason; changes: the columns that change
    QString row;     // the stored contact name or zone number written to; empty for a new one
    QVector<std::pair<QString, QVariant>> fields; // what is written
};

struct ImportPlan {
    Table table = Table::Contacts;
    QVector<RowVerdict> rows;
    QStringList newGroups; // created first, in the order the accepted rows name them
    int Count(Verdict v) const;
    // A row is new or changes one.
    bool HasWork() const { return Count(Verdict::New) + Count(Verdict::Changes) > 0; }
};

// The records of a file (header first); false after the message saying why it cannot be read.
bool ReadFile(EditContext& ctx, const QString& path, CsvUtil::Records& records);
// Finds the columns by their names in any language; false after the message when a name is
// given twice or a needed column (contact name, zone number) is missing.
bool MapColumns(EditContext& ctx, Table table, const QStringList& header, const QString& path,
                ColumnMap& columns);
// Judges every record after the header. Groups that do not exist make a row refused unless
// createGroups, when they are created if their name passes the group rules.
ImportPlan Judge(EditContext& ctx, Table table, const CsvUtil::Records& records,
                 const ColumnMap& columns, bool createGroups);
// Writes the new groups and the new and changing rows in one transaction and updates the
// tree; false, with nothing changed, after the message when a write fails.
bool Apply(EditContext& ctx, const ImportPlan& plan);

// File > Export: asks for the file and writes it.
bool ExportCommand(EditContext& ctx, Table table);
// File > Import: asks for the file, reads it, shows the preview and applies it on OK.
bool ImportCommand(EditContext& ctx, Table table);
// korvactl's question before it applies a plan.
bool AskApply(EditContext& ctx, const ImportPlan& plan);
} // namespace CsvExchange

// The import preview's state: the file read, the choice to create groups and the verdicts.
struct CsvImportForm {
    CsvExchange::Table table = CsvExchange::Table::Contacts;
    QString path;
    CsvUtil::Records records;
    CsvExchange::ColumnMap columns;
    bool chkCreateGroups = false;
    CsvExchange::ImportPlan plan;

    // Reads and maps the file and judges it; false after the message when it cannot be read.
    bool LoadFormObj(EditContext& ctx, CsvExchange::Table which, const QString& file);
    // The verdicts again, after the create-groups choice changed.
    void chkCreateGroups_Click(EditContext& ctx, bool checked);
    // A line that counts the verdicts.
    QString Summary(const MLState& ml) const;
    // Applies the plan; true when written.
    bool cmdOK_Click(EditContext& ctx);
};
