#include "mainwindow/Shutdown.h"

#include "db/ADOUtil.h"
#include "mainwindow/MainContext.h"

#include <QSettings>

namespace Shutdown {

void CloseCore(MainContext& ctx) {
    SystemDB::CloseSystemDB(ctx.sysdb);
    MLUtil::MLClose(ctx.ml);
}

bool QueryClose(MainContext& ctx, const std::function<int(MainContext&)>& closeProject) {
    if (ctx.project.IsOpen() && closeProject && closeProject(ctx) == 2) return false;
    return true;
}

void AppShutdown(MainContext& ctx, bool saveSettings, QSettings* placementStore,
                 const MainWindowState& window) {
    // The close rule has normally closed the project with its save prompt already; whatever
    // is still open is released so no file stays locked.
    ADOUtil::CloseProjectDB(ctx.project);
    CloseCore(ctx);
    if (saveSettings && placementStore)
        WindowPlacement::Store(*placementStore, window.minimized ? nullptr : &window.placement,
                               window.viewMode);
}

} // namespace Shutdown
