// The KORVA desktop configuration tool.
#include "app/AppContext.h"
#include "app/QtUi.h"
#include "app/Startup.h"
#include "ml/MLUtil.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KORVA"));
    QtUi ui;
    AppContext ctx(ui);
    if (!Startup::StartCore(ctx, QCoreApplication::applicationDirPath(),
                            MLUtil::LocaleIdOf(QLocale::system()))) {
        Startup::CloseCore(ctx);
        return 1;
    }
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("KORVA"));
    window.resize(720, 460);
    window.show();
    const int rc = app.exec();
    Startup::CloseCore(ctx);
    return rc;
}
