// The main window's pop-up menu, double-click and keys: a right click over the tree or the
// list pops the menu up with the rule's items, its items reach their dialogs, a double click
// (or Enter, F2) opens the editor of the row under it, and Delete deletes it. Shift+F10 and the
// Menu key pop the same menu up at the focused item; the find box filters the list, a header
// click sorts it, and the commands reach the core's row through both.
#include "editing/EditEnv.h"
#include "editing/EditWindows.h"
#include "editing/KORVAUtil.h"
#include "mainwindow/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QTimer>
#include <QTreeView>

namespace {
QAction* Item(frmMain& w, const char* name) {
    return w.findChild<QAction*>(QLatin1String(name));
}

// The shown items of the pop-up menu, "-" for a separator; nothing when it is not up.
QStringList ShownItems(frmMain& w) {
    QMenu* menu = w.mnuProjConent();
    QStringList shown;
    if (!menu->isVisible()) return shown;
    for (QAction* a : menu->actions()) {
        if (a->objectName() == QLatin1String("mnuProjConentBarUndo")) break;
        if (a->isVisible()) shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    return shown;
}

// A right click over the view's row (or its empty area when index is invalid), as the
// platform delivers it; the shown items of the pop-up afterwards, "-" for a separator, or
// nothing when no menu popped up. Undo and Redo, which end every menu, are left out.
QStringList RightClick(frmMain& w, QTreeView* view, const QModelIndex& index = {}) {
    QWidget* vp = view->viewport();
    const QPoint pos = index.isValid() ? view->visualRect(index).center()
                                       : QPoint(vp->width() - 2, vp->height() - 2);
    QContextMenuEvent ev(QContextMenuEvent::Mouse, pos, vp->mapToGlobal(pos));
    QApplication::sendEvent(vp, &ev);
    const QStringList shown = ShownItems(w);
    w.mnuProjConent()->hide();
    return shown;
}

// The list's row whose item text is text.
QModelIndex ListRow(frmMain& w, const QString& text) {
    const QAbstractItemModel* m = w.lvNodeContent()->model();
    for (int r = 0; r < m->rowCount(); ++r)
        if (m->index(r, 0).data().toString() == text) return m->index(r, 0);
    return {};
}

struct Window_ {
    EditEnv env;
    QSettings store{env.tmp.filePath(QStringLiteral("placement.ini")), QSettings::IniFormat};
    frmMain w{env.c(), &store};
    bool Open(const QString& sql) {
        if (!env.OpenWith(sql)) return false;
        w.show();
        w.tvProjectContent()->expandAll();
        return QTest::qWaitForWindowExposed(&w);
    }
    // Selects the tree node as a click would: the list follows.
    bool Select(const QString& tag) {
        const QModelIndex node = MainView::FindNodeByTag(env.c().view, tag);
        if (!node.isValid()) return false;
        w.tvProjectContent()->setCurrentIndex(node);
        return MainView::SelectedNode(env.c().view) == node;
    }
    // Selects every row of the list, as Ctrl+A does.
    QStringList SelectAllRows() {
        w.lvNodeContent()->setFocus();
        QTest::keyClick(w.lvNodeContent(), Qt::Key_A, Qt::ControlModifier);
        return w.SelectedListKeys();
    }
    bool SelectListRow(const QString& text) {
        const QModelIndex row = ListRow(w, text);
        if (row.isValid()) w.lvNodeContent()->setCurrentIndex(row);
        return row.isValid();
    }
};
} // namespace

class TestFrmMainPopup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void treeRightClickShowsTheRulesItems() {
        Window_ t;
        QVERIFY(
            t.Open(GroupsSql({"A", "B"}) + UserSql("Tom", "1", "A") + UserSql("R&D", "2", "A")));
        QTreeView* tv = t.w.tvProjectContent();

        QVERIFY(t.Select(QStringLiteral("ProjName")));
        QCOMPARE(RightClick(t.w, tv), QStringList());
        QVERIFY(t.Select(QStringLiteral("Zones")));
        QCOMPARE(RightClick(t.w, tv), QStringList());

