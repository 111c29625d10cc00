#pragma once
// Start-up and shutdown: the order in which the program comes up and goes down.
#include "mainwindow/Shutdown.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>

struct AppContext;
class QSettings;
class Ui;

namespace Startup {
// The windows that start-up drives; the windows library implements them, tests record them.
class StartupWindows {
public:
    virtual ~StartupWindows() = default;
    virtual void ShowSplash() = 0;     // not modal, painted at once
    virtual void LoadMainWindow() = 0; // texts, then placement; not shown yet
    virtual bool SplashClicked() = 0;
    virtual void UnloadSplash() = 0;
    virtual void FillMainWindow() = 0; // the main window's state with no project open
    virtual void ShowMainWindow() = 0;
};

// The clock of the splash wait. The wait counts wall-clock second boundaries passed, so it
// lasts between two and three seconds; it is measured on a monotonic clock from the phase
// within the wall-clock second at which it began, so a clock change cannot stretch it.
struct SplashClock {
    qint64 phaseMs = 0;                // milliseconds into the second at the start
    std::function<qint64()> elapsedMs; // monotonic time since the start
    std::function<void()> idle;        // a short rest between event rounds
};
SplashClock SystemClock();

// Starts the text system, takes the program folder, sets the communication defaults, reads
// the settings file, opens the system database and loads the recent-files list. False after
// the failure's own message; the program then ends without storing anything.
bool StartCore(AppContext& ctx, const QString& programFolder, int localeId);
// The whole start-up: the core steps, then the splash, the main window loaded, the wait,
// the splash gone, the main window filled and shown. False (and no window shown) when a core
// step failed; the caller then runs AppShutdown(false).
bool Main(AppContext& ctx, const QString& programFolder, int localeId, StartupWindows& windows,
          const SplashClock& clock = SystemClock());
// Waits while at most two second boundaries have passed and the splash was not clicked,
// letting window events run.
void SplashWait(Ui& ui, StartupWindows& windows, const SplashClock& clock);
// The project file named on the command line (the first argument that is no option, taken
// from the folder the program was started in), opened as File > Open opens it, with the
// same messages when it cannot be. False when none was named or it did not open.
bool OpenGivenProject(AppContext& ctx, const QStringList& arguments, const QString& startFolder);
// Loads the recent-files list from the system database: at most four paths, in table order.
void LoadRecentFiles(AppContext& ctx);

} // namespace Startup
