#pragma once
// The installation's database: device models with their capacities, the baud rates each model
// offers, and the recent-files list.
#include "db/Connection.h"
#include "db/RowSet.h"

#include <QString>
#include <memory>

struct MLState;
class Ui;

struct SystemDb {
    std::unique_ptr<Connection> conn;
    std::unique_ptr<RowSet> CommBaudList;
    std::unique_ptr<RowSet> ModelList;
    std::unique_ptr<RowSet> MRUList;
    bool IsOpen() const { return conn && CommBaudList && ModelList && MRUList; }
};

struct ModelCapacity {
    bool found = false;
    int MaxTelNo = 0;
    int MaxMemoryByte = 0;
};

namespace SystemDB {
QString SystemDbPath(const QString& programFolder);
// Opens KORVA.sdb in the program folder and its three row sets. A missing or unreadable file
// shows a critical message naming it and returns false: start-up cannot go on without it.
bool OpenSystemDB(SystemDb& sdb, Ui& ui, const MLState& ml, const QString& programFolder);
void CloseSystemDB(SystemDb& sdb);
// Every row with this exact model name sets the capacities: the last one wins.
ModelCapacity LookupModel(SystemDb& sdb, const QString& modelName);
// The rate shown for a model's code, or "UnKnown".
QString LookupBaudRate(SystemDb& sdb, const QString& modelName, const QString& baudId);
} // namespace SystemDB