        QVERIFY(t.Select(QStringLiteral("Users,Tom")));
        QCOMPARE(RightClick(t.w, tv), (QStringList{"新增連絡人...", "-", "刪除連絡人[Tom]",
                                                   "編輯連絡人[Tom]...", "-", "加入新群組..."}));
        QVERIFY(t.Select(QStringLiteral("UserGroups,B")));
        QCOMPARE(RightClick(t.w, tv),
                 (QStringList{"新增連絡人群組...", "-", "刪除連絡人群組[B]", "編輯連絡人群組[B]...",
                              "-", "加入其它連絡人...", "轉移到其它群組..."}));
        // A name with "&" shows it as itself.
        QVERIFY(t.Select(QStringLiteral("Users,R&D")));
        QCOMPARE(RightClick(t.w, tv).value(3), QStringLiteral("編輯連絡人[R&&D]..."));
        // Items the previous menu showed are hidden again, and the contact item is unnamed.
        QVERIFY(t.Select(QStringLiteral("Zones,3")));
        QCOMPARE(RightClick(t.w, tv), QStringList{"編輯警報點[3]..."});
        QCOMPARE(Item(t.w, "mnuProjConentEditTelList")->text(), QStringLiteral("編輯連絡人..."));
        // No menu for the root leaves the items as the last menu set them.
        QVERIFY(t.Select(QStringLiteral("ProjName")));
        QCOMPARE(RightClick(t.w, tv), QStringList());
        QVERIFY(Item(t.w, "mnuProjConentEditZoneList")->isVisible());
    }

    void popupItemsReachTheirDialogs() {
        Window_ t;
        QVERIFY(
            t.Open(GroupsSql({"A", "B"}) + UserSql("Tom", "1", "B") + UserSql("Ann", "2", "A")));
        EditEnv& env = t.env;
        QTreeView* tv = t.w.tvProjectContent();

        // "加入新群組..." on a contact: the add-group dialog for that contact.
        QVERIFY(t.Select(QStringLiteral("Users,Ann")));
        QVERIFY(!RightClick(t.w, tv).isEmpty());
        Item(t.w, "mnuProjConentAddGroup")->trigger();
        QCOMPARE(env.ui.modalsShown, QList<Window>{Windows::frmAddUserGroup});
        QCOMPARE(env.c().forms.addUserGroup.lblUserName, QStringLiteral("Ann"));

        // "刪除連絡人[Ann]" from the list's menu deletes the contact the menu named.
        QVERIFY(t.Select(QStringLiteral("Users")));
        QVERIFY(t.SelectListRow(QStringLiteral("Ann")));
        QCOMPARE(RightClick(t.w, t.w.lvNodeContent(), ListRow(t.w, QStringLiteral("Ann"))).value(2),
                 QStringLiteral("刪除連絡人[Ann]"));
        Item(t.w, "mnuProjConentDeleteTelList")->trigger();
        QCOMPARE(env.Users(), QStringLiteral("Tom=B"));

        // "轉移到其它群組..." on a group, through the real dialog: B's contacts move to A.
        env.ui.onModal = [&](Window which) -> bool {
            QTimer::singleShot(0, [] {
                auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (!d) return;
                d->findChild<QComboBox*>(QStringLiteral("cmbMoveGroup"))->setCurrentIndex(0);
                d->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
            });
            return t.w.ShowModal(which);
        };
        QVERIFY(t.Select(QStringLiteral("UserGroups,B")));
        QVERIFY(!RightClick(t.w, tv).isEmpty());
        Item(t.w, "mnuProjConentMoveUser")->trigger();
        QCOMPARE(env.ui.modalsShown.last(), Windows::frmMoveUsers);
        QCOMPARE(env.Users(), QStringLiteral("Tom=A"));
        env.ui.onModal = nullptr;

        // "加入其它連絡人..." on a group row of the groups branch's list: that group.
        QVERIFY(t.Select(QStringLiteral("UserGroups")));
        QVERIFY(t.SelectListRow(QStringLiteral("B")));
        QCOMPARE(RightClick(t.w, t.w.lvNodeContent(), ListRow(t.w, QStringLiteral("B"))).value(5),
                 QStringLiteral("加入其它連絡人..."));
        Item(t.w, "mnuProjConentAddUser")->trigger();
        QCOMPARE(env.ui.modalsShown.last(), Windows::frmAddOtherUser);
        QCOMPARE(env.c().forms.addOtherUser.cmbAddUser.items, QStringList{"Tom"});

        // At the model's limit the add item shows the limit message and opens nothing.
        KORVAUtil::CountNotifyTargets(env.c());
        env.p().MaxTelNo = env.c().NotifyTargetCount;
        const qsizetype before = env.ui.modalsShown.size();
        Item(t.w, "mnuProjConentAddUser")->trigger();
        QCOMPARE(env.ui.modalsShown.size(), before);
        QCOMPARE(env.ui.messages.last().title,
                 QStringLiteral("通知對象[群組/連絡人]已超過最大筆數"));
    }

