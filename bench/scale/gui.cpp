// The main window on a large project, as a person uses it: File > Open to an idle, painted
// window, then the slowest editing clicks, each through the window's own menu item with its
// undo step, its tree and list updates and its confirmations answered yes:
//  - Edit group on the group every contact is in, renamed in the dialog and confirmed with OK;
//  - Delete group on a group a sixteenth of the contacts and a fraction of the zones are in.
// Each time is the elapsed time from the click until the event queue is empty and the window
// has painted; the process's CPU time over the same span is printed beside it. Medians of
// --runs runs (5). Usage: QT_QPA_PLATFORM=offscreen scale-gui-bench [--sizes 1280,12800]
// [--runs N]
#include "../support/NullUi.h"
#include "../support/ScaleProject.h"
#include "app/AppContext.h"
#include "app/Startup.h"
#include "db/ADOUtil.h"
#include "editing/EditWindows.h"
#include "editing/UndoStack.h"
#include "mainwindow/Shutdown.h"
#include "mainwindow/frmMain.h"
#include "store/KORVAMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace {
const QString kBin = QStringLiteral(KORVA_BIN_DIR);

// A person who opens the file asked for, confirms every question and types the new group
// name into the group dialog before pressing OK.
class PersonUi : public YesUi {
public:
    EditContext* ctx = nullptr;
    QString file;
    QString newGroupName;
    std::optional<QString> FileDialog(FileDialogKind, const FileDialogSetup&) override {
        return file;
    }
    bool ShowModal(Window which) override {
        if (which != Windows::frmEditGroupList || !ctx) return false;
        ctx->forms.editGroupList.lblGroupName = newGroupName;
        return ctx->forms.editGroupList.cmdOK_Click(*ctx);
    }
};

double CpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

struct Span {
    double wall = 0, cpu = 0;
};

// The click, then events until none is left and the window has painted.
Span Click(QWidget& window, const std::function<void()>& click) {
    QElapsedTimer t;
    const double cpu = CpuMs();
    t.start();
    click();
    for (int i = 0; i < 3; ++i) {
        QEventLoop loop;
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
        loop.exec();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    window.repaint();
    return {t.nsecsElapsed() / 1e6, CpuMs() - cpu};
}

Span Median(QVector<Span> v) {
    std::sort(v.begin(), v.end(), [](const Span& a, const Span& b) { return a.wall < b.wall; });
    return v.isEmpty() ? Span{} : v[v.size() / 2];
}

QAction* Item(QWidget& window, const char* name) {
    return window.findChild<QAction*>(QLatin1String(name));
}
} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const ScaleOptions options(app.arguments(), {1280, 12800});
    const QList<int>& sizes = options.sizes;
    const int runs = options.runs;
    QTemporaryDir tmp;
    const QString bin = StageProgramFolder(tmp, kBin);
    PersonUi ui;
    AppContext ctx(ui);
    ui.ctx = &ctx;
    if (!Startup::StartCore(ctx, bin, 1028)) {
        std::fprintf(stderr, "The program folder would not start\n");
        return 1;
    }
    QSettings settings(tmp.filePath(QStringLiteral("placement.ini")), QSettings::IniFormat);
    frmMain window(ctx, &settings);
    window.show();
    Click(window, [] {});

    std::printf("%-22s %8s %12s %12s\n", "click", "contacts", "elapsed ms", "cpu ms");
    const auto print = [](const char* name, int n, const Span& s) {
        std::printf("%-22s %8d %12.1f %12.1f\n", name, n, s.wall, s.cpu);
        std::fflush(stdout);
    };
    for (const int n : sizes) {
        const QString project = tmp.filePath(QStringLiteral("KORVA/Project/p%1.cmb").arg(n));
        if (!MakeScaleProject(bin + QStringLiteral("/RV27.mdb"), project, n)) {
            std::fprintf(stderr, "could not make the project of %d contacts\n", n);
            return 1;
        }
        ui.file = project;
        const auto open = [&] {
            KORVAMain::CloseProject(ctx);
            return Click(window, [&] { Item(window, "mnuFileOpen")->trigger(); });
        };
        QVector<Span> opens, renames, deletes;
        for (int r = 0; r < runs; ++r)
            opens << open();
        if (!ctx.project.IsOpen()) {
            std::fprintf(stderr, "the project of %d contacts did not open\n", n);
            return 1;
        }
        print("open to idle", n, Median(opens));

        for (int r = 0; r < runs; ++r) {
            const QString from = r % 2 ? QStringLiteral("Renamed") : QStringLiteral("Group1");
            ui.newGroupName = r % 2 ? QStringLiteral("Group1") : QStringLiteral("Renamed");
            ADOUtil::LocateRecord(ctx.project.UserGroups.get(), QStringLiteral("GroupName"), from);
            renames << Click(window, [&] { Item(window, "mnuProjEditGroupList")->trigger(); });
        }
        print("rename group", n, Median(renames));

        for (int r = 0; r < runs; ++r) {
            const QString name = QStringLiteral("Group%1").arg(2 + r);
            ADOUtil::LocateRecord(ctx.project.UserGroups.get(), QStringLiteral("GroupName"), name);
            deletes << Click(window, [&] { Item(window, "mnuProjDeleteGroupList")->trigger(); });
        }
        print("delete group", n, Median(deletes));
        // Every click above was one undo step.
        std::printf("%-22s %8d %12d\n", "undo steps", n, window.History().Count());
        KORVAMain::CloseProject(ctx);
    }
    Shutdown::CloseCore(ctx);
    return 0;
}
