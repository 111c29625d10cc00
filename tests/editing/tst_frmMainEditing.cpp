// The main window's Project menu with a project open: the items follow the selected leaf, and
// a command runs through the core, the real dialog and back into the tree.
#include "editing/EditEnv.h"
#include "mainwindow/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

namespace {
QAction* Item(frmMain& w, const char* name) {
    return w.findChild<QAction*>(QLatin1String(name));
}
void OpenProjMenu(frmMain& w) {
    Q_EMIT w.findChild<QMenu*>(QStringLiteral("mnuProj"))->aboutToShow();
}
} // namespace

class TestFrmMainEditing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void projectMenuFollowsTheSelection() {
        EditEnv env;
        QSettings store(env.tmp.filePath(QStringLiteral("placement.ini")), QSettings::IniFormat);
        frmMain w(env.c(), &store);
        OpenProjMenu(w);
        for (const char* name : {"mnuProjAddGroupList", "mnuProjAddTelList", "mnuProjEditGroupList",
                                 "mnuProjEditTelList", "mnuProjEditZoneList",
                                 "mnuProjDeleteGroupList", "mnuProjDeleteTelList"})
            QVERIFY2(!Item(w, name)->isEnabled(), name);

        QVERIFY(env.OpenWith(GroupsSql({"A", "B"}) + UserSql("Tom", "1", "A")));
        QVERIFY(env.Select(QStringLiteral("UserGroups,B")));
        OpenProjMenu(w);
        QCOMPARE(Item(w, "mnuProjEditGroupList")->text(),
                 QStringLiteral("編輯連絡人群組[B](&E)..."));
        QVERIFY(Item(w, "mnuProjDeleteGroupList")->isEnabled());
        QVERIFY(!Item(w, "mnuProjEditZoneList")->isEnabled());

        // Deleting through the menu: the question (answered Yes), the row and the leaf gone.
        Item(w, "mnuProjDeleteGroupList")->trigger();
        QCOMPARE(env.Groups(), QStringLiteral("A="));
        QVERIFY(!env.HasLeaf(QStringLiteral("UserGroups,B")));

        QVERIFY(env.Select(QStringLiteral("Users,Tom")));
        OpenProjMenu(w);
        QCOMPARE(Item(w, "mnuProjEditTelList")->text(), QStringLiteral("編輯連絡人[&Tom]..."));
        QVERIFY(Item(w, "mnuProjDeleteTelList")->isEnabled());
        QCOMPARE(Item(w, "mnuProjEditGroupList")->text(), QStringLiteral("編輯連絡人群組(&E)..."));
        QVERIFY(!Item(w, "mnuProjEditGroupList")->isEnabled());
    }

    void zoneEditorRunsThroughTheRealDialog() {
        EditEnv env;
        QSettings store(env.tmp.filePath(QStringLiteral("placement.ini")), QSettings::IniFormat);
        frmMain w(env.c(), &store);
        QVERIFY(env.OpenWith(GroupsSql({"A"})));
        // The person at the dialog: types a name and presses OK.
        QString shownTitle;
        env.ui.onModal = [&](Window which) -> bool {
            QTimer::singleShot(0, [&] {
                auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (!d) return;
                shownTitle = d->windowTitle();
                d->findChild<QLineEdit*>(QStringLiteral("txtZoneName"))
                    ->setText(QStringLiteral("Back door"));
                d->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
            });
            return w.ShowModal(which);
        };
        QVERIFY(env.Select(QStringLiteral("Zones,9")));
        OpenProjMenu(w);
        QCOMPARE(Item(w, "mnuProjEditZoneList")->text(), QStringLiteral("編輯警報點[9](&Z)..."));
        Item(w, "mnuProjEditZoneList")->trigger();
        QCOMPARE(shownTitle, QStringLiteral("警報區"));
        QCOMPARE(env.Q("SELECT ZoneName FROM Zones WHERE ZoneNo=9"), QStringLiteral("Back door"));
        const QModelIndex leaf = MainView::FindNodeByTag(env.c().view, QStringLiteral("Zones,9"));
        QCOMPARE(env.c().view.tree.Caption(leaf), QStringLiteral("#9-Back door"));
        QVERIFY(env.p().IsModified);
    }
};

QTEST_MAIN(TestFrmMainEditing)
#include "tst_frmMainEditing.moc"