    void listRightClickOnAMemberShowsNoMenu() {
        Window_ t;
        QVERIFY(t.Open(GroupsSql({"A"}) + UserSql("Tom", "1", "A")));
        QVERIFY(t.Select(QStringLiteral("UserGroups,A")));
        QVERIFY(t.SelectListRow(QStringLiteral("Tom")));
        QCOMPARE(RightClick(t.w, t.w.lvNodeContent(), ListRow(t.w, QStringLiteral("Tom"))),
                 QStringList());
        // The zones branch's list: the zone of the row.
        QVERIFY(t.Select(QStringLiteral("Zones")));
        QVERIFY(t.SelectListRow(QStringLiteral("9")));
        QCOMPARE(RightClick(t.w, t.w.lvNodeContent(), ListRow(t.w, QStringLiteral("9"))),
                 QStringList{"編輯警報點[9]..."});
    }

    void doubleClickOpensTheEditor() {
        Window_ t;
        QVERIFY(t.Open(GroupsSql({"A"}) + UserSql("Tom", "1", "A")));
        EditEnv& env = t.env;
        QTreeView* tv = t.w.tvProjectContent();
        QTreeView* lv = t.w.lvNodeContent();

        // A zone leaf of the tree.
        QVERIFY(t.Select(QStringLiteral("Zones,4")));
        const QModelIndex leaf = MainView::FindNodeByTag(env.c().view, QStringLiteral("Zones,4"));
        // A double click comes after the first click's press and release.
        QTest::mouseClick(tv->viewport(), Qt::LeftButton, {}, tv->visualRect(leaf).center());
        QTest::mouseDClick(tv->viewport(), Qt::LeftButton, {}, tv->visualRect(leaf).center());
        QCOMPARE(env.ui.modalsShown, QList<Window>{Windows::frmEditZoneList});
        QCOMPARE(env.c().forms.editZoneList.lblZoneNo, QStringLiteral("4"));

        // The root's overview row "群組": the groups branch selected, expanded, its table shown.
        QVERIFY(t.Select(QStringLiteral("ProjName")));
        const QModelIndex groupsRow = ListRow(t.w, QStringLiteral("群組"));
        QVERIFY(groupsRow.isValid());
        QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, lv->visualRect(groupsRow).center());
        QTest::mouseDClick(lv->viewport(), Qt::LeftButton, {}, lv->visualRect(groupsRow).center());
        const QModelIndex groups =
            MainView::FindNodeByTag(env.c().view, QStringLiteral("UserGroups"));
        QCOMPARE(tv->currentIndex(), groups);
        QVERIFY(tv->isExpanded(groups));
        QCOMPARE(t.w.lbllvNodeContentCaption()->text(), QStringLiteral("連絡人群組"));
        QVERIFY(ListRow(t.w, QStringLiteral("A")).isValid());

