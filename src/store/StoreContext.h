#pragma once
// What the project store works on: the person (Ui), the program folder, the texts, the
// system database, the open project and the recent-files list. Each layer above adds its
// own part by deriving from the one below; the program's whole context is the top one.
#include "base/Ui.h"
#include "ml/MLUtil.h"
#include "store/OpenProject.h"
#include "store/StoreEvents.h"
#include "store/SystemDb.h"

#include <QString>
#include <QStringList>

struct StoreContext {
    explicit StoreContext(Ui& u) : ui(u) {}
    StoreContext(const StoreContext&) = delete;
    StoreContext& operator=(const StoreContext&) = delete;

    Ui& ui;
    QString programFolder; // the folder that holds the executable and its data
    MLState ml;
    SystemDb sysdb;
    OpenProject project;
    QStringList recentFiles; // entries 1..4 of the recent-files list, newest first
    // The project file dialog keeps the folder and file name of its last use.
    QString dlgFolder;
    QString dlgFileName;
    StoreEvents storeEvents;
    // The download history file; empty: the per-user one (DownloadHistory::DefaultPath).
    QString historyPath;
};
