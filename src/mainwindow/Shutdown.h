#pragma once
// Shutdown: the main window's close rule, and what is closed and stored when the program ends.
#include "mainwindow/WindowPlacement.h"

#include <functional>

struct MainContext;
class QSettings;

namespace Shutdown {
// Closes the system database and the text database.
void CloseCore(MainContext& ctx);
// The main window's close rule: an open project is closed first through closeProject (the
// project store's close with its save prompt, returning 2 when the user cancelled it). False
// when the program keeps running.
bool QueryClose(MainContext& ctx, const std::function<int(MainContext&)>& closeProject);

// What shutdown stores of the main window.
struct MainWindowState {
    bool minimized = false;
    WindowPlacement::Placement placement; // twips
    int viewMode = 0;
};
// Closes what is still open (the project's tables, the system database, the text database)
// and, with saveSettings, stores the main window's placement (unless it is minimized) and the
// list's view mode. Ending the event loop is the caller's last step.
void AppShutdown(MainContext& ctx, bool saveSettings, QSettings* placementStore,
                 const MainWindowState& window);
} // namespace Shutdown
