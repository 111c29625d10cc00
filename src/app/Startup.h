#pragma once
// The start-up steps that need no window, and the closing steps of shutdown.
#include <QString>

struct AppContext;

namespace Startup {
// Starts the text system, takes the program folder, sets the communication defaults, reads
// the settings file, opens the system database and loads the recent-files list. False after
// the failure's own message; the program then ends without storing anything.
bool StartCore(AppContext& ctx, const QString& programFolder, int localeId);
// Loads the recent-files list from the system database: at most four paths, in table order.
void LoadRecentFiles(AppContext& ctx);
// Closes the system database and the text database.
void CloseCore(AppContext& ctx);
} // namespace Startup
