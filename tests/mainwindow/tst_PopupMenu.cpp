// The pop-up rules of the tree and the content list, and double-click, on a real project:
// which items show, their captions, the row made current, the editor opened.
#include "editing/EditEnv.h"
#include "editing/EditWindows.h"
#include "mainwindow/PopupMenu.h"
#include "store/NodeTag.h"

namespace {
// The shown items in menu order, as the person sees them ("-" for a separator).
QStringList Shown(const PopupMenuState& s) {
    QStringList out;
    if (!s.popUp) return out;
    for (const auto& [name, item] : s.Items()) {
        if (!item->visible) continue;
        if (QByteArray(name).contains("Bar"))
            out << QStringLiteral("-");
        else
            out << item->caption.value_or(QStringLiteral("<caption kept>"));
    }
    return out;
}

QString CurrentField(RowSet* rs, const char* field) {
    if (!rs || rs->Eof() || rs->Bof()) return QStringLiteral("<no row>");
    return ADOUtil::NullToStr(rs->Field(QLatin1String(field)));
}

const QString kData = GroupsSql({"A", "B"}) + UserSql("Tom", "1", "A") +
                      UserSql("Ann", "2", "A|B") + UserSql("連絡人", "3", "");

const QStringList kTomMenu{"新增連絡人...",      "-", "刪除連絡人[Tom]",
                           "編輯連絡人[Tom]...", "-", "加入新群組..."};
const QStringList kGroupBMenu{"新增連絡人群組...",    "-", "刪除連絡人群組[B]",
                              "編輯連絡人群組[B]...", "-", "加入其它連絡人...",
                              "轉移到其它群組..."};
} // namespace

