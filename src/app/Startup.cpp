#include "app/Startup.h"

#include "app/AppContext.h"
#include "app/SettingUtil.h"
#include "db/ADOUtil.h"
#include "store/KORVAMain.h"
#include "store/SystemSchema.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <memory>

namespace Startup {

SplashClock SystemClock() {
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    SplashClock c;
    c.phaseMs = QDateTime::currentMSecsSinceEpoch() % 1000;
    c.elapsedMs = [timer] { return timer->elapsed(); };
    c.idle = [] { QThread::msleep(10); };
    return c;
}

bool StartCore(AppContext& ctx, const QString& programFolder, int localeId) {
    if (!MLUtil::MLInit(ctx.ml, ctx.ui, QString(), QString(), localeId)) return false;
    ctx.programFolder = programFolder;
    ctx.recentFiles.clear();
    ctx.comm.PortNo = 1;
    ctx.comm.SlaveID = 247;
    if (!SettingUtil::ReadSettings(ctx)) return false;
    if (!SystemDB::OpenSystemDB(ctx.sysdb, ctx.ui, ctx.ml, ctx.programFolder)) return false;
    LoadRecentFiles(ctx);
    KORVAMain::ProjectFolder(ctx); // an installed program's folder in Documents is made now
    return true;
}

bool Main(AppContext& ctx, const QString& programFolder, int localeId, StartupWindows& windows,
          const SplashClock& clock) {
    if (!StartCore(ctx, programFolder, localeId)) return false;
    windows.ShowSplash();
    windows.LoadMainWindow();
    SplashWait(ctx.ui, windows, clock);
    windows.UnloadSplash();
    windows.FillMainWindow();
    windows.ShowMainWindow();
    return true;
}

void SplashWait(Ui& ui, StartupWindows& windows, const SplashClock& clock) {
    for (;;) {
        const qint64 boundaries = (clock.phaseMs + clock.elapsedMs()) / 1000;
        if (boundaries > 2 || windows.SplashClicked()) return;
        ui.DoEvents();
        if (clock.idle) clock.idle();
    }
}

bool OpenGivenProject(AppContext& ctx, const QStringList& arguments, const QString& startFolder) {
    for (const QString& arg : arguments) {
        if (arg.isEmpty() || arg.startsWith(u'-')) continue;
        const QString path = QDir::cleanPath(QDir(startFolder).absoluteFilePath(arg));
        return KORVAMain::OpenProject(ctx, path);
    }
    return false;
}

void LoadRecentFiles(AppContext& ctx) {
    ctx.recentFiles.clear();
    RowSet* rs = ctx.sysdb.MRUList.get();
    if (!rs || ADOUtil::GetRecordCount(rs) < 1) return;
    for (rs->MoveFirst(); !rs->Eof() && ctx.recentFiles.size() < KORVAMain::kRecentFileCount;
         rs->MoveNext())
        ctx.recentFiles << ADOUtil::NullToStr(rs->Field(SystemSchema::kFilePath));
}

} // namespace Startup
