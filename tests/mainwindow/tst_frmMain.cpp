// The main window: texts by object path, status panels, placement, layout limits, closing.
#include "app/AppFixture.h"
#include "app/frmToolsOptions.h"
#include "base/Twips.h"
#include "mainwindow/QtStatusPanel.h"
#include "mainwindow/frmMain.h"
#include "ml/FormTexts.h"
#include "ml/QtFormTexts.h"
#include "store/KORVAMain.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QSettings>
#include <QSplitter>
#include <QSplitterHandle>
#include <QTest>
#include <QTimer>
#include <QTreeView>

class tst_frmMain : public QObject {
    Q_OBJECT

    static QAction* Item(frmMain& w, const char* name) {
        return w.findChild<QAction*>(QLatin1String(name));
    }
    static QString Store(AppFixture& f) { return f.Path(QStringLiteral("placement.ini")); }

private Q_SLOTS:
    void textsComeFromTheTableByObjectPath() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        QSettings s(Store(f), QSettings::IniFormat);
        frmMain w(f.ctx, &s);
        QCOMPARE(w.windowTitle(), QStringLiteral("SMS Alarm Dialer"));
        QCOMPARE(w.findChild<QMenu*>(QStringLiteral("mnuFile"))->title(), QStringLiteral("&File"));
        QCOMPARE(Item(w, "mnuToolsOptions")->text(), QStringLiteral("&Options..."));
        QCOMPARE(Item(w, "mnuFileNew")->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
        QCOMPARE(Item(w, "mnuViewRefresh")->shortcut(), QKeySequence(Qt::Key_F5));
        QCOMPARE(w.StatusPanel(QStringLiteral("ConnectStatus"))->text(),
                 QStringLiteral(" Offline"));
        QCOMPARE(w.StatusPanel(QStringLiteral("ConnectStatus"))->ImageKey(),
                 QStringLiteral("DisConnect"));
        // Separators stay plain lines; hidden items and the pop-up menu stay hidden.
        QVERIFY(Item(w, "mnuFileBar0")->isSeparator());
        QVERIFY(Item(w, "mnuFileBar0")->text().isEmpty());
        for (const char* hidden : {"mnuFileMRU_1", "mnuViewToolbar", "mnuListViewMode_3",
                                   "mnuHelpContents", "mnuDeviceBar1", "mnuViewWebBrowser"})
            QVERIFY2(!Item(w, hidden)->isVisible(), hidden);
        QVERIFY(!w.mnuProjConent()->menuAction()->isVisible());
        QVERIFY(Item(w, "mnuProjConentMoveUser"));
        // Every path of the window's list names an object of the window.
        QCOMPARE(QtFormTexts::Apply(&w, f.ctx.ml, QStringLiteral("frmMain")), QStringList());
    }

