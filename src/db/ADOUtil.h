#pragma once
// The thin data-access layer every database user goes through.
#include "db/Connection.h"
#include "db/RowSet.h"

#include <QHash>
#include <QVariant>
#include <memory>

class Ui;

namespace ADOUtil {
// Opens the database file at path. A missing file gives null silently; an engine failure
// shows the connection-string box and the engine's description, then gives null.
// checked: the file is a byte copy of one just opened with every check (ConnectionString).
std::unique_ptr<Connection> OpenMDBConn(Ui& ui, const QString& path, const QString& userId,
                                        const QString& password, bool checked = false);
// A table name opens the whole table; a text starting with SELECT (any letter case) is a
// read-only query. Null when the connection is missing, the source empty or the
// open fails. Values for "?" marks are bound, never pasted into the text.
std::unique_ptr<RowSet> OpenRecordset(const Connection* connection, const QString& source,
                                      bool useClientCursor = false,
                                      const QVariantList& params = {});
int GetRecordCount(RowSet* rowSet);
// From the first row, the first whose field's text equals value becomes current; false (past
// the end) when none does.
bool LocateRecord(RowSet* rowSet, const QString& fieldName, const QString& value);
// LocateRecord for many values in one operation: the field's texts are read once into an
// index (the first row of each text), so each lookup costs no scan. Rows added, or key
// fields changed, after the first lookup are not in it.
class RowFinder {
public:
    RowFinder(RowSet* rowSet, const QString& fieldName) : m_rs(rowSet), m_field(fieldName) {}
    bool Locate(const QString& value);

private:
    RowSet* m_rs;
    QString m_field;
    QHash<QString, qint64> m_rows; // text -> bookmark
    bool m_built = false;
};
// A value as text: null is empty, yes/no is "True"/"False", a date YYYY-MM-DD.
QString NullToStr(const QVariant& value);
// The current row's field as NullToStr gives it.
QString FieldText(const RowSet* rowSet, const QString& fieldName);
QString FieldText(const RowSet* rowSet, int column); // column: RowSet::FieldIndex
// The current row's yes/no field; null is no.
bool FieldFlag(const RowSet* rowSet, int column);
} // namespace ADOUtil
