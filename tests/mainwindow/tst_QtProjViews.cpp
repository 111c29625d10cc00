// The main window showing the core's project tree and content list, its File menu rule and
// recent-file items, the basic-information item and the save prompt when it closes.
#include "ProjectEnv.h"
#include "base/Twips.h"
#include "db/ADOUtil.h"
#include "mainwindow/MainView.h"
#include "mainwindow/QtProjViews.h"
#include "mainwindow/QtStatusPanel.h"
#include "mainwindow/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

namespace {
const QString kContent = QStringLiteral("INSERT INTO Users VALUES ('Tom','0911',0,'','A');"
                                        "INSERT INTO Users VALUES ('Ann','0933',1,'','A');"
                                        "INSERT INTO UserGroups VALUES ('A','');");

QAction* Item(frmMain& w, const char* name) {
    return w.findChild<QAction*>(QLatin1String(name));
}

void OpenFileMenu(frmMain& w) {
    Q_EMIT w.findChild<QMenu*>(QStringLiteral("mnuFile"))->aboutToShow();
}

// The tree delegate's style option for a node, as it paints it.
struct DelegateProbe : QtProjTreeDelegate {
    DelegateProbe()
        : QtProjTreeDelegate(ProjTreeModel::ImageKeyRole, ProjTreeModel::GreyRole, nullptr,
                             ProjTreeModel::MatchedRole) {}
    QStyleOptionViewItem Option(const QModelIndex& index) const {
        QStyleOptionViewItem o;
        initStyleOption(&o, index);
        return o;
    }
};
} // namespace

class TestQtProjViews : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void viewsShowTheCoresModels() {
        ProjectEnv e;
        QSettings s(e.tmp.filePath(QStringLiteral("placement.ini")), QSettings::IniFormat);
        frmMain w(*e.ctx, &s);
        w.LoadFormObj();
        QTreeView* tv = w.tvProjectContent();
        QTreeView* lv = w.lvNodeContent();
        QCOMPARE(tv->model(), &e.ctx->view.tree);
        QCOMPARE(tv->selectionModel(), &e.ctx->view.treeSelection);
        QCOMPARE(lv->model(), &e.ctx->view.listShown);

        QVERIFY(e.Open(e.MakeProject(QStringLiteral("P.cmb"), kContent)));
        const QModelIndex root = e.ctx->view.tree.index(0, 0);
        QVERIFY(tv->isExpanded(root));
        QVERIFY(!tv->isExpanded(e.ctx->view.tree.index(0, 0, root)));
        QCOMPARE(w.lbltvProjectContentCaption()->text(), QStringLiteral("P"));
        QCOMPARE(w.lbllvNodeContentCaption()->text(), QStringLiteral("資料"));

        // Selecting a node in the view rebuilds the list; widths come from twips.
        tv->setCurrentIndex(MainView::FindNodeByTag(e.ctx->view, QStringLiteral("Zones")));
        QCOMPARE(w.lbllvNodeContentCaption()->text(), QStringLiteral("警報區域"));
        QCOMPARE(lv->header()->count(), 7);
        const QVector<int> twips = {1000, 1500, 1500, 1300, 1500, 1500, 1000};
        for (int i = 0; i < 7; ++i)
            QCOMPARE(lv->header()->sectionSize(i), Twips::ToPixels(twips[i], w.Dpi()));
        tv->setCurrentIndex(MainView::FindNodeByTag(e.ctx->view, QStringLiteral("UserGroups,A")));
        QCOMPARE(lv->model()->rowCount(), 2);
        // A width the person gives a column is kept for that set of columns.
        tv->setCurrentIndex(MainView::FindNodeByTag(e.ctx->view, QStringLiteral("Zones")));
        lv->header()->resizeSection(1, 333);
        tv->setCurrentIndex(MainView::FindNodeByTag(e.ctx->view, QStringLiteral("UserGroups,A")));
        QCOMPARE(lv->header()->sectionSize(1), Twips::ToPixels(1500, w.Dpi()));
        tv->setCurrentIndex(MainView::FindNodeByTag(e.ctx->view, QStringLiteral("Zones")));
        QCOMPARE(lv->header()->sectionSize(1), 333);
        QCOMPARE(lv->header()->sectionSize(0), Twips::ToPixels(1000, w.Dpi()));
        tv->setCurrentIndex(MainView::FindNodeByTag(e.ctx->view, QStringLiteral("UserGroups,A")));

        // Icons by image key, grey text for the suspended contact.
        DelegateProbe probe;
        const QStyleOptionViewItem ann =
            probe.Option(MainView::FindNodeByTag(e.ctx->view, QStringLiteral("Users,Ann")));
        const QStyleOptionViewItem tom =
            probe.Option(MainView::FindNodeByTag(e.ctx->view, QStringLiteral("Users,Tom")));
        QVERIFY(!ann.icon.isNull() && !tom.icon.isNull());
        QCOMPARE(ann.palette.color(QPalette::Text),
                 ann.palette.color(QPalette::Disabled, QPalette::Text));
        QVERIFY(tom.palette.color(QPalette::Text) !=
                tom.palette.color(QPalette::Disabled, QPalette::Text));
        // Typing in the find box marks the matching leaves in bold.
        QVERIFY(!tom.font.bold());
        QTest::keyClicks(w.txtFind(), QStringLiteral("0911"));
        QVERIFY(probe.Option(MainView::FindNodeByTag(e.ctx->view, QStringLiteral("Users,Tom")))
                    .font.bold());
        QVERIFY(!probe.Option(MainView::FindNodeByTag(e.ctx->view, QStringLiteral("Users,Ann")))
                     .font.bold());
        w.txtFind()->clear();

