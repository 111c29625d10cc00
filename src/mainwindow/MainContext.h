#pragma once
// The device context with what the main window shows. Its views listen to the store's and
// the editing operations' events from the moment it is made.
#include "device/DeviceContext.h"
#include "mainwindow/MainView.h"

struct MainContext : DeviceContext {
    explicit MainContext(Ui& ui);

    MainViewState view; // project tree, content list and pane captions frmMain shows
};