class TestPopupMenu : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void plainCaption_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("plain");
        QTest::newRow("Chinese key and dots") << "列印(&P)..."
                                              << "列印";
        QTest::newRow("English key and dots") << "&Print..."
                                              << "Print";
        QTest::newRow("ellipsis character") << "Export as P&DF\u2026"
                                            << "Export as PDF";
        QTest::newRow("key inside, no dots") << "E&xit"
                                             << "Exit";
        QTest::newRow("plain ampersand") << "Groups && Contacts"
                                         << "Groups & Contacts";
        QTest::newRow("brackets that are text") << "Zones (A)"
                                                << "Zones (A)";
        QTest::newRow("dots inside stay") << "v1.2 &notes"
                                          << "v1.2 notes";
    }
    void plainCaption() {
        QFETCH(QString, caption);
        QFETCH(QString, plain);
        QCOMPARE(PopupMenu::PlainCaption(caption), plain);
    }

    void treeMenuByNodeKind() {
        EditEnv env;
        QVERIFY(env.OpenWith(kData));
        AppContext& c = env.c();
        OpenProject& p = env.p();

        c.view.treeSelection.clearCurrentIndex();
        QVERIFY(!PopupMenu::tvProjectContent_MouseUp(c).popUp);
        for (const char* tag : {"ProjName", "Zones"}) {
            QVERIFY(env.Select(QLatin1String(tag)));
            QVERIFY2(!PopupMenu::tvProjectContent_MouseUp(c).popUp, tag);
        }
        QVERIFY(env.Select(QStringLiteral("Users")));
        QCOMPARE(Shown(PopupMenu::tvProjectContent_MouseUp(c)), QStringList{"新增連絡人..."});
        QVERIFY(env.Select(QStringLiteral("UserGroups")));
        QCOMPARE(Shown(PopupMenu::tvProjectContent_MouseUp(c)), QStringList{"新增連絡人群組..."});

        // A leaf's menu makes its row the current row, wherever the table stood.
        QVERIFY(env.Select(QStringLiteral("Users,Tom")));
        p.Users->MoveFirst();
        p.Users->MoveNext();
        QCOMPARE(Shown(PopupMenu::tvProjectContent_MouseUp(c)), kTomMenu);
        QCOMPARE(CurrentField(p.Users.get(), "UserName"), QStringLiteral("Tom"));

        QVERIFY(env.Select(QStringLiteral("UserGroups,B")));
        p.UserGroups->MoveFirst();
        QCOMPARE(Shown(PopupMenu::tvProjectContent_MouseUp(c)), kGroupBMenu);
        QCOMPARE(CurrentField(p.UserGroups.get(), "GroupName"), QStringLiteral("B"));

        // A zone leaf: only its editor; the contact items get their unnamed captions back.
        QVERIFY(env.Select(QStringLiteral("Zones,12")));
        const PopupMenuState z = PopupMenu::tvProjectContent_MouseUp(c);
        QCOMPARE(Shown(z), QStringList{"編輯警報點[12]..."});
        QCOMPARE(z.mnuProjConentEditTelList.caption.value(), QStringLiteral("編輯連絡人..."));
        QCOMPARE(z.mnuProjConentDeleteTelList.caption.value(), QStringLiteral("刪除連絡人"));
        QCOMPARE(CurrentField(p.Zones.get(), "ZoneNo"), QStringLiteral("12"));
        // And the contact leaf gives the zone item its unnamed caption.
        QVERIFY(env.Select(QStringLiteral("Users,Tom")));
        QCOMPARE(PopupMenu::tvProjectContent_MouseUp(c).mnuProjConentEditZoneList.caption.value(),
                 QStringLiteral("編輯警報點..."));
    }

    void listMenuByNodeAndItem() {
        EditEnv env;
        QVERIFY(env.OpenWith(kData));
        AppContext& c = env.c();
        OpenProject& p = env.p();
        const auto menu = [&](const char* tag, std::optional<QString> item) {
            if (!env.Select(QLatin1String(tag))) return QStringList{"<no node>"};
            return Shown(PopupMenu::lvNodeContent_MouseUp(c, item));
        };

        // No list item: the node's own menu, except a group's member list and a zone's record.
        QCOMPARE(menu("Users,Tom", std::nullopt), kTomMenu);
        QCOMPARE(menu("UserGroups,B", std::nullopt), QStringList());
        QCOMPARE(menu("Zones,12", std::nullopt), QStringList());
        QCOMPARE(menu("Users", std::nullopt), QStringList{"新增連絡人..."});
        QCOMPARE(menu("UserGroups", std::nullopt), QStringList{"新增連絡人群組..."});
        QCOMPARE(menu("ProjName", std::nullopt), QStringList());
        QCOMPARE(menu("Zones", std::nullopt), QStringList());

        // A row of a leaf's list: the leaf's menu; a member of a group has none.
        QCOMPARE(menu("Users,Tom", QStringLiteral("電話號碼:")), kTomMenu);
        QCOMPARE(menu("UserGroups,B", QStringLiteral("Tom")), QStringList());
        QCOMPARE(menu("Zones,12", QStringLiteral("警報區:")), QStringList{"編輯警報點[12]..."});

        // The root's overview rows stand for their branches.
        QCOMPARE(menu("ProjName", NodeTags::kUsers), QStringList{"新增連絡人..."});
        QCOMPARE(menu("ProjName", NodeTags::kUserGroups), QStringList{"新增連絡人群組..."});
        QCOMPARE(menu("ProjName", NodeTags::kZones), QStringList());

        // A zone row of the zones branch: that zone, made current.
        p.Zones->MoveFirst();
        QCOMPARE(menu("Zones", QStringLiteral("7")), QStringList{"編輯警報點[7]..."});
        QCOMPARE(CurrentField(p.Zones.get(), "ZoneNo"), QStringLiteral("7"));

        // A branch's table row: that contact or group, made current.
        QCOMPARE(menu("Users", QStringLiteral("Ann")),
                 (QStringList{"新增連絡人...", "-", "刪除連絡人[Ann]", "編輯連絡人[Ann]...", "-",
                              "加入新群組..."}));
        QCOMPARE(CurrentField(p.Users.get(), "UserName"), QStringLiteral("Ann"));
        QCOMPARE(menu("UserGroups", QStringLiteral("B")), kGroupBMenu);
        QCOMPARE(CurrentField(p.UserGroups.get(), "GroupName"), QStringLiteral("B"));
        // A contact whose name is the branch's caption is still that contact.
        QCOMPARE(menu("Users", QStringLiteral("連絡人")),
                 (QStringList{"新增連絡人...", "-", "刪除連絡人[連絡人]", "編輯連絡人[連絡人]...",
                              "-", "加入新群組..."}));
        QCOMPARE(CurrentField(p.Users.get(), "UserName"), QStringLiteral("連絡人"));
    }

    void listMenuInEnglish() {
        EditEnv env(1033);
        QVERIFY(env.OpenWith(kData));
        AppContext& c = env.c();
        // The groups branch is captioned "Groups" here: its rows are still groups.
        QVERIFY(env.Select(QStringLiteral("UserGroups")));
        QCOMPARE(c.view.tree.Caption(MainView::SelectedNode(c.view)), QStringLiteral("Groups"));
        QCOMPARE(Shown(PopupMenu::lvNodeContent_MouseUp(c, QStringLiteral("B"))),
                 (QStringList{"Add Contact Group...", "-", "Delete Contact Group [B]",
                              "Edit Contact Group [B]...", "-", "Add Existing Contacts...",
                              "Move Contacts to Another Group..."}));
        // The overview row shown as "Contacts" stands for the contacts branch.
        QVERIFY(env.Select(QStringLiteral("ProjName")));
        MainView::mklvNodeContent(c);
        QCOMPARE(c.view.list.Text(0, 0), QStringLiteral("Contacts"));
        QCOMPARE(Shown(PopupMenu::lvNodeContent_MouseUp(c, c.view.list.Key(0))),
                 QStringList{"Add Contact..."});
    }

    void doubleClickOpensTheEditor() {
        EditEnv env;
        QVERIFY(env.OpenWith(kData));
        AppContext& c = env.c();
        QList<Window>& shown = env.ui.modalsShown;

        // Branches and the root open nothing, from the tree or with no list item.
        for (const char* tag : {"ProjName", "Users", "UserGroups", "Zones"}) {
            QVERIFY(env.Select(QLatin1String(tag)));
            PopupMenu::tvProjectContent_DblClick(c);
            PopupMenu::lvNodeContent_DblClick(c, std::nullopt);
        }
        QCOMPARE(shown, QList<Window>());

        QVERIFY(env.Select(QStringLiteral("Users,Ann")));
        PopupMenu::tvProjectContent_DblClick(c);
        QCOMPARE(shown, QList<Window>{Windows::frmEditTelList});
        QCOMPARE(c.forms.editTelList.oldName, QStringLiteral("Ann"));
        QVERIFY(env.Select(QStringLiteral("UserGroups,B")));
        PopupMenu::tvProjectContent_DblClick(c);
        QCOMPARE(c.forms.editGroupList.oldName, QStringLiteral("B"));
        QVERIFY(env.Select(QStringLiteral("Zones,12")));
        PopupMenu::tvProjectContent_DblClick(c);
        QCOMPARE(c.forms.editZoneList.lblZoneNo, QStringLiteral("12"));
        QCOMPARE(shown, (QList<Window>{Windows::frmEditTelList, Windows::frmEditGroupList,
                                       Windows::frmEditZoneList}));
        shown.clear();

        // List rows: a zone of the zones branch, a contact and a group of their branches.
        QVERIFY(env.Select(QStringLiteral("Zones")));
        PopupMenu::lvNodeContent_DblClick(c, QStringLiteral("5"));
        QCOMPARE(c.forms.editZoneList.lblZoneNo, QStringLiteral("5"));
        QVERIFY(env.Select(QStringLiteral("Users")));
        PopupMenu::lvNodeContent_DblClick(c, QStringLiteral("Tom"));
        QCOMPARE(c.forms.editTelList.oldName, QStringLiteral("Tom"));
        QCOMPARE(c.view.lvCaption, QStringLiteral("連絡人內容:Tom"));
        QVERIFY(env.Select(QStringLiteral("UserGroups")));
        PopupMenu::lvNodeContent_DblClick(c, QStringLiteral("A"));
        QCOMPARE(c.forms.editGroupList.oldName, QStringLiteral("A"));
        // A member of a group's list opens nothing.
        QVERIFY(env.Select(QStringLiteral("UserGroups,A")));
        PopupMenu::lvNodeContent_DblClick(c, QStringLiteral("Tom"));
        QCOMPARE(shown, (QList<Window>{Windows::frmEditZoneList, Windows::frmEditTelList,
                                       Windows::frmEditGroupList}));

        // A row that is gone is named in a message, and no editor opens on another row.
        QVERIFY(env.Select(QStringLiteral("Users")));
        PopupMenu::lvNodeContent_DblClick(c, QStringLiteral("Ghost"));
        QCOMPARE(shown.size(), 3);
        QCOMPARE(env.ui.Texts(),
                 QStringList{"找不到這筆資料[Ghost]，請按 F5 重新整理後再試一次。"});
    }

    void doubleClickOnTheOverviewSelectsTheBranch() {
        EditEnv env;
        QVERIFY(env.OpenWith(kData));
        AppContext& c = env.c();
        QVERIFY(env.Select(QStringLiteral("ProjName")));
        MainView::mklvNodeContent(c);
        QCOMPARE(c.view.list.Text(1, 0), QStringLiteral("群組"));
        PopupMenu::lvNodeContent_DblClick(c, c.view.list.Key(1));
        const QModelIndex groups = MainView::FindNodeByTag(c.view, QStringLiteral("UserGroups"));
        QCOMPARE(MainView::SelectedNode(c.view), groups);
        QVERIFY(c.view.tree.data(groups, ProjTreeModel::ExpandedRole).toBool());
        QCOMPARE(c.view.lvCaption, QStringLiteral("連絡人群組"));
        QCOMPARE(c.view.list.Rows().size(), 2);
        QCOMPARE(c.view.list.Text(1, 0), QStringLiteral("B"));

        QVERIFY(env.Select(QStringLiteral("ProjName")));
        MainView::mklvNodeContent(c);
        PopupMenu::lvNodeContent_DblClick(c, c.view.list.Key(2));
        QCOMPARE(env.SelectedTag(), QStringLiteral("Zones"));
        QCOMPARE(c.view.list.Rows().size(), 64);
        QVERIFY(env.ui.modalsShown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPopupMenu)
#include "tst_PopupMenu.moc"
