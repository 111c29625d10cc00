#pragma once
// The open project: its files, its modified flag, its model's capacities, the connection to
// its working copy and the four row sets every operation shares.
#include "db/Connection.h"
#include "db/RowSet.h"

#include <QLockFile>
#include <QString>
#include <memory>

class Ui;

struct OpenProject {
    QString ProjName; // base name of the .cmb file; empty: no project is open
    QString ProjPath; // the .cmb file
    QString MirPath;  // the working copy beside it (.mir)
    bool IsModified = false;
    bool ReadOnly = false;           // the project file cannot be written: saving needs Save As
    std::unique_ptr<QLockFile> lock; // held while the project is open
    int MaxTelNo = 0;
    int MaxMemoryByte = 0;
    std::unique_ptr<Connection> conn;
    std::unique_ptr<RowSet> Basic;
    std::unique_ptr<RowSet> UserGroups;
    std::unique_ptr<RowSet> Users;
    std::unique_ptr<RowSet> Zones;

    bool IsOpen() const { return !ProjName.isEmpty(); }
    bool RowSetsOpen() const { return conn && Basic && UserGroups && Users && Zones; }
};

namespace ADOUtil {
// Opens the connection to the working copy and the Basic, UserGroups, Users and Zones row
// sets in that order. False when any of them could not be opened. checked: the working copy
// is a byte copy of a file just opened with every check, which are not run again. The file's
// lock is taken once for the row sets' opening; holdLock: it stays held for the reads that
// follow, until the caller lets it go (Connection::HoldLock).
bool OpenProjectDB(OpenProject& project, Ui& ui, const QString& workingPath, bool checked = false,
                   bool holdLock = false);
void CloseProjectDB(OpenProject& project);
} // namespace ADOUtil