    // Every item that opens a dialog ends with "...", in each language and whatever caption
    // the menu's rule gives it; the others do not.
    void dialogItemsEndWithAnEllipsis_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("ChineseBig5") << "ChineseBig5";
        QTest::newRow("ChineseGB") << "ChineseGB";
        QTest::newRow("English") << "English";
    }
    void dialogItemsEndWithAnEllipsis() {
        QFETCH(QString, language);
        AppFixture f;
        QVERIFY(f.Start(language));
        QSettings s(Store(f), QSettings::IniFormat);
        frmMain w(f.ctx, &s);
        for (const char* menu : {"mnuFile", "mnuProj", "mnuDevice"})
            Q_EMIT w.findChild<QMenu*>(QLatin1String(menu))->aboutToShow();
        for (const char* name :
             {"mnuFileNew", "mnuFileOpen", "mnuFileSaveAs", "mnuFileBasic", "mnuFilePrint",
              "mnuFileImportContacts", "mnuProjAddGroupList", "mnuProjAddTelList",
              "mnuProjEditGroupList", "mnuProjEditTelList", "mnuProjEditZoneList",
              "mnuToolsOptions", "mnuDeviceConnect", "mnuDeviceSetting", "mnuProjConentAddUser",
              "mnuProjConentMoveUser"})
            QVERIFY2(Item(w, name)->text().endsWith(QLatin1String("...")),
                     qPrintable(QLatin1String(name) + u' ' + Item(w, name)->text()));
        for (const char* name : {"mnuFileSave", "mnuFileExit", "mnuProjDeleteGroupList",
                                 "mnuProjDeleteTelList", "mnuDeviceDownLoad", "mnuEditFind"})
            QVERIFY2(!Item(w, name)->text().endsWith(QLatin1String("...")), name);
        QCOMPARE(w.findChild<QMenu*>(QStringLiteral("mnuEdit"))->title().isEmpty(), false);
        // Every item of the menu bar takes its caption from the text table: none keeps the
        // window's own Chinese caption in English.
        if (language == QLatin1String("English"))
            for (const QMenu* m : w.menuBar()->findChildren<QMenu*>())
                for (const QAction* a : m->actions())
                    if (m->objectName() != QLatin1String("mnuProjConent")) // set as it pops up
                        QVERIFY2(
                            !a->text().contains(QRegularExpression(QStringLiteral("\\p{Han}"))),
                            qPrintable(a->objectName() + u' ' + a->text()));
    }

    void aControlMissingFromTheTableGetsEmptyText() {
        AppFixture f;
        QVERIFY(f.Prepare(QStringLiteral("ChineseBig5")));
        QVERIFY(TestEnv::ExecSql(
            f.Path(QStringLiteral("KORVA.ml")),
            QStringLiteral("DELETE FROM Form WHERE FormName='frmMain' AND "
                           "Objectpath IN ('mnuFileExit','sbStatusBar.Panels(3)');")));
        QVERIFY(Startup::StartCore(f.ctx, f.dir.path(), 1028));
        QSettings s(Store(f), QSettings::IniFormat);
        frmMain w(f.ctx, &s);
        QCOMPARE(Item(w, "mnuFileExit")->text(), QString()); // the design text "結束(&X)" is gone
        QCOMPARE(w.StatusPanel(QStringLiteral("ConnectStatus"))->text(), QString());
        QCOMPARE(Item(w, "mnuFileOpen")->text(), QStringLiteral("開啟專案(&O)..."));
        QCOMPARE(w.findChild<QMenu*>(QStringLiteral("mnuDevice"))->title(),
                 QStringLiteral("簡訊報警機(&A)"));
    }

    void objectPathsResolveLikeTheClassicNames() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        QSettings s(Store(f), QSettings::IniFormat);
        frmMain w(f.ctx, &s);
        QCOMPARE(QtFormTexts::Resolve(&w, QStringLiteral("mnuFileMRU(3)")),
                 Item(w, "mnuFileMRU_3"));
        QCOMPARE(QtFormTexts::Resolve(&w, QStringLiteral("sbStatusBar.Panels(2)")),
                 static_cast<QObject*>(w.StatusPanel(QStringLiteral("ProjName"))));
        QCOMPARE(QtFormTexts::Resolve(&w, QStringLiteral("mnuNoSuchItem")), nullptr);
    }

    void statusPanelsByKey() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        QSettings s(Store(f), QSettings::IniFormat);
        frmMain w(f.ctx, &s);
        w.LoadFormObj();
        QCOMPARE(w.StatusPanel(QStringLiteral("Status"))->text(),
                 QStringLiteral("Welcome to the SMS alarm dialer"));
        QCOMPARE(w.StatusPanel(QStringLiteral("ProjName"))->text(), QString());
        w.SetStatusText(QStringLiteral("ProjName"), QStringLiteral("Site A"));
        w.SetStatusText(QStringLiteral("NoSuchPanel"), QStringLiteral("x"));
        QCOMPARE(w.StatusPanel(QStringLiteral("ProjName"))->text(), QStringLiteral("Site A"));
        QCOMPARE(w.StatusPanel(QStringLiteral("Status"))->text(),
                 QStringLiteral("Welcome to the SMS alarm dialer"));
        // The connection panel's image follows the connection flag.
        f.ctx.ConnectStatus = true;
        w.SetStatusText(QStringLiteral("ConnectStatus"), QStringLiteral(" Online"));
        QCOMPARE(w.StatusPanel(QStringLiteral("ConnectStatus"))->ImageKey(),
                 QStringLiteral("Connect"));
        f.ctx.ConnectStatus = false;
        w.SetStatusText(QStringLiteral("ConnectStatus"), QStringLiteral(" Offline"));
        QCOMPARE(w.StatusPanel(QStringLiteral("ConnectStatus"))->ImageKey(),
                 QStringLiteral("DisConnect"));
    }

    void greetingInTheOriginalLanguage() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("ChineseBig5")));
        QSettings s(Store(f), QSettings::IniFormat);
        frmMain w(f.ctx, &s);
        w.LoadFormObj();
        QCOMPARE(w.StatusPanel(QStringLiteral("Status"))->text(),
                 QStringLiteral("歡迎使用 簡訊報警機"));
        QCOMPARE(w.windowTitle(), QStringLiteral("簡訊報警機"));
    }

    void placementIsRestoredAndStored() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        QSettings s(Store(f), QSettings::IniFormat);
        s.setValue(QStringLiteral("Settings/MainLeft"), QStringLiteral("1500"));
        s.setValue(QStringLiteral("Settings/MainTop"), QStringLiteral("900"));
        s.setValue(QStringLiteral("Settings/MainWidth"), QStringLiteral("9000"));
        s.setValue(QStringLiteral("Settings/MainHeight"), QStringLiteral("6000"));
        frmMain w(f.ctx, &s);
        const double dpi = w.Dpi();
        QCOMPARE(w.pos(), QPoint(Twips::ToPixels(1500, dpi), Twips::ToPixels(900, dpi)));
        QCOMPARE(w.size(), QSize(Twips::ToPixels(9000, dpi), Twips::ToPixels(6000, dpi)));

        w.show();
        w.move(Twips::ToPixels(3000, dpi), Twips::ToPixels(600, dpi));
        w.resize(Twips::ToPixels(7500, dpi), Twips::ToPixels(5250, dpi));
        QVERIFY(w.close());
        QVERIFY(w.Ended());
        QCOMPARE(WindowPlacement::Restore(s), (WindowPlacement::Placement{3000, 600, 7500, 5250}));
        QCOMPARE(s.value(QStringLiteral("Settings/ViewMode")).toString(), QStringLiteral("3"));
        QVERIFY(!f.ctx.sysdb.IsOpen());
    }

    void defaultsWhenNothingIsStored() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        QSettings s(Store(f), QSettings::IniFormat);
        frmMain w(f.ctx, &s);
        const double dpi = w.Dpi();
        QCOMPARE(w.geometry().size(),
                 QSize(Twips::ToPixels(10800, dpi), Twips::ToPixels(6900, dpi)));
        QCOMPARE(w.pos(), QPoint(Twips::ToPixels(200, dpi), Twips::ToPixels(200, dpi)));
    }

    void minimizedAtExitKeepsTheStoredPlaceButStoresTheViewMode() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        QSettings s(Store(f), QSettings::IniFormat);
        s.setValue(QStringLiteral("Settings/MainLeft"), QStringLiteral("1500"));
        frmMain w(f.ctx, &s);
        w.showMinimized();
        w.move(0, 0);
        QVERIFY(w.isMinimized());
        Item(w, "mnuFileExit")->trigger();
        QVERIFY(w.Ended());
        QCOMPARE(s.value(QStringLiteral("Settings/MainLeft")).toString(), QStringLiteral("1500"));
        QVERIFY(!s.contains(QStringLiteral("Settings/MainWidth")));
        QCOMPARE(s.value(QStringLiteral("Settings/ViewMode")).toString(), QStringLiteral("3"));
    }

    void cancelledSavePromptKeepsTheWindowOpen() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        QSettings s(Store(f), QSettings::IniFormat);
        frmMain w(f.ctx, &s);
        bool ended = false;
        w.onEnded = [&] { ended = true; };
        f.ctx.project.ProjName = QStringLiteral("Site");
        int answer = 2;
        w.closeProject = [&](MainContext& ctx) {
            if (answer != 2) ctx.project.ProjName.clear();
            return answer;
        };
        w.show();
        QVERIFY(!w.close());
        Item(w, "mnuFileExit")->trigger();
        QVERIFY(w.isVisible());
        QVERIFY(!ended);
        QVERIFY(f.ctx.sysdb.IsOpen());
        QVERIFY(!s.contains(QStringLiteral("Settings/ViewMode")));
        answer = 7; // No: closed without saving
        Item(w, "mnuFileExit")->trigger();
        QVERIFY(ended);
        QVERIFY(!w.isVisible());
        QVERIFY(s.contains(QStringLiteral("Settings/ViewMode")));
    }

    void widthLimitsOfWindowAndPanes() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        QSettings s(Store(f), QSettings::IniFormat);
        frmMain w(f.ctx, &s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QSplitter* sp = w.Splitter();
        QWidget* tree = sp->widget(0);

        // The window never gets narrower than 3000 twips.
        w.resize(10, w.height());
        QCOMPARE(w.width(), w.Px(3000));

        // A wide window keeps the tree's width when it is resized.
        w.resize(w.Px(12000), w.height());
        QApplication::processEvents();
        int x = w.Px(4000);
        w.SizeControls(x);
        QApplication::processEvents();
        QCOMPARE(tree->width(), w.Px(4000));
        w.resize(w.Px(10000), w.height());
        QApplication::processEvents();
        QCOMPARE(tree->width(), w.Px(4000));

        // Narrowed until less than 1500 would be left right of the splitter: it moves left.
        w.resize(w.Px(5000), w.height());
        QApplication::processEvents();
        QCOMPARE(tree->width(), sp->width() - w.Px(1500));

        // SizeControls holds its argument within the limits and reports the corrected value.
        x = 0;
        w.SizeControls(x);
        QCOMPARE(x, w.Px(1500));
        x = 100000;
        w.SizeControls(x);
        QCOMPARE(x, w.width() - w.Px(1500));
    }

    void draggingTheSplitterToTheFarLeftLeavesTheTreeAtItsLeast() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        QSettings s(Store(f), QSettings::IniFormat);
        frmMain w(f.ctx, &s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QSplitter* sp = w.Splitter();
        QSplitterHandle* grip = sp->handle(1);
        const int before = sp->widget(0)->width();
        const QPoint mid(grip->width() / 2, grip->height() / 2);
        QTest::mousePress(grip, Qt::LeftButton, {}, mid);
        QTest::mouseMove(grip, mid - QPoint(before, 0));
        // The panes do not move during the drag.
        QCOMPARE(sp->widget(0)->width(), before);
        QTest::mouseRelease(grip, Qt::LeftButton, {}, mid - QPoint(before, 0));
        QApplication::processEvents();
        QCOMPARE(sp->widget(0)->width(), w.Px(1500));
        // And to the far right: 1500 stays right of it.
        QTest::mousePress(grip, Qt::LeftButton, {}, mid);
        QTest::mouseMove(grip, mid + QPoint(w.width(), 0));
        QTest::mouseRelease(grip, Qt::LeftButton, {}, mid + QPoint(w.width(), 0));
        QApplication::processEvents();
        QCOMPARE(sp->widget(0)->width(), sp->width() - w.Px(1500));
    }

    void optionsCommandOpensTheDialogModally() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        QSettings s(Store(f), QSettings::IniFormat);
        frmMain w(f.ctx, &s);
        frmToolsOptions::Register(w, f.ctx);
        w.show();
        QString seenTitle;
        QString seenRetry;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!d) return;
            seenTitle = d->windowTitle();
            seenRetry = d->findChild<QLineEdit*>(QStringLiteral("txtRetry"))->text();
            d->reject();
        });
        f.ctx.comm.Retry = 5;
        Item(w, "mnuToolsOptions")->trigger();
        QCOMPARE(seenTitle, QStringLiteral("Options"));
        QCOMPARE(seenRetry, QStringLiteral("5"));
        // Help > About opens the About window modally.
        QString aboutTitle;
        QTimer::singleShot(0, [&] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                aboutTitle = d->objectName();
                d->reject();
            }
        });
        Item(w, "mnuHelpAbout")->trigger();
        QCOMPARE(aboutTitle, QStringLiteral("frmAbout"));
    }

    void printAndExportTheSheet() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        const QString project = f.Path(QStringLiteral("Site.cmb"));
        QVERIFY(QFile::copy(f.Path(QStringLiteral("RV27.mdb")), project));
        QVERIFY(KORVAMain::OpenProject(f.ctx, project));
        QSettings s(Store(f), QSettings::IniFormat);
        frmMain w(f.ctx, &s);
        // Print: the preview has the sheet's pages laid out.
        int previewPages = 0;
        QString previewTitle;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!d) return;
            previewTitle = d->windowTitle();
            if (auto* p = d->findChild<QPrintPreviewWidget*>()) previewPages = p->pageCount();
            d->reject();
        });
        Item(w, "mnuFilePrint")->trigger();
        QVERIFY(previewPages >= 2);
        QCOMPARE(previewTitle, QStringLiteral("Print"));
        // Export: the file dialog proposes the project's name beside it; the PDF is written.
        const QString pdf = f.Path(QStringLiteral("out.pdf"));
        f.ui.files.enqueue(pdf);
        Item(w, "mnuFileExportPdf")->trigger();
        QCOMPARE(f.ui.fileDialogs.last().defaultName, QStringLiteral("Site.pdf"));
        QVERIFY(f.ui.fileDialogs.last().overwritePrompt);
        QVERIFY(TestEnv::ReadFile(pdf).startsWith("%PDF"));
        QVERIFY(f.ui.messages.isEmpty());
        QCOMPARE(f.ui.statusLog.last(),
                 QStringLiteral("Status=Exported the project sheet to [") + pdf + u']');
        // Close Project: the project is closed; with nothing open the item is disabled.
        QMenu* file = w.findChild<QMenu*>(QStringLiteral("mnuFile"));
        Q_EMIT file->aboutToShow();
        QVERIFY(Item(w, "mnuFileClose")->isEnabled());
        Item(w, "mnuFileClose")->trigger();
        QVERIFY(!f.ctx.project.IsOpen());
        Q_EMIT file->aboutToShow();
        QVERIFY(!Item(w, "mnuFileClose")->isEnabled());
    }
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
