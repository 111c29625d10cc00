// Groups and contacts: default names, limits, the cascades of delete and rename, moves and
// memberships, what the tree shows afterwards, and whole operations undone when a write fails.
#include "editing/EditEnv.h"
#include "editing/EditWindows.h"
#include "editing/KORVAUtil.h"

using namespace KORVAUtil;

class TestKORVAUtil : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void defaultNamesFillTheFirstGap() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"UserGroup1", "UserGroup3"}) + UserSql("User1", "1", "") +
                             UserSql("User2", "2", "")));
        QCOMPARE(DefaultName(env.p().UserGroups.get(), QStringLiteral("GroupName"),
                             QStringLiteral("UserGroup")),
                 QStringLiteral("UserGroup2"));
        QCOMPARE(
            DefaultName(env.p().Users.get(), QStringLiteral("UserName"), QStringLiteral("User")),
            QStringLiteral("User3"));

        // The proposal is what the name prompt offers; cancelling it adds nothing.
        env.ui.inputs.enqueue(KeyInCancelMarker());
        QVERIFY(!AddUserGroup(env.c()));
        QCOMPARE(env.ui.keyIns.size(), 1);
        QCOMPARE(env.ui.keyIns[0],
                 (QStringList{"新增連絡人群組", "請輸入新連絡人群組名稱:", "UserGroup2"}));
        QVERIFY(env.ui.modalsShown.isEmpty());
        QCOMPARE(env.Groups(), QStringLiteral("UserGroup1=\nUserGroup3="));
        QVERIFY(!env.p().IsModified);
    }

    void defaultNamesOfEmptyAndFullTables() {
        EditEnv env;
        QString all;
        for (int i = 1; i <= 99; ++i)
            all += QStringLiteral("INSERT INTO UserGroups VALUES('UserGroup%1','');").arg(i);
        QVERIFY(env.OpenWith(all));
        QCOMPARE(DefaultName(env.p().UserGroups.get(), QStringLiteral("GroupName"),
                             QStringLiteral("UserGroup")),
                 QString());
        QCOMPARE(
            DefaultName(env.p().Users.get(), QStringLiteral("UserName"), QStringLiteral("User")),
            QStringLiteral("User1"));
        // The scan leaves the current row where it was.
        env.p().UserGroups->SetAbsolutePosition(5);
        DefaultName(env.p().UserGroups.get(), QStringLiteral("GroupName"),
                    QStringLiteral("UserGroup"));
        QCOMPARE(env.p().UserGroups->AbsolutePosition(), 5);
    }

    void addGroupAddsRowLeafAndOpensItsEditor() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A"})));
        env.ui.inputs.enqueue(QStringLiteral("Night,Shift")); // a comma in a name is fine
        bool renameOffered = true;
        env.ui.onModal = [&](Window w) -> bool {
            if (w != Windows::frmEditGroupList) return false;
            EditGroupListForm& f = env.c().forms.editGroupList;
            renameOffered = f.cmdRenameEnabled;
            f.txtGroupDsc = QStringLiteral("after hours");
            return f.cmdOK_Click(env.c());
        };
        QVERIFY(AddUserGroup(env.c()));
        QCOMPARE(env.ui.modalsShown, (QList<Window>{Windows::frmEditGroupList}));
        QVERIFY(!renameOffered);
        QCOMPARE(env.Groups(), QStringLiteral("A=\nNight,Shift=after hours"));
        QVERIFY(env.p().IsModified);
        // The new leaf is selected, and its tag still names the row.
        QCOMPARE(env.SelectedTag(), QStringLiteral("UserGroups,Night,Shift"));
        QCOMPARE(env.c().view.lvCaption, QStringLiteral("連絡人群組名稱:Night,Shift"));
        QVERIFY(env.Select(QStringLiteral("UserGroups,Night,Shift")));
        QCOMPARE(ADOUtil::NullToStr(env.p().UserGroups->Field(QStringLiteral("GroupName"))),
                 QStringLiteral("Night,Shift"));
        QVERIFY(env.ui.messages.isEmpty());
    }

    void addGroupRefusesBlankReservedAndTakenNames() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"ABC"})));
        env.ui.inputs << QString() << QStringLiteral("all") << QStringLiteral("abc");
        QVERIFY(!AddUserGroup(env.c()));
        QVERIFY(!AddUserGroup(env.c()));
        QVERIFY(!AddUserGroup(env.c()));
        QCOMPARE(env.ui.messages.size(), 3);
        QCOMPARE(env.ui.messages[0].text,
                 QStringLiteral("新增連絡人群組名稱不得為空白。\r\n新增連絡人群組失敗。"));
        QCOMPARE(env.ui.messages[0].title, QStringLiteral("新增連絡人群組失敗"));
        QCOMPARE(env.ui.messages[0].style, vbOKOnly | vbCritical);
        QCOMPARE(env.ui.messages[1].title, QStringLiteral("不合法的使用者群組名稱"));
        QCOMPARE(env.ui.messages[2].text, QStringLiteral("本使用者群組名稱[abc]已經存在。"));
        QCOMPARE(env.Groups(), QStringLiteral("ABC="));
        QVERIFY(env.ui.modalsShown.isEmpty());
    }

    void lastGroupIsNeverDeleted() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"Only"}) + UserSql("Tom", "1", "Only")));
        QVERIFY(env.Select(QStringLiteral("UserGroups,Only")));
        QVERIFY(!DeleteUserGroup(env.c()));
        QCOMPARE(env.ui.messages.size(), 1);
        QCOMPARE(env.ui.messages[0].text,
                 QStringLiteral("不可刪除群組！群組至少留一組，不可全刪除。"));
        QCOMPARE(env.ui.messages[0].title, QStringLiteral("不可刪除群組"));
        QCOMPARE(env.ui.messages[0].style, vbOKOnly | vbExclamation);
        QCOMPARE(env.Groups(), QStringLiteral("Only="));
        QCOMPARE(env.Users(), QStringLiteral("Tom=Only"));
        QVERIFY(env.HasLeaf(QStringLiteral("UserGroups,Only")));
    }

    void deleteWithoutCurrentRowIsRefused() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "B"})));
        env.p().UserGroups->SetAbsolutePosition(RowSet::adPosEOF);
        QVERIFY(!DeleteUserGroup(env.c()));
        QCOMPARE(env.ui.messages[0].title, QStringLiteral("刪除連絡人群組失敗"));
        QCOMPARE(env.Groups(), QStringLiteral("A=\nB="));
    }

    void deleteCascadeIgnoresCaseWhenRemovingButListsExactMatches() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "B"}) + UserSql("u1", "111", "a|B") +
                             UserSql("u2", "222", "A", 0, "d2") + UserSql("u3", "333", "B") +
                             "UPDATE Zones SET GroupName='A', ZoneName='Door' WHERE ZoneNo=1;"
                             "UPDATE Zones SET GroupName='B' WHERE ZoneNo=2;"
                             "UPDATE Zones SET GroupName='a' WHERE ZoneNo=3;"));
        QVERIFY(env.Select(QStringLiteral("UserGroups,A")));

        // No: nothing changes.
        env.ui.answers.enqueue(vbNo);
        QVERIFY(!DeleteUserGroup(env.c()));
        QCOMPARE(env.Users(), QStringLiteral("u1=a|B\nu2=A\nu3=B"));
        QCOMPARE(env.ZoneTarget(1), QStringLiteral("A"));

        env.ui.messages.clear();
        QVERIFY(env.Select(QStringLiteral("UserGroups,A")));
        QVERIFY(DeleteUserGroup(env.c()));
        QCOMPARE(env.ui.messages.size(), 1);
        QCOMPARE(env.ui.messages[0].text,
                 QStringLiteral("確定是否要刪除這個連絡人群組[A]?"
                                "\r\n下列警報點對應本連絡人群組之參照將被移除:\r\n1 ,Door\r\n"
                                "下列隸屬於本連絡人群組之連絡人[1]將被移除:\r\nu2 ,222 ,d2"));
        QCOMPARE(env.ui.messages[0].title, QStringLiteral("是否確定刪除這個連絡人群組"));
        QCOMPARE(env.ui.messages[0].style, vbYesNo | vbExclamation);

        QCOMPARE(env.Groups(), QStringLiteral("B="));
        // u1's "a" goes too (case ignored); u2 keeps its row with no group.
        QCOMPARE(env.Users(), QStringLiteral("u1=B\nu2=\nu3=B"));
        QCOMPARE(env.ZoneTarget(1), QString());
        QCOMPARE(env.ZoneTarget(2), QStringLiteral("B"));
        QCOMPARE(env.ZoneTarget(3), QStringLiteral("a"));
        QVERIFY(!env.HasLeaf(QStringLiteral("UserGroups,A")));
        QVERIFY(env.HasLeaf(QStringLiteral("UserGroups,B")));
        QCOMPARE(env.ui.statusLog,
                 (QStringList{"Status=正在刪除有關這個連絡人群組[A]中的相關資料...", "Status="}));
        QCOMPARE(env.ui.busyDepth, 0);
        QVERIFY(env.p().IsModified);
        QCOMPARE(env.p().UserGroups->AbsolutePosition(), 1);
    }

    void confirmationWithoutReferencesHasOnlyTheQuestion() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "B"})));
        QVERIFY(env.Select(QStringLiteral("UserGroups,B")));
        env.ui.answers.enqueue(vbNo);
        DeleteUserGroup(env.c());
        QCOMPARE(env.ui.messages[0].text,
                 QStringLiteral("確定是否要刪除這個連絡人群組[B]?\r\n\r\n"));
    }

    void renameCascadesExactlyAndMovesTheLeaf() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"G1", "G3"}) + UserSql("u1", "1", "G1|G3") +
                             UserSql("u2", "2", "g1") +
                             "UPDATE Zones SET GroupName='G1' WHERE ZoneNo=4;"));
        QVERIFY(env.Select(QStringLiteral("UserGroups,G1")));
        QVERIFY(RenameUserGroup(env.c(), QStringLiteral("G1"), QStringLiteral("G2"),
                                QStringLiteral("second")));
        QCOMPARE(env.Users(), QStringLiteral("u1=G2|G3\nu2=g1"));
        QCOMPARE(env.ZoneTarget(4), QStringLiteral("G2"));
        QCOMPARE(env.Groups(), QStringLiteral("G2=second\nG3="));
        QVERIFY(!env.HasLeaf(QStringLiteral("UserGroups,G1")));
        const QModelIndex leaf =
            MainView::FindNodeByTag(env.c().view, QStringLiteral("UserGroups,G2"));
        QCOMPARE(env.c().view.tree.Caption(leaf), QStringLiteral("G2"));
        QVERIFY(env.p().IsModified);
    }

    void unchangedNameWritesOnlyTheDescription() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"G1", "g1"}) + UserSql("u1", "1", "G1|g1") +
                             "UPDATE Zones SET GroupName='G1' WHERE ZoneNo=5;"));
        QVERIFY(env.Select(QStringLiteral("UserGroups,G1")));
        QVERIFY(RenameUserGroup(env.c(), QStringLiteral("G1"), QStringLiteral("G1"),
                                QStringLiteral("desc")));
        QCOMPARE(env.Groups(), QStringLiteral("G1=desc\ng1="));
        QCOMPARE(env.Users(), QStringLiteral("u1=G1|g1"));
        QCOMPARE(env.ZoneTarget(5), QStringLiteral("G1"));
        QVERIFY(env.HasLeaf(QStringLiteral("UserGroups,G1")));
        QVERIFY(env.ui.messages.isEmpty());
        QVERIFY(env.p().IsModified);
    }

    void contactLimitsComeFromTheModel() {
        {
            EditEnv env; // five contacts, few memberships: the contacts message
            QString sql = GroupsSql({"A"});
            for (int i = 1; i <= 5; ++i)
                sql += UserSql(QStringLiteral("c%1").arg(i), "1", i == 1 ? "A" : "");
            QVERIFY(env.OpenWith(sql));
            env.p().MaxTelNo = 5;
            QVERIFY(!AddUser(env.c()));
            QCOMPARE(env.ui.messages.size(), 1);
            QCOMPARE(env.ui.messages[0].text,
                     QStringLiteral("連絡人已超過最大筆數[5]，不得再增加連絡人！"));
            QCOMPARE(env.ui.messages[0].title, QStringLiteral("連絡人已超過最大筆數"));
            QVERIFY(env.ui.modalsShown.isEmpty());
        }
        {
            EditEnv env; // three contacts, five memberships: the targets message
            QVERIFY(env.OpenWith(GroupsSql({"A", "B"}) + UserSql("c1", "1", "A|B") +
                                 UserSql("c2", "1", "A|B") + UserSql("c3", "1", "A")));
            env.p().MaxTelNo = 5;
            QVERIFY(!AddUser(env.c()));
            QCOMPARE(env.ui.messages.size(), 1);
            QCOMPARE(
                env.ui.messages[0].text,
                QStringLiteral(
                    "通知對象[群組/連絡人]已超過最大筆數[5]，不得再增加通知對象[群組/連絡人]！"));
            QCOMPARE(env.c().NotifyTargetCount, 5);
            // One below the limit the dialog opens.
            env.p().MaxTelNo = 6;
            env.ui.messages.clear();
            QVERIFY(!AddUser(env.c())); // the dialog is cancelled
            QVERIFY(env.ui.messages.isEmpty());
            QCOMPARE(env.ui.modalsShown, (QList<Window>{Windows::frmAddUser}));
        }
    }

    void addContactWithItsFirstGroupAndNumber() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "B"}) + UserSql("User1", "1", "A")));
        QString proposed, editorName;
        QStringList offered;
        env.ui.onModal = [&](Window w) -> bool {
            AppContext& c = env.c();
            if (w == Windows::frmAddUser) {
                proposed = c.forms.addUser.txtAddUserName;
                offered = c.forms.addUser.cmbUserGroups.items;
                c.forms.addUser.txtAddUserName = QStringLiteral("  Ann  ");
                c.forms.addUser.cmbUserGroups.index = 1;
                c.forms.addUser.cmdOK_Click();
                return true;
            }
            if (w == Windows::frmEditTelList) {
                editorName = c.forms.editTelList.lblTelUser;
                c.forms.editTelList.txtTelNo = QStringLiteral("0912345678");
                return c.forms.editTelList.cmdOK_Click(c);
            }
            return false;
        };
        QVERIFY(AddUser(env.c()));
        QCOMPARE(env.ui.modalsShown, (QList<Window>{Windows::frmAddUser, Windows::frmEditTelList}));
        QCOMPARE(proposed, QStringLiteral("User2"));
        QCOMPARE(offered, (QStringList{"A", "B"}));
        QCOMPARE(editorName, QStringLiteral("Ann"));
        QCOMPARE(env.Users(), QStringLiteral("User1=A\nAnn=B"));
        QCOMPARE(env.Q("SELECT PhoneNumber FROM Users WHERE UserName='Ann'"),
                 QStringLiteral("0912345678"));
        QVERIFY(env.HasLeaf(QStringLiteral("Users,Ann")));
        QCOMPARE(env.SelectedTag(), QStringLiteral("Users,Ann"));
        QCOMPARE(env.c().NotifyTargetCount, 2);
        QVERIFY(env.p().IsModified);
    }

    void addContactCancelledOrRefused() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A"}) + UserSql("Tom", "1", "A")));
        env.ui.onModal = [&](Window) -> bool {
            env.c().forms.addUser.txtAddUserName = QStringLiteral("TOM");
            env.c().forms.addUser.cmdOK_Click();
            return true;
        };
        QVERIFY(!AddUser(env.c()));
        QCOMPARE(env.ui.messages.size(), 1);
        QCOMPARE(env.ui.messages[0].text, QStringLiteral("本電話使用者名稱[TOM]已經存在。"));
        QCOMPARE(env.Users(), QStringLiteral("Tom=A"));
        QVERIFY(!env.p().IsModified);
    }

    void deleteContactAsksAndRemovesRowAndLeaf() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "B"}) + UserSql("Tom", "123", "A|B") +
                             UserSql("Ann", "9", "A")));
        QVERIFY(env.Select(QStringLiteral("Users,Tom")));
        QVERIFY(DeleteUser(env.c()));
        QCOMPARE(env.ui.messages[0].text, QStringLiteral("確定是否要刪除這個連絡人[Tom:123]?"));
        QCOMPARE(env.ui.messages[0].title, QStringLiteral("是否確定刪除這個連絡人"));
        QCOMPARE(env.Users(), QStringLiteral("Ann=A"));
        QVERIFY(!env.HasLeaf(QStringLiteral("Users,Tom")));
        QCOMPARE(env.c().NotifyTargetCount, 1); // both of Tom's memberships went with him
        QCOMPARE(env.ui.statusLog,
                 (QStringList{"Status=正在刪除這筆連絡人資料[Tom]中...", "Status="}));

        env.p().Users->SetAbsolutePosition(RowSet::adPosEOF);
        env.ui.messages.clear();
        QVERIFY(!DeleteUser(env.c()));
        QCOMPARE(env.ui.messages[0].title, QStringLiteral("刪除連絡人名稱失敗"));
    }

    void saveUserRenamesWithoutCascade() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "B"}) + UserSql("Tom", "1", "A")));
        env.c().NotifyTargetCount = 1;
        QVERIFY(SaveUser(env.c(), QStringLiteral("Tom"), QStringLiteral("Tommy"),
                         QStringLiteral(" 123 "), QStringLiteral("desc"), true, {"A", "B"}, 0, 1));
        QCOMPARE(
            env.Q("SELECT UserName||'|'||PhoneNumber||'|'||UserDsc||'|'||IsDisable FROM Users"),
            QStringLiteral("Tommy| 123 |desc|1"));
        QCOMPARE(env.Users(), QStringLiteral("Tommy=A|B"));
        QCOMPARE(env.c().NotifyTargetCount, 2);
        QVERIFY(!env.HasLeaf(QStringLiteral("Users,Tom")));
        const QModelIndex leaf =
            MainView::FindNodeByTag(env.c().view, QStringLiteral("Users,Tommy"));
        QVERIFY(leaf.isValid());
        QVERIFY(env.c().view.tree.data(leaf, ProjTreeModel::GreyRole).toBool());
        QCOMPARE(env.SelectedTag(), QStringLiteral("Users,Tommy"));
        // No groups left: an empty list.
        QVERIFY(SaveUser(env.c(), QStringLiteral("Tommy"), QStringLiteral("Tommy"),
                         QStringLiteral("5"), QString(), false, {}, 2, 0));
        QCOMPARE(env.Users(), QStringLiteral("Tommy="));
        QVERIFY(!env.c().view.tree.data(leaf, ProjTreeModel::GreyRole).toBool());
    }

    void moveMembersFromAToB() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "B", "C"}) + UserSql("u1", "1", "A|C") +
                             UserSql("u2", "2", "A|B") + UserSql("u3", "3", "a") +
                             UserSql("u4", "4", "C") + UserSql("u5", "5", "")));
        QVERIFY(MoveGroupMembers(env.c(), QStringLiteral("A"), QStringLiteral("B")));
        QCOMPARE(env.Users(), QStringLiteral("u1=B|C\nu2=B\nu3=B\nu4=C\nu5="));
        QCOMPARE(ADOUtil::NullToStr(env.p().UserGroups->Field(QStringLiteral("GroupName"))),
                 QStringLiteral("B"));
        QCOMPARE(env.SelectedTag(), QStringLiteral("UserGroups,B"));
        QCOMPARE(env.c().view.list.Rows().size(), 3); // B's members are listed
        QVERIFY(env.p().IsModified);
    }

    void membershipsAppendWithOneSeparator() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "G"}) + UserSql("Tom", "1", "") +
                             UserSql("Ann", "2", "A")));
        QVERIFY(AddGroupToUser(env.c(), QStringLiteral("Tom"), QStringLiteral("G")));
        QVERIFY(AddUserToGroup(env.c(), QStringLiteral("G"), QStringLiteral("ann")));
        QCOMPARE(env.Users(), QStringLiteral("Tom=G\nAnn=A|G"));
        QCOMPARE(ADOUtil::NullToStr(env.p().UserGroups->Field(QStringLiteral("GroupName"))),
                 QStringLiteral("G"));
        QCOMPARE(env.c().NotifyTargetCount, 3);
        QCOMPARE(CountUsers(env.p()), 2);
    }

    // A failing write (here refused by a constraint of the table) undoes the whole operation.
    void failedStepRollsBackTheWholeDelete() {
        EditEnv env;
        QVERIFY(env.OpenWith(
            GroupsSql({"A", "B"}) + UserSql("u1", "1", "A|B") +
            "UPDATE Zones SET GroupName='A' WHERE ZoneNo=0;"
            "UPDATE Zones SET GroupName='A' WHERE ZoneNo=9;" +
            WithCheck(QStringLiteral("Zones"), QStringLiteral("ZoneNo <> 9 OR GroupName <> ''"))));
        QVERIFY(env.Select(QStringLiteral("UserGroups,A")));
        env.ui.answers.enqueue(vbYes);
        QVERIFY(!DeleteUserGroup(env.c()));
        QCOMPARE(env.ui.messages.size(), 2);
        QCOMPARE(env.ui.messages[1].style, vbOKOnly | vbCritical);
        QCOMPARE(env.ui.messages[1].title, QStringLiteral("刪除連絡人群組失敗"));
        QVERIFY(env.ui.messages[1].text.contains(QStringLiteral("CHECK constraint failed")));
        QVERIFY(env.ui.messages[1].text.startsWith(QStringLiteral("無法寫入專案資料庫")));
        // Zone 0 had been cleared before zone 9 failed: it has its target again.
        QCOMPARE(env.ZoneTarget(0), QStringLiteral("A"));
        QCOMPARE(env.ZoneTarget(9), QStringLiteral("A"));
        QCOMPARE(env.Users(), QStringLiteral("u1=A|B"));
        QCOMPARE(env.Groups(), QStringLiteral("A=\nB="));
        QVERIFY(env.HasLeaf(QStringLiteral("UserGroups,A")));
        QVERIFY(!env.p().IsModified);
        QCOMPARE(env.ui.busyDepth, 0);
        QCOMPARE(env.ui.statusLog.last(), QStringLiteral("Status="));

        // The row sets show the file as it is and take the next operation.
        QCOMPARE(ADOUtil::GetRecordCount(env.p().UserGroups.get()), 2);
        QVERIFY(RenameUserGroup(env.c(), QStringLiteral("B"), QStringLiteral("B2"), QString()));
        QCOMPARE(env.Users(), QStringLiteral("u1=A|B2"));
    }

    void failedStepRollsBackRenameAndMove() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "B"}) + UserSql("u1", "1", "A") +
                             UserSql("u2", "2", "A") +
                             "UPDATE Zones SET GroupName='A' WHERE ZoneNo=2;" +
                             WithCheck(QStringLiteral("Users"),
                                       QStringLiteral("UserName <> 'u2' OR GroupName = 'A'"))));
        QVERIFY(env.Select(QStringLiteral("UserGroups,A")));
        QVERIFY(!RenameUserGroup(env.c(), QStringLiteral("A"), QStringLiteral("Z"),
                                 QStringLiteral("x")));
        QCOMPARE(env.ui.messages.size(), 1);
        QCOMPARE(env.ui.messages[0].title, QStringLiteral("變更連絡人群組失敗"));
        QCOMPARE(env.Users(), QStringLiteral("u1=A\nu2=A"));
        QCOMPARE(env.ZoneTarget(2), QStringLiteral("A"));
        QCOMPARE(env.Groups(), QStringLiteral("A=\nB="));
        QVERIFY(env.HasLeaf(QStringLiteral("UserGroups,A")));

        QVERIFY(!MoveGroupMembers(env.c(), QStringLiteral("A"), QStringLiteral("B")));
        QCOMPARE(env.ui.messages.size(), 2);
        QCOMPARE(env.ui.messages[1].title, QStringLiteral("轉移連絡人失敗"));
        QCOMPARE(env.Users(), QStringLiteral("u1=A\nu2=A"));
        QVERIFY(!env.p().IsModified);
    }

    void englishTexts() {
        EditEnv env(1033);
        QVERIFY(env.OpenWith(GroupsSql({"Only"})));
        QVERIFY(env.Select(QStringLiteral("UserGroups,Only")));
        QVERIFY(!DeleteUserGroup(env.c()));
        QCOMPARE(env.ui.messages[0].title, QStringLiteral("Group cannot be deleted"));
        QVERIFY(
            env.ui.messages[0].text.startsWith(QStringLiteral("This group cannot be deleted!")));
    }
};

QTEST_GUILESS_MAIN(TestKORVAUtil)
#include "tst_KORVAUtil.moc"
