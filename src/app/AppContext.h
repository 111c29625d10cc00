#pragma once
// The process-wide state, owned by main() or by a test. Procedures take it (or the part
// they need) as their first argument; there are no globals.
#include "app/Ui.h"
#include "device/CommLink.h"
#include "device/CommValues.h"
#include "editing/EditForms.h"
#include "mainwindow/MainView.h"
#include "ml/MLUtil.h"
#include "store/OpenProject.h"
#include "store/SystemDb.h"

#include <QString>
#include <QStringList>
#include <memory>

class SerialPort;

struct AppContext {
    explicit AppContext(Ui& ui);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    Ui& ui;
    QString programFolder;       // the folder that holds the executable and its data
    CommValues comm;
    MLState ml;
    SystemDb sysdb;
    OpenProject project;
    QStringList recentFiles;     // entries 1..4 of the recent-files list, newest first
    MainViewState view;          // project tree, content list and pane captions frmMain shows
    EditForms forms;             // the editing dialogs' state, loaded before each is shown
    bool ConnectStatus = false;
    int NotifyTargetCount = 0;
    std::unique_ptr<SerialPort> port;
    CommLink link;               // retry pause, frame observer, last port failure

};
