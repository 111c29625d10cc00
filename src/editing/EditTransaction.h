#pragma once
// One editing operation as one database transaction on the project's connection (the row
// sets write through it). Either every write of the operation reaches the working copy or
// none does, and the user hears of a failure once.
#include <QString>
#include <QVariant>
#include <functional>

struct EditContext;
struct OpenProject;
class RowSet;

namespace EditTransaction {
// The operation's writes. Returns false, with the engine's reason in why, at the first
// write that failed.
using Steps = std::function<bool(QString& why)>;

// Runs steps inside BEGIN/COMMIT. On a failure (of the start, a step or the commit): rolls
// back, drops pending edits, reopens the four row sets so that they show the file as it is,
// and shows one critical message titled failTitle with the reason. True when committed.
bool Run(EditContext& ctx, const QString& failTitle, const Steps& steps);

// The row sets' key lists may name rows the file no longer has (or miss rows it has again,
// after a rollback or an undo): the four are opened anew. A row set that cannot be reopened
// stays as it was, with its pending edit dropped.
void ReopenRowSets(OpenProject& p);

// Starts a new row; false with the reason when the row set cannot take one.
bool AddNew(RowSet* rs, QString& why);
// Saves the row set's pending edit; false with the reason when the engine refused it.
bool SaveRow(RowSet* rs, QString& why);
// Writes one field; false with the reason when the row set refused it.
bool SetField(RowSet* rs, const QString& field, const QVariant& value, QString& why);
} // namespace EditTransaction
