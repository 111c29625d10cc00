#include "app/Startup.h"

#include "app/AppContext.h"
#include "app/SettingUtil.h"
#include "store/ADOUtil.h"

namespace Startup {

bool StartCore(AppContext& ctx, const QString& programFolder, int localeId) {
    if (!MLUtil::MLInit(ctx.ml, ctx.ui, QString(), QString(), localeId)) return false;
    ctx.programFolder = programFolder;
    ctx.recentFiles.clear();
    ctx.comm.PortNo = 1;
    ctx.comm.SlaveID = 247;
    if (!SettingUtil::ReadSettings(ctx)) return false;
    if (!SystemDB::OpenSystemDB(ctx.sysdb, ctx.ui, ctx.ml, ctx.programFolder)) return false;
    LoadRecentFiles(ctx);
    return true;
}

void LoadRecentFiles(AppContext& ctx) {
    ctx.recentFiles.clear();
    RowSet* rs = ctx.sysdb.MRUList.get();
    if (!rs || ADOUtil::GetRecordCount(rs) < 1) return;
    for (rs->MoveFirst(); !rs->Eof() && ctx.recentFiles.size() < 4; rs->MoveNext())
        ctx.recentFiles << ADOUtil::NullToStr(rs->Field(QStringLiteral("FilePath")));
}

void CloseCore(AppContext& ctx) {
    SystemDB::CloseSystemDB(ctx.sysdb);
    MLUtil::MLClose(ctx.ml);
}

} // namespace Startup