        // Closed: the panes are empty again.
        QCOMPARE(KORVAMain::CloseProject(*e.ctx), KORVAMain::kSaved);
        QCOMPARE(tv->model()->rowCount(), 0);
        QCOMPARE(lv->header()->count(), 0);
        QCOMPARE(w.lbltvProjectContentCaption()->text(), QString());
    }

    void fileMenuRuleAndRecentItems() {
        ProjectEnv e;
        QSettings s(e.tmp.filePath(QStringLiteral("placement.ini")), QSettings::IniFormat);
        frmMain w(*e.ctx, &s);
        OpenFileMenu(w);
        for (const char* off : {"mnuFileSave", "mnuFileSaveAs", "mnuFileBasic"})
            QVERIFY2(!Item(w, off)->isEnabled(), off);
        QVERIFY(!Item(w, "mnuFileMRU_1")->isVisible());
        QVERIFY(Item(w, "mnuFileNew")->isEnabled() && Item(w, "mnuFileOpen")->isEnabled());

        const QString a = e.MakeProject(QStringLiteral("A.cmb"));
        const QString rd = e.MakeProject(QStringLiteral("R&D.cmb"));
        QVERIFY(e.Open(a));
        QVERIFY(e.Open(rd));
        OpenFileMenu(w);
        QVERIFY(!Item(w, "mnuFileSave")->isEnabled());
        QVERIFY(Item(w, "mnuFileSaveAs")->isEnabled() && Item(w, "mnuFileBasic")->isEnabled());
        QCOMPARE(Item(w, "mnuFileMRU_1")->text(), QString(rd).replace(u'&', QStringLiteral("&&")));
        QCOMPARE(Item(w, "mnuFileMRU_2")->text(), a);
        QVERIFY(Item(w, "mnuFileMRU_2")->isVisible());
        QVERIFY(!Item(w, "mnuFileMRU_3")->isVisible() && !Item(w, "mnuFileMRU_3")->isEnabled());
        e.ctx->project.IsModified = true;
        OpenFileMenu(w);
        QVERIFY(Item(w, "mnuFileSave")->isEnabled());

        // A recent item opens its path; one with "&" in it too.
        e.ui.answers.enqueue(vbNo);
        Item(w, "mnuFileMRU_2")->trigger();
        QCOMPARE(e.ctx->project.ProjPath, a);
        OpenFileMenu(w);
        Item(w, "mnuFileMRU_2")->trigger();
        QCOMPARE(e.ctx->project.ProjPath, rd);
        QCOMPARE(e.ui.messages.size(), 1); // the save prompt of the modified project
    }

    // Ctrl+S right after an edit saves, though the File menu was never opened since. The title
    // names the project and marks it modified until the save, which the status bar reports.
    void saveShortcutFollowsTheProject() {
        ProjectEnv e;
        QSettings s(e.tmp.filePath(QStringLiteral("placement.ini")), QSettings::IniFormat);
        frmMain w(*e.ctx, &s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString caption = w.windowTitle();
        const QString a = e.MakeProject(QStringLiteral("A.cmb"));
        QVERIFY(e.Open(a));
        QCOMPARE(w.windowTitle(), QStringLiteral("KORVA - A.cmb[*]"));
        QVERIFY(!w.isWindowModified());
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier); // nothing to save yet
        QVERIFY(e.ui.messages.isEmpty());
        KORVAMain::SetModified(*e.ctx, true);
        QVERIFY(w.isWindowModified());
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!e.ctx->project.IsModified);
        QVERIFY(!w.isWindowModified());
        QCOMPARE(w.StatusPanel(QStringLiteral("Status"))->text(), QStringLiteral("已儲存 A.cmb"));
        QCOMPARE(KORVAMain::CloseProject(*e.ctx), KORVAMain::kSaved);
        QCOMPARE(w.windowTitle(), caption);
    }

    void basicItemAndClosingWithTheSavePrompt() {
        ProjectEnv e;
        QSettings s(e.tmp.filePath(QStringLiteral("placement.ini")), QSettings::IniFormat);
        frmMain w(*e.ctx, &s);
        const QString a = e.MakeProject(
            QStringLiteral("A.cmb"), QStringLiteral("UPDATE Basic SET ModifiedDate='2001-01-01'"));
        QVERIFY(e.Open(a));

        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            shown = dlg && dlg->objectName() == QLatin1String("frmProjBasic");
            if (dlg) dlg->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
        });
        Item(w, "mnuFileBasic")->trigger();
        QVERIFY(shown);
        QVERIFY(e.ctx->project.IsModified);
        QVERIFY(w.isWindowModified());
        QCOMPARE(ProjectEnv::Sql3(e.ctx->project.MirPath,
                                  QStringLiteral("SELECT ModifiedDate FROM Basic")),
                 QDate::currentDate().toString(Qt::ISODate));

        e.ui.answers.enqueue(vbCancel);
        QVERIFY(!w.close());
        QVERIFY(e.ctx->project.IsOpen());
        QVERIFY(e.ctx->project.IsModified);
        e.ui.answers.enqueue(vbYes);
        QVERIFY(w.close());
        QVERIFY(!e.ctx->project.IsOpen());
        QVERIFY(!QFile::exists(e.InProjects(QStringLiteral("A.mir"))));
        QCOMPARE(ProjectEnv::Sql3(a, QStringLiteral("SELECT ModifiedDate FROM Basic")),
                 QDate::currentDate().toString(Qt::ISODate));
    }
};

QTEST_MAIN(TestQtProjViews)
#include "tst_QtProjViews.moc"