        // A group row of that table: the group editor.
        const QModelIndex a = ListRow(t.w, QStringLiteral("A"));
        QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, lv->visualRect(a).center());
        QTest::mouseDClick(lv->viewport(), Qt::LeftButton, {}, lv->visualRect(a).center());
        QCOMPARE(env.ui.modalsShown,
                 (QList<Window>{Windows::frmEditZoneList, Windows::frmEditGroupList}));
        QCOMPARE(env.c().forms.editGroupList.oldName, QStringLiteral("A"));
    }

    // Whatever the selection sets as captions, every Project-menu item keeps its own key.
    void projectMenuItemsKeepTheirAccessKeys() {
        Window_ t;
        QVERIFY(t.Open(GroupsSql({"A"}) + UserSql("R&D", "1", "A")));
        QMenu* menu = t.w.findChild<QMenu*>(QStringLiteral("mnuProj"));
        for (const char* node : {"ProjName", "Users", "Users,R&D", "UserGroups,A", "Zones,1"}) {
            QVERIFY(t.Select(QLatin1String(node)));
            Q_EMIT menu->aboutToShow();
            QSet<int> keys;
            for (QAction* a : menu->actions()) {
                if (a->isSeparator()) continue;
                const QKeySequence key = QKeySequence::mnemonic(a->text());
                QVERIFY2(!key.isEmpty(), qPrintable(a->text()));
                keys << key[0].toCombined();
            }
            QCOMPARE(keys.size(), 7);
        }
    }

    void keysOpenAndDelete_data() {
        QTest::addColumn<bool>("inList");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("row"); // the list row selected first; empty: none
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("window"); // the editor opened; empty: none
        QTest::addColumn<QString>("asked");  // the question asked; empty: none
        const QString askTom = QStringLiteral("確定是否要刪除這個連絡人[Tom:1]?");
        QTest::newRow("tree F2 zone")
            << false << "Zones,4"
            << "" << int(Qt::Key_F2) << QStringLiteral("frmEditZoneList") << "";
        QTest::newRow("tree Enter contact")
            << false << "Users,Tom"
            << "" << int(Qt::Key_Return) << QStringLiteral("frmEditTelList") << "";
        QTest::newRow("tree Enter branch") << false << "Users"
                                           << "" << int(Qt::Key_Enter) << QString() << "";
        QTest::newRow("tree Delete contact") << false << "Users,Tom"
                                             << "" << int(Qt::Key_Delete) << QString() << askTom;
        QTest::newRow("tree Delete zone") << false << "Zones,4"
                                          << "" << int(Qt::Key_Delete) << QString() << "";
        QTest::newRow("list Enter group row")
            << true << "UserGroups"
            << "A" << int(Qt::Key_Enter) << QStringLiteral("frmEditGroupList") << "";
        QTest::newRow("list F2 contact row")
            << true << "Users"
            << "Tom" << int(Qt::Key_F2) << QStringLiteral("frmEditTelList") << "";
        QTest::newRow("list Delete contact row")
            << true << "Users"
            << "Tom" << int(Qt::Key_Delete) << QString() << askTom;
        QTest::newRow("list Delete without row") << true << "Users"
                                                 << "" << int(Qt::Key_Delete) << QString() << "";
        QTest::newRow("list Delete field row")
            << true << "Users,Tom"
            << "電話號碼:" << int(Qt::Key_Delete) << QString() << "";
    }

    void keysOpenAndDelete() {
        QFETCH(bool, inList);
        QFETCH(QString, node);
        QFETCH(QString, row);
        QFETCH(int, key);
        QFETCH(QString, window);
        QFETCH(QString, asked);
        Window_ t;
        QVERIFY(t.Open(GroupsSql({"A"}) + UserSql("Tom", "1", "A")));
        EditEnv& env = t.env;
        QVERIFY(t.Select(node));
        if (!row.isEmpty()) QVERIFY(t.SelectListRow(row));
        env.ui.answers.enqueue(vbNo);
        QTest::keyClick(inList ? t.w.lvNodeContent() : t.w.tvProjectContent(), Qt::Key(key));
        QStringList shown;
        for (const Window& w : env.ui.modalsShown)
            shown << QString::fromLatin1(w.name.data(), qsizetype(w.name.size()));
        QCOMPARE(shown, window.isEmpty() ? QStringList() : QStringList{window});
        QCOMPARE(env.ui.messages.isEmpty() ? QString() : env.ui.messages[0].text, asked);
    }
    // Shift+F10 and the Menu key pop up the same menu a right click does, at the focused item.
    void keyboardPopsTheMenuUp_data() {
        QTest::addColumn<bool>("inList");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("row");
        QTest::addColumn<bool>("shiftF10"); // else the Menu key
        QTest::addColumn<bool>("pops");
        QTest::newRow("tree group Shift+F10") << false << "UserGroups,B"
                                              << "" << true << true;
        QTest::newRow("tree contact Menu") << false << "Users,Tom"
                                           << "" << false << true;
        QTest::newRow("tree zone Shift+F10") << false << "Zones,3"
                                             << "" << true << true;
        QTest::newRow("tree root Menu") << false << "ProjName"
                                        << "" << false << false;
        QTest::newRow("list group row Menu") << true << "UserGroups"
                                             << "B" << false << true;
        QTest::newRow("list zone row Shift+F10") << true << "Zones"
                                                 << "9" << true << true;
        QTest::newRow("list contact row Menu") << true << "Users"
                                               << "Tom" << false << true;
        QTest::newRow("list member row Menu") << true << "UserGroups,B"
                                              << "Tom" << false << false;
    }
    void keyboardPopsTheMenuUp() {
        QFETCH(bool, inList);
        QFETCH(QString, node);
        QFETCH(QString, row);
        QFETCH(bool, shiftF10);
        QFETCH(bool, pops);
        Window_ t;
        QVERIFY(t.Open(GroupsSql({"A", "B"}) + UserSql("Tom", "1", "B")));
        QTreeView* view = inList ? t.w.lvNodeContent() : t.w.tvProjectContent();
        QVERIFY(t.Select(node));
        if (!row.isEmpty()) QVERIFY(t.SelectListRow(row));
        const QModelIndex at = view->currentIndex();
        const QStringList byMouse = RightClick(t.w, view, at);

        if (shiftF10)
            QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier);
        else
            QTest::keyClick(view, Qt::Key_Menu);
        QMenu* menu = t.w.mnuProjConent();
        QCOMPARE(menu->isVisible(), pops);
        QCOMPARE(ShownItems(t.w), byMouse);
        if (pops) {
            // Placed at the item: its top edge at the item's lower edge.
            const QRect item = view->visualRect(at);
            const QPoint below = view->viewport()->mapToGlobal(item.bottomLeft());
            QVERIFY2(qAbs(menu->pos().y() - below.y()) <= item.height(),
                     qPrintable(QStringLiteral("%1 vs %2").arg(menu->pos().y()).arg(below.y())));
        }
        menu->hide();
    }

    // The pop-up-only commands are reached without a mouse: the menu key, arrows and Return.
    void popupOnlyCommandsByKeyboard_data() {
        QTest::addColumn<QString>("node");
        QTest::addColumn<int>("ups"); // Up presses from the menu's end
        QTest::addColumn<QString>("window");
        QTest::newRow("move contacts") << "UserGroups,B" << 1 << "frmMoveUsers";
        QTest::newRow("add other contacts") << "UserGroups,B" << 2 << "frmAddOtherUser";
        QTest::newRow("add to a group") << "Users,Ann" << 1 << "frmAddUserGroup";
    }
    void popupOnlyCommandsByKeyboard() {
        QFETCH(QString, node);
        QFETCH(int, ups);
        QFETCH(QString, window);
        Window_ t;
        QVERIFY(
            t.Open(GroupsSql({"A", "B"}) + UserSql("Tom", "1", "B") + UserSql("Ann", "2", "A")));
        QVERIFY(t.Select(node));
        QTest::keyClick(t.w.tvProjectContent(), Qt::Key_F10, Qt::ShiftModifier);
        QMenu* menu = t.w.mnuProjConent();
        QVERIFY(menu->isVisible());
        for (int i = 0; i < ups; ++i)
            QTest::keyClick(menu, Qt::Key_Up);
        QTest::keyClick(menu, Qt::Key_Return);
        QCOMPARE(t.env.ui.modalsShown.size(), 1);
        const Window& shown = t.env.ui.modalsShown[0];
        QCOMPARE(QString::fromLatin1(shown.name.data(), qsizetype(shown.name.size())), window);
    }

    // Ctrl+F puts the focus in the find box; the list shows the matching rows with their count,
    // a command on a shown row reaches that row, and Escape clears the find.
    void findFiltersTheListAndCommandsReachTheShownRow() {
        Window_ t;
        QVERIFY(t.Open(GroupsSql({"A"}) + UserSql("Mary", "0912345678", "A") +
                       UserSql("Tom", "0933", "A") + UserSql("陳小明", "0922", "A")));
        EditEnv& env = t.env;
        QLineEdit* box = t.w.txtFind();
        QVERIFY(t.Select(QStringLiteral("Users")));
        QCOMPARE(Item(t.w, "mnuEditFind")->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
        Item(t.w, "mnuEditFind")->trigger();
        QCOMPARE(t.w.focusWidget(), box);
        QTest::keyClicks(box, QStringLiteral("09-22"));
        const QAbstractItemModel* shown = t.w.lvNodeContent()->model();
        QCOMPARE(shown->rowCount(), 1);
        QCOMPARE(shown->index(0, 0).data().toString(), QStringLiteral("陳小明"));
        QVERIFY(t.w.lblFindCount()->isVisibleTo(&t.w));
        QCOMPARE(t.w.lblFindCount()->text(), QStringLiteral("1 筆，共 3 筆"));
        // The only row shown is the core's third: Delete asks about that contact.
        QVERIFY(t.SelectListRow(QStringLiteral("陳小明")));
        env.ui.answers.enqueue(vbNo);
        QTest::keyClick(t.w.lvNodeContent(), Qt::Key_Delete);
        QCOMPARE(env.ui.messages.size(), 1);
        QCOMPARE(env.ui.messages[0].text, QStringLiteral("確定是否要刪除這個連絡人[陳小明:0922]?"));

        QTest::keyClick(box, Qt::Key_Escape);
        QCOMPARE(box->text(), QString());
        QCOMPARE(shown->rowCount(), 3);
        QVERIFY(!t.w.lblFindCount()->isVisibleTo(&t.w));
    }

    // A header click sorts the table shown, a second reverses it; the core's rows keep their
    // order, a double click opens the row shown, and a record view does not sort.
    void headerClickSortsTheTableShown() {
        Window_ t;
        QVERIFY(t.Open(GroupsSql({"A"})));
        EditEnv& env = t.env;
        QTreeView* lv = t.w.lvNodeContent();
        QHeaderView* header = lv->header();
        const auto clickHeader = [header](int section) {
            QTest::mouseClick(
                header->viewport(), Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(section) + 4, header->height() / 2));
        };
        QVERIFY(t.Select(QStringLiteral("Zones")));
        clickHeader(0);
        QCOMPARE(lv->model()->index(0, 0).data().toString(), QStringLiteral("0"));
        QCOMPARE(lv->model()->index(10, 0).data().toString(), QStringLiteral("10"));
        clickHeader(0);
        QCOMPARE(lv->model()->index(0, 0).data().toString(), QStringLiteral("63"));
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(env.c().view.list.Text(0, 0), QStringLiteral("0"));

        const QModelIndex first = lv->model()->index(0, 0);
        lv->setCurrentIndex(first);
        QTest::keyClick(lv, Qt::Key_Return);
        QCOMPARE(env.ui.modalsShown, QList<Window>{Windows::frmEditZoneList});
        QCOMPARE(env.c().forms.editZoneList.lblZoneNo, QStringLiteral("63"));

        QVERIFY(t.Select(QStringLiteral("Zones,4")));
        QVERIFY(!header->isSortIndicatorShown());
        const QString top = lv->model()->index(0, 0).data().toString();
        clickHeader(0);
        clickHeader(0);
        QCOMPARE(lv->model()->index(0, 0).data().toString(), top);
    }

    // Several rows of the list: the pop-up offers only the commands on all of them, by the
    // branch shown; an item runs its command on every selected row.
    void severalRowsPopUp_data() {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("items");
        const QStringList contacts{"刪除選取的連絡人", "啟用選取的連絡人", "暫停使用選取的連絡人",
                                   "加入群組..."};
        QTest::newRow("contacts") << "Users" << contacts;
        QTest::newRow("a group's members")
            << "UserGroups,A" << contacts + QStringList{"轉移到其它群組...", "移出這個群組"};
        QTest::newRow("zones") << "Zones"
                               << QStringList{"設定通知對象...", "啟用選取的警報點",
                                              "暫停使用選取的警報點", "清除警報復歸訊息"};
        QTest::newRow("groups") << "UserGroups" << QStringList{};
    }

    void severalRowsPopUp() {
        QFETCH(QString, node);
        QFETCH(QStringList, items);
        Window_ t;
        QVERIFY(t.Open(GroupsSql({"A", "B"}) + UserSql("Tom", "0912", "A") +
                       UserSql("Ann", "0933", "A")));
        QVERIFY(t.Select(node));
        const QStringList keys = t.SelectAllRows();
        QVERIFY(keys.size() >= 2);
        QCOMPARE(RightClick(t.w, t.w.lvNodeContent(), t.w.lvNodeContent()->currentIndex()), items);
        // The tree keeps single selection.
        QCOMPARE(t.w.tvProjectContent()->selectionMode(), QAbstractItemView::SingleSelection);
    }

    void bulkCommandIsOneUndoStep() {
        Window_ t;
        QVERIFY(t.Open(GroupsSql({"A", "B"}) + UserSql("Tom", "0912", "A") +
                       UserSql("Ann", "0933", "A") + UserSql("Bo", "0955", "B")));
        QVERIFY(t.Select(QStringLiteral("UserGroups,A")));
        QCOMPARE(t.SelectAllRows(), (QStringList{"Tom", "Ann"}));
        t.env.ui.onModal = [&](Window w) {
            if (w != Windows::frmPickGroup) return false;
            t.env.c().forms.pickGroup.cmbGroup.index = 0; // B, A itself is not offered
            return true;
        };
        Item(t.w, "mnuProjConentBulkMoveGroup")->trigger();
        QCOMPARE(t.env.Users(), QStringLiteral("Tom=B;Ann=B;Bo=B").replace(u';', u'\n'));
        QVERIFY(t.w.isWindowModified());
        QCOMPARE(Item(t.w, "mnuEditUndo")->text(),
                 QStringLiteral("復原 將 2 個連絡人轉移到群組[B](&U)"));
        QVERIFY(Item(t.w, "mnuEditUndo")->isEnabled());
        QVERIFY(!Item(t.w, "mnuEditRedo")->isEnabled());
        // Ctrl+Z takes the whole move back, and the marker with it.
        QTest::keyClick(&t.w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(t.env.Users(), QStringLiteral("Tom=A;Ann=A;Bo=B").replace(u';', u'\n'));
        QVERIFY(!t.w.isWindowModified());
        QCOMPARE(Item(t.w, "mnuEditRedo")->text(),
                 QStringLiteral("重做 將 2 個連絡人轉移到群組[B](&R)"));
        QTest::keyClick(&t.w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(t.env.Users(), QStringLiteral("Tom=B;Ann=B;Bo=B").replace(u';', u'\n'));
        // The selected group stays selected, its list rebuilt: nobody is left in A.
        QCOMPARE(t.env.SelectedTag(), QStringLiteral("UserGroups,A"));
        QCOMPARE(t.w.lvNodeContent()->model()->rowCount(), 0);
    }
};

QTEST_MAIN(TestFrmMainPopup)
#include "tst_frmMainPopup.moc"
