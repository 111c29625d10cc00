// The KORVA desktop configuration tool.
#include "app/AppContext.h"
#include "app/Startup.h"
#include "app/UserFolder.h"
#include "app/frmSplash.h"
#include "app/frmToolsOptions.h"
#include "base/QtIcons.h"
#include "device/frmMessage.h"
#include "mainwindow/frmMain.h"
#include "ml/MLUtil.h"
#include "ml/QtUi.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace {
// The windows of start-up.
class Windows : public Startup::StartupWindows {
public:
    Windows(AppContext& ctx, QtUi& ui) : m_ctx(ctx), m_ui(ui) {}

    void ShowSplash() override {
        m_splash = std::make_unique<frmSplash>(m_ctx.ml);
        m_splash->show();
        m_splash->repaint();
        QApplication::processEvents();
    }
    void LoadMainWindow() override {
        QtUi::ApplyFonts(m_ctx.ml.AppliedLang);
        LoadQtTexts(m_ctx.ml.AppliedLang);
        main = std::make_unique<frmMain>(m_ctx);
        frmMain* w = main.get();
        frmToolsOptions::Register(*w, m_ctx);
        m_ui.SetParentWindow(w);
        m_ui.statusSink = [w](const QString& key, const QString& text) {
            w->SetStatusText(key, text);
        };
        m_ui.modalSink = [w](Window which) { return w->ShowModal(which); };
        frmMessage::Attach(m_ui, m_ctx.ml, w); // the device link's progress window
        w->onEnded = [] { QCoreApplication::exit(0); };
    }
    bool SplashClicked() override { return m_splash && m_splash->Clicked(); }
    void UnloadSplash() override { m_splash.reset(); }
    void FillMainWindow() override { main->LoadFormObj(); }
    void ShowMainWindow() override { main->show(); }

    std::unique_ptr<frmMain> main;

private:
    // Qt's own texts (message box buttons, file dialogs) in the applied language.
    void LoadQtTexts(const QString& language) {
        const QString locale = language == QLatin1String("ChineseBig5") ? QStringLiteral("zh_TW")
                               : language == QLatin1String("ChineseGB") ? QStringLiteral("zh_CN")
                                                                        : QString();
        if (locale.isEmpty()) return;
        if (m_qtTexts.load(QStringLiteral("qtbase_") + locale,
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&m_qtTexts);
    }
    QTranslator m_qtTexts;
    AppContext& m_ctx;
    QtUi& m_ui;
    std::unique_ptr<frmSplash> m_splash;
};
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString startFolder = QDir::currentPath(); // a project named on the command line
    QApplication::setApplicationName(QStringLiteral("KORVA"));
    QApplication::setWindowIcon(QtIcons::AppIcon());
    QtUi::ApplyFonts(QString());
    QtUi ui;
    AppContext ctx(ui);
    ui.SetML(&ctx.ml);
    // Installed: the program runs from the person's own copy of its data.
    const QString programFolder =
        UserFolder::ChooseProgramFolder(ui, ctx.ml, QCoreApplication::applicationDirPath());
    if (programFolder.isEmpty()) return 1;
    ui.SetProgramFolder(programFolder);

    Windows windows(ctx, ui);
    if (!Startup::Main(ctx, programFolder, MLUtil::LocaleIdOf(QLocale::system()), windows)) {
        Shutdown::AppShutdown(ctx, false, nullptr, {});
        return 1;
    }
    // A project file given on the command line (a double-click in the file manager).
    Startup::OpenGivenProject(ctx, QCoreApplication::arguments().mid(1), startFolder);
    const int rc = app.exec();
    // Ended some other way than through the main window (the session closing, say).
    if (windows.main && !windows.main->Ended()) windows.main->AppShutdown(true);
    return rc;
}
