// korva-shots PROGRAM_FOLDER OUT_DIR
//
// Starts the program's core in PROGRAM_FOLDER (its KORVA.set decides the language), builds
// the windows as the program does and saves each as a PNG in OUT_DIR: the splash, the main
// window, each menu of the menu bar opened, the options dialog and the text input window.
// Window placement goes to a settings file in OUT_DIR, never to the user's own settings.
#include "app/AppContext.h"
#include "base/QtIcons.h"
#include "ml/QtUi.h"
#include "app/Startup.h"
#include "ml/frmKeyInString.h"
#include "app/frmSplash.h"
#include "app/frmToolsOptions.h"
#include "mainwindow/frmMain.h"
#include "ml/MLUtil.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QElapsedTimer>
#include <cstdio>

static bool Save(QWidget* w, const QString& dir, const QString& name) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 150) QApplication::processEvents(QEventLoop::AllEvents, 20);
    const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: korva-shots PROGRAM_FOLDER OUT_DIR\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString out = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(out);
    QDir::setCurrent(folder);
    QApplication::setWindowIcon(QtIcons::AppIcon());

    QtUi ui;
    AppContext ctx(ui);
    ui.SetML(&ctx.ml);
    ui.SetProgramFolder(folder);
    if (!Startup::StartCore(ctx, folder, MLUtil::LocaleIdOf(QLocale::system()))) return 1;
    QtUi::ApplyFonts(ctx.ml.AppliedLang);
    std::printf("language %s\n", qPrintable(ctx.ml.AppliedLang));

    bool ok = true;
    {
        frmSplash splash(ctx.ml);
        splash.show();
        ok &= Save(&splash, out, QStringLiteral("splash"));
    }

    QSettings store(QDir(out).filePath(QStringLiteral("placement.ini")), QSettings::IniFormat);
    frmMain w(ctx, &store);
    ui.SetParentWindow(&w);
    ui.statusSink = [&w](const QString& k, const QString& t) { w.SetStatusText(k, t); };
    w.LoadFormObj();
    w.show();
    ok &= Save(&w, out, QStringLiteral("main"));

    for (QAction* a : w.menuBar()->actions()) {
        QMenu* m = a->menu();
        if (!m || !a->isVisible()) continue;
        m->popup(w.mapToGlobal(w.menuBar()->actionGeometry(a).bottomLeft()));
        ok &= Save(m, out, QStringLiteral("menu-") + m->objectName());
        m->hide();
    }

    frmToolsOptions options(ctx, &w);
    options.LoadFormObj();
    options.show();
    ok &= Save(&options, out, QStringLiteral("options"));
    options.hide();

    frmKeyInString keyIn(&ctx.ml, &w);
    keyIn.setWindowTitle(QStringLiteral("新增連絡人群組"));
    keyIn.findChild<QLabel*>(QStringLiteral("lbKeyInString"))->setText(QStringLiteral("請輸入新群組名稱:"));
    keyIn.findChild<QLineEdit*>(QStringLiteral("txtKeyInString"))->setText(QStringLiteral("群組1"));
    keyIn.show();
    ok &= Save(&keyIn, out, QStringLiteral("keyin"));
    keyIn.hide();

    w.AppShutdown(false);
    return ok ? 0 : 1;
}
