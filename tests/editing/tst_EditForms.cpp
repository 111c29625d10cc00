// The editing dialogs as the core sees them: the contact editor's list and counts, the group
// picker, the add and move dialogs with their placeholders, the group editor's rename, the
// zone editor's length rule and target, and the Project menu's rule.
#include "base/MsgDefault.h"
#include "editing/EditEnv.h"
#include "editing/EditForms.h"
#include "editing/EditWindows.h"
#include "editing/ProjMenu.h"
#include "editing/ValidUtil.h"

namespace {
QStringList Names(const QVector<GroupEntry>& entries) {
    QStringList out;
    for (const GroupEntry& e : entries)
        out << e.name;
    return out;
}
QStringList Greys(const QVector<GroupEntry>& entries) {
    QStringList out;
    for (const GroupEntry& e : entries)
        if (e.grey) out << e.name;
    return out;
}
// The picker's row of a group.
int RowOf(const AllUserGroupsForm& f, const QString& name) {
    for (int i = 0; i < f.lvUserGroups.size(); ++i)
        if (f.lvUserGroups[i].name == name) return i;
    return -1;
}
} // namespace

class TestEditForms : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void telephoneRule_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("titles"); // the messages shown, in order
        QTest::addColumn<QString>("stored");     // the number stored when it passes
        const QString digits = QStringLiteral("電話號碼只能輸入數字");
        const QString longer = QStringLiteral("電話號碼不得大於20個數字");
        QTest::newRow("empty") << QString() << QStringList{"本電話簿不得為空"} << QString();
        QTest::newRow("blanks only")
            << QStringLiteral("   ") << QStringList{"本電話簿不得為空"} << QString();
        QTest::newRow("separators only")
            << QStringLiteral(" (-.) ") << QStringList{"本電話簿不得為空"} << QString();
        QTest::newRow("digits with blanks around")
            << QStringLiteral("  123  ") << QStringList{} << QStringLiteral("123");
        QTest::newRow("20 digits") << QString(20, u'7') << QStringList{} << QString(20, u'7');
        QTest::newRow("21 digits") << QString(21, u'7') << QStringList{longer} << QString();
        QTest::newRow("20 digits, separators beyond")
            << QStringLiteral("(0912) 345-678.90-12 345 678") << QStringList{}
            << QStringLiteral("09123456789012345678");
        QTest::newRow("25 letters")
            << QString(25, u'x') << QStringList{digits, longer} << QString();
        QTest::newRow("international")
            << QStringLiteral("+886912345678") << QStringList{} << QStringLiteral("+886912345678");
        QTest::newRow("international, written") << QStringLiteral("+886 (2) 2345-6789")
                                                << QStringList{} << QStringLiteral("+886223456789");
        QTest::newRow("dots") << QStringLiteral("02.2345.6789") << QStringList{}
                              << QStringLiteral("0223456789");
        QTest::newRow("inner blank and tab")
            << QStringLiteral("12 34\t5") << QStringList{} << QStringLiteral("12345");
        QTest::newRow("leading dash")
            << QStringLiteral("-123") << QStringList{} << QStringLiteral("123");
        QTest::newRow("plus alone") << QStringLiteral("+") << QStringList{digits} << QString();
        QTest::newRow("plus after a bracket")
            << QStringLiteral("(+886) 2") << QStringList{} << QStringLiteral("+8862");
        QTest::newRow("two plus") << QStringLiteral("++886") << QStringList{digits} << QString();
        QTest::newRow("inner plus") << QStringLiteral("886+2") << QStringList{digits} << QString();
        QTest::newRow("slash") << QStringLiteral("02/2345") << QStringList{digits} << QString();
        QTest::newRow("exponent") << QStringLiteral("1e5") << QStringList{digits} << QString();
        QTest::newRow("extension")
            << QStringLiteral("0223 ext 5") << QStringList{digits} << QString();
        QTest::newRow("full-width digits")
            << QStringLiteral("１２３") << QStringList{digits} << QString();
    }

    void telephoneRule() {
        QFETCH(QString, text);
        QFETCH(QStringList, titles);
        QFETCH(QString, stored);
        EditEnv env;
        QCOMPARE(EditTelListForm::CheckTelNo(env.c(), text), titles.isEmpty());
        QStringList shown;
        for (const RecordedMsg& m : env.ui.messages) {
            shown << m.title;
            QCOMPARE(m.style, vbOKOnly | vbCritical);
        }
        QCOMPARE(shown, titles);
        if (titles.contains(QStringLiteral("電話號碼只能輸入數字")))
            QCOMPARE(env.ui.messages[0].text,
                     QStringLiteral(" 電話號碼只能輸入數字！請再次輸入電話號碼。\r\n"
                                    "可用字元：數字，開頭可加一個「+」；空格及「-」「.」「(」「)」"
                                    "會自動移除。"));
        if (titles.isEmpty()) QCOMPARE(ValidUtil::StoredTelNo(text), stored);
    }

    void editorListsGroupsInTableOrderAndSavesThem() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "B", "C"}) + UserSql("Tom", "1", "b|A", 0, "d")));
        QVERIFY(env.Select(QStringLiteral("Users,Tom")));
        EditTelListForm& f = env.c().forms.editTelList;
        QVERIFY(f.LoadFormObj(env.c()));
        QCOMPARE(Names(f.lvGroupName), (QStringList{"A", "B"}));
        QCOMPARE(f.selected, 0);
        QVERIFY(f.cmdDeleteEnabled);
        QCOMPARE(f.txtTelDsc, QStringLiteral("d"));
        QVERIFY(f.cmdOK_Click(env.c()));
        QCOMPARE(env.Users(), QStringLiteral("Tom=A|B"));
    }

    void editorCountsOnCancelAndOk() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "B", "C"}) + UserSql("Tom", "1", "A") +
                             UserSql("Ann", "2", "A|B")));
        AppContext& c = env.c();
        EditTelListForm& f = c.forms.editTelList;
        // The person at the picker double-clicks the group named next.
        QString pick;
        env.ui.onModal = [&](Window w) -> bool {
            if (w != Windows::frmAllUserGroups) return false;
            return c.forms.allUserGroups.lvUserGroups_DblClick(c,
                                                               RowOf(c.forms.allUserGroups, pick));
        };
        for (const bool ok : {false, true}) {
            QVERIFY(env.Select(QStringLiteral("Users,Tom")));
            QVERIFY(f.LoadFormObj(c));
            QCOMPARE(f.workingCount, 3);
            const int before = c.NotifyTargetCount;
            pick = QStringLiteral("B");
            f.cmdAdd_Click(c);
            pick = QStringLiteral("C");
            f.cmdAdd_Click(c);
            QCOMPARE(Names(f.lvGroupName), (QStringList{"A", "B", "C"}));
            f.selected = 1;
            f.cmdDelete_Click();
            QCOMPARE(Names(f.lvGroupName), (QStringList{"A", "C"}));
            QCOMPARE(f.addedCount, 2);
            QCOMPARE(f.removedCount, 1);
            QCOMPARE(f.workingCount, 4);
            if (!ok) {
                // Cancel: nothing written, the running count as it was.
                QCOMPARE(env.Users(), QStringLiteral("Tom=A\nAnn=A|B"));
                QCOMPARE(c.NotifyTargetCount, before);
                continue;
            }
            QVERIFY(f.cmdOK_Click(c));
            QCOMPARE(c.NotifyTargetCount, before + 1);
            QCOMPARE(env.Users(), QStringLiteral("Tom=A|C\nAnn=A|B"));
        }
    }

    void editorLimitKeepsThePickerClosed() {
        EditEnv env;
        QString sql = GroupsSql({"A", "B"});
        for (int i = 0; i < 5; ++i)
            sql += UserSql(QStringLiteral("u%1").arg(i), "1", "A|B");
        QVERIFY(env.OpenWith(sql));
        env.p().MaxTelNo = 10;
        QVERIFY(env.Select(QStringLiteral("Users,u0")));
        EditTelListForm& f = env.c().forms.editTelList;
        QVERIFY(f.LoadFormObj(env.c()));
        QCOMPARE(f.workingCount, 10);
        f.cmdAdd_Click(env.c());
        QVERIFY(env.ui.modalsShown.isEmpty());
        QCOMPARE(env.ui.messages.size(), 1);
        QCOMPARE(env.ui.messages[0].text,
                 QStringLiteral(
                     "通知對象[群組/連絡人]已超過最大筆數[10]，不得再增加通知對象[群組/連絡人]！"));
        QCOMPARE(env.ui.messages[0].style, vbOKOnly | vbExclamation);
        // After a removal there is room again.
        f.cmdDelete_Click();
        f.cmdAdd_Click(env.c());
        QCOMPARE(env.ui.modalsShown, (QList<Window>{Windows::frmAllUserGroups}));
    }

    void editorRenameAndFailedCheck() {
        EditEnv env;
        QVERIFY(
            env.OpenWith(GroupsSql({"A"}) + UserSql("Tom", "1", "A") + UserSql("Ann", "2", "A")));
        QVERIFY(env.Select(QStringLiteral("Users,Tom")));
        AppContext& c = env.c();
        EditTelListForm& f = c.forms.editTelList;
        QVERIFY(f.LoadFormObj(c));
        env.ui.inputs << QStringLiteral("TOM") << QStringLiteral("ann") << QStringLiteral("Thomas");
        f.cmdTelUserRename_Click(c); // differs only in case: refused as taken (Tom itself)
        f.cmdTelUserRename_Click(c); // taken by Ann
        QCOMPARE(f.lblTelUser, QStringLiteral("Tom"));
        QCOMPARE(env.ui.messages.size(), 2);
        f.cmdTelUserRename_Click(c);
        QCOMPARE(f.lblTelUser, QStringLiteral("Thomas"));
        QCOMPARE(env.ui.keyIns.last(),
                 (QStringList{"變更連絡人", "請輸入新連絡人名稱:", "Tom", "50"}));
        f.txtTelNo = QStringLiteral("12a");
        QVERIFY(!f.cmdOK_Click(c));
        QCOMPARE(f.focusControl, QStringLiteral("txtTelNo"));
        QCOMPARE(env.Users(), QStringLiteral("Tom=A\nAnn=A"));
        f.txtTelNo = QStringLiteral(" (02) 123-4 ");
        QVERIFY(f.cmdOK_Click(c));
        QCOMPARE(env.Q("SELECT UserName||':'||PhoneNumber FROM Users ORDER BY rowid"),
                 QStringLiteral("Thomas:021234\nAnn:2"));
        QVERIFY(env.HasLeaf(QStringLiteral("Users,Thomas")));
        QVERIFY(!env.HasLeaf(QStringLiteral("Users,Tom")));
    }

    void pickerGreysAndRefusesHeldGroups() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "B", "C"}) + UserSql("Tom", "1", "A|C")));
        QVERIFY(env.Select(QStringLiteral("Users,Tom")));
        AppContext& c = env.c();
        QVERIFY(c.forms.editTelList.LoadFormObj(c));
        AllUserGroupsForm& p = c.forms.allUserGroups;
        p.LoadFormObj(c);
        QCOMPARE(Names(p.lvUserGroups), (QStringList{"A", "B", "C"}));
        QCOMPARE(Greys(p.lvUserGroups), (QStringList{"A", "C"}));
        QCOMPARE(p.selected, 1); // the first group Tom does not have

        // A held group: a click warns, a double click warns and stays open.
        p.lvUserGroups_ItemClick(c, 0);
        QVERIFY(!p.lvUserGroups_DblClick(c, 2));
        QCOMPARE(env.ui.messages.size(), 2);
        QCOMPARE(env.ui.messages[1].text,
                 QStringLiteral("群組不可重覆挑選!\r\n群組早已加入至 Tom"));
        QCOMPARE(env.ui.messages[1].title, QStringLiteral("群組不可重覆挑選!"));
        QVERIFY(p.resultName.isEmpty());
        QVERIFY(p.lvUserGroups_DblClick(c, 1));
        QCOMPARE(p.resultName, QStringLiteral("B"));

        // OK on a held group returns it, and the editor adds nothing.
        env.ui.onModal = [&](Window) -> bool {
            p.selected = 0;
            return p.cmbOK_Click();
        };
        EditTelListForm& f = c.forms.editTelList;
        f.cmdAdd_Click(c);
        QCOMPARE(Names(f.lvGroupName), (QStringList{"A", "C"}));
        QCOMPARE(f.addedCount, 0);
        QCOMPARE(f.workingCount, 2);
        // Cancel returns nothing.
        env.ui.onModal = [&](Window) -> bool {
            p.cmbCancel_Click();
            return false;
        };
        f.cmdAdd_Click(c);
        QCOMPARE(f.addedCount, 0);

        // With every group held nothing is selected.
        QVERIFY(TestEnv::ExecSql(env.p().MirPath,
                                 QStringLiteral("DELETE FROM UserGroups WHERE GroupName='B'")));
        env.p().UserGroups =
            ADOUtil::OpenRecordset(env.p().conn.get(), QStringLiteral("UserGroups"));
        p.LoadFormObj(c);
        QCOMPARE(p.selected, -1);
        QVERIFY(!p.cmbOK_Click());
    }

    void pickerAddsANewGroup() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A"}) + UserSql("Tom", "1", "A")));
        QVERIFY(env.Select(QStringLiteral("Users,Tom")));
        AppContext& c = env.c();
        QVERIFY(c.forms.editTelList.LoadFormObj(c));
        AllUserGroupsForm& p = c.forms.allUserGroups;
        p.LoadFormObj(c);
        env.ui.inputs << QStringLiteral("Night");
        p.cmdAddGroup_Click(c);
        QCOMPARE(Names(p.lvUserGroups), (QStringList{"A", "Night"}));
        QCOMPARE(p.selected, 1);
        QVERIFY(p.cmbOK_Click());
        QCOMPARE(p.resultName, QStringLiteral("Night"));
        QCOMPARE(env.Groups(), QStringLiteral("A=\nNight="));
    }

    void groupEditorRenamesOnceFromTheOldName() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"G1", "X"}) + UserSql("u", "1", "G1|X")));
        AppContext& c = env.c();
        EditGroupListForm& f = c.forms.editGroupList;

        // Rename, then cancel: nothing changes.
        QVERIFY(env.Select(QStringLiteral("UserGroups,G1")));
        QVERIFY(f.LoadFormObj(c, false));
        QVERIFY(f.cmdRenameEnabled);
        env.ui.inputs << QStringLiteral("G2");
        f.cmdRename_Click(c);
        QCOMPARE(f.lblGroupName, QStringLiteral("G2"));
        QCOMPARE(env.Groups(), QStringLiteral("G1=\nX="));

        // Rename twice, then OK: one cascade from the old name to the last one.
        QVERIFY(f.LoadFormObj(c, false));
        env.ui.inputs << QStringLiteral("G2") << QStringLiteral("x") << QStringLiteral("G3");
        f.cmdRename_Click(c);
        f.cmdRename_Click(c); // taken by X
        f.cmdRename_Click(c);
        QCOMPARE(env.ui.keyIns.last(),
                 (QStringList{"變更連絡人群組名稱", "請輸入新連絡人群組名稱:", "G2", "50"}));
        f.txtGroupDsc = QStringLiteral("third");
        QVERIFY(f.cmdOK_Click(c));
        QCOMPARE(env.Groups(), QStringLiteral("G3=third\nX="));
        QCOMPARE(env.Users(), QStringLiteral("u=G3|X"));
        QVERIFY(env.HasLeaf(QStringLiteral("UserGroups,G3")));
    }

    void addDialogsListWhatCanBeChosen() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "Team(1)"}) +
                             "UPDATE UserGroups SET GroupDsc='Alarm Team' WHERE GroupName='A';" +
                             UserSql("Tom", "1", "a") + UserSql("Ann", "2", "", 0, "night") +
                             UserSql("Bob", "3", "Team(1)")));
        AppContext& c = env.c();
        // A group with a description shows it in brackets; choosing it adds the plain name.
        AddUserGroupForm& ag = c.forms.addUserGroup;
        ag.LoadFormObj(c, QStringLiteral("Ann"));
        QCOMPARE(ag.cmbUserGroups.items, (QStringList{"A(Alarm Team)", "Team(1)"}));
        QCOMPARE(ag.cmbUserGroups.index, 0);
        QVERIFY(ag.cmdOK_Click(c));
        // A name with "(" of its own stays whole.
        ag.LoadFormObj(c, QStringLiteral("Ann"));
        QCOMPARE(ag.cmbUserGroups.items, (QStringList{"Team(1)"}));
        QVERIFY(ag.cmdOK_Click(c));
        QCOMPARE(env.Users(), QStringLiteral("Tom=a\nAnn=A|Team(1)\nBob=Team(1)"));

        // Contacts not yet in the group, with descriptions; the move list without the group.
        AddOtherUserForm& ao = c.forms.addOtherUser;
        ao.LoadFormObj(c, QStringLiteral("A"));
        QCOMPARE(ao.lblGroupName, QStringLiteral("目前群組名稱:A"));
        QCOMPARE(ao.cmbAddUser.items, (QStringList{"Bob"}));
        QVERIFY(ao.cmdOK_Click(c));
        QCOMPARE(env.Users(), QStringLiteral("Tom=a\nAnn=A|Team(1)\nBob=Team(1)|A"));
        MoveUsersForm& mv = c.forms.moveUsers;
        mv.LoadFormObj(c, QStringLiteral("a"));
        QCOMPARE(mv.cmbMoveGroup.items, (QStringList{"Team(1)"}));
        QCOMPARE(mv.Label1, QStringLiteral("將群組[a]的全部連絡人 (3 位) 轉移到:"));
        QVERIFY(mv.cmdOK_Click(c));
        QCOMPARE(env.Users(), QStringLiteral("Tom=Team(1)\nAnn=Team(1)\nBob=Team(1)"));
    }

    void placeholders() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"Only"}) + UserSql("Tom", "1", "only")));
        AppContext& c = env.c();
        MoveUsersForm& mv = c.forms.moveUsers;
        mv.LoadFormObj(c, QStringLiteral("Only"));
        QCOMPARE(mv.cmbMoveGroup.items, (QStringList{"無其它群組"}));
        QVERIFY(!mv.cmbMoveGroup.enabled);
        QVERIFY(!mv.cmdOK_Click(c));

        AddOtherUserForm& ao = c.forms.addOtherUser;
        ao.LoadFormObj(c, QStringLiteral("Only"));
        QCOMPARE(ao.cmbAddUser.items, (QStringList{"無其它連絡人"}));
        QVERIFY(!ao.cmbAddUser.enabled);
        QVERIFY(!ao.cmdOK_Click(c));

        AddUserGroupForm& ag = c.forms.addUserGroup;
        ag.LoadFormObj(c, QStringLiteral("Tom"));
        QCOMPARE(ag.cmbUserGroups.items, (QStringList{"無"}));
        QVERIFY(!ag.cmbUserGroups.enabled);
        QVERIFY(!ag.cmdOK_Click(c));
        QCOMPARE(env.Users(), QStringLiteral("Tom=only"));
        QVERIFY(!env.p().IsModified);

        // A new group from the dialog becomes its only entry.
        env.ui.inputs << QStringLiteral("Fresh");
        ag.cmdAddGroup_Click(c);
        QCOMPARE(ag.cmbUserGroups.items, (QStringList{"Fresh"}));
        QVERIFY(ag.cmbUserGroups.enabled);
        QCOMPARE(ag.cmbUserGroups.index, 0);
        QVERIFY(ag.cmdOK_Click(c));
        QCOMPARE(env.Users(), QStringLiteral("Tom=only|Fresh"));
    }

    void addUserDialogResults() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"B", "A"})));
        AddUserForm& f = env.c().forms.addUser;
        f.LoadFormObj(env.c(), QStringLiteral("User1"));
        QCOMPARE(f.cmbUserGroups.items, (QStringList{"B", "A"}));
        QCOMPARE(f.cmbUserGroups.index, 0);
        f.cmdOK_Click();
        QCOMPARE(f.resultName, QStringLiteral("User1"));
        QCOMPARE(f.resultGroup, QStringLiteral("B"));
        f.LoadFormObj(env.c(), QStringLiteral("User1"));
        f.cmdCancel_Click();
        QVERIFY(f.resultName.isEmpty());
        QVERIFY(f.resultGroup.isEmpty());
    }

    void zoneMessageLengthRules_data() {
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<QString>("alarm");
        QTest::addColumn<QString>("reset");
        QTest::addColumn<QString>("title"); // empty: both fit
        QTest::addColumn<QString>("focus");
        const QString han = QStringLiteral("警");
        QTest::newRow("unicode 70")
            << true << han.repeated(70) << QString() << QString() << QString();
        QTest::newRow("unicode 71")
            << true << han.repeated(71) << QString() << QStringLiteral("警報發起訊息長度超過限制")
            << QStringLiteral("txtAlarmSMS");
        QTest::newRow("unicode reset 71")
            << true << QString() << QString(71, u'a') << QStringLiteral("警報復歸訊息長度超過限制")
            << QStringLiteral("txtResetSMS");
        QTest::newRow("big5 80 double")
            << false << han.repeated(80) << han.repeated(80) << QString() << QString();
        QTest::newRow("big5 81 double")
            << false << han.repeated(81) << QString() << QStringLiteral("警報發起訊息長度超過限制")
            << QStringLiteral("txtAlarmSMS");
        QTest::newRow("big5 160 ascii")
            << false << QString(160, u'a') << QString(160, u'b') << QString() << QString();
        QTest::newRow("big5 reset 161")
            << false << QString() << QString(161, u'b')
            << QStringLiteral("警報復歸訊息長度超過限制") << QStringLiteral("txtResetSMS");
        QTest::newRow("both too long")
            << false << QString(161, u'a') << QString(161, u'b')
            << QStringLiteral("警報發起訊息長度超過限制") << QStringLiteral("txtAlarmSMS");
    }

    void zoneMessageLengthRules() {
        QFETCH(bool, unicode);
        QFETCH(QString, alarm);
        QFETCH(QString, reset);
        QFETCH(QString, title);
        QFETCH(QString, focus);
        EditEnv env;
        QVERIFY(
            env.OpenWith(GroupsSql({"A"}) +
                         QStringLiteral("UPDATE Basic SET IsUnicode=%1;").arg(unicode ? 1 : 0)));
        QVERIFY(env.Select(QStringLiteral("Zones,3")));
        EditZoneListForm& f = env.c().forms.editZoneList;
        QVERIFY(f.LoadFormObj(env.c()));
        f.txtAlarmSMS = alarm;
        f.txtResetSMS = reset;
        QCOMPARE(f.cmdOK_Click(env.c()), title.isEmpty());
        QCOMPARE(f.focusControl, focus);
        if (title.isEmpty()) {
            QVERIFY(env.ui.messages.isEmpty());
            QCOMPARE(env.Q("SELECT AlarmSMS FROM Zones WHERE ZoneNo=3"), alarm);
            return;
        }
        QCOMPARE(env.ui.messages.size(), 1);
        QCOMPARE(env.ui.messages[0].title, title);
        const QString limit = unicode ? QStringLiteral("70個字!") : QStringLiteral("160個位元組!");
        QVERIFY2(env.ui.messages[0].text.endsWith(limit), qPrintable(env.ui.messages[0].text));
        QCOMPARE(env.Q("SELECT AlarmSMS||ResetSMS FROM Zones WHERE ZoneNo=3"), QString());
    }

    void zoneMessageCounter_data() {
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("counter");
        QTest::addColumn<bool>("over");
        QTest::addColumn<QString>("gaps"); // the characters the warning names; empty: none
        QTest::addColumn<bool>("offer");   // the warning offers a Unicode project
        const QString han = QStringLiteral("警");
        QTest::newRow("unicode") << true << QString(23, u'a') << "23 / 70 個字" << false << ""
                                 << false;
        QTest::newRow("unicode emoji")
            << true << QStringLiteral("a😀") << "3 / 70 個字" << false << "" << false;
        QTest::newRow("unicode over")
            << true << han.repeated(71) << "71 / 70 個字" << true << "" << false;
        QTest::newRow("big5 han") << false << han.repeated(23) << "46 / 160 個位元組" << false << ""
                                  << false;
        QTest::newRow("big5 limit")
            << false << han.repeated(80) << "160 / 160 個位元組" << false << "" << false;
        QTest::newRow("big5 over")
            << false << QString(161, u'a') << "161 / 160 個位元組" << true << "" << false;
        QTest::newRow("big5 gaps once each")
            << false << QStringLiteral("a✓😀✓?") << "5 / 160 個位元組" << false << "✓ 😀" << true;
        QTest::newRow("big5 gaps, too long for unicode")
            << false << QStringLiteral("✓") + QString(70, u'a') << "71 / 160 個位元組" << false
            << "✓" << false;
    }

    void zoneMessageCounter() {
        QFETCH(bool, unicode);
        QFETCH(QString, text);
        QFETCH(QString, counter);
        QFETCH(bool, over);
        QFETCH(QString, gaps);
        EditEnv env;
        QVERIFY(env.OpenWith(QString()));
        const auto m = EditZoneListForm::Measure(env.c().ml, text, unicode);
        QCOMPARE(m.counter, counter);
        QCOMPARE(m.over, over);
        QCOMPARE(m.over, !EditZoneListForm::MessageFits(text, unicode));
        QFETCH(bool, offer);
        QCOMPARE(m.warning, gaps.isEmpty()
                                ? QString()
                                : QStringLiteral("裝置無法傳送這些字元，將以「?」送出: ") + gaps +
                                      (offer ? QStringLiteral("\n將專案改為Unicode即可保留它們 "
                                                              "(儲存時會詢問)。")
                                             : QString()));
    }

    // OK with characters the device cannot send offers a Unicode project, which keeps them,
    // when every message then fits; saving them as "?" takes a deliberate Yes (Enter is No).
    void zoneUnsendableAsksBeforeSaving_data() {
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<QString>("reset");
        QTest::addColumn<QString>("sql");       // run on the project first
        QTest::addColumn<QString>("answers");   // y, n; then Enter (the default button)
        QTest::addColumn<QStringList>("asked"); // each question's last line
        QTest::addColumn<QString>("stored");    // empty: nothing saved
        QTest::addColumn<bool>("nowUnicode");
        const QString keep =
            QStringLiteral("要將專案改為Unicode以保留它們嗎? (每則訊息最多70個字)");
        const QString lose = QStringLiteral("要將它們改為「?」並儲存嗎?");
        const QString text = QStringLiteral("ok ✓ 😀");
        const QString longer = QStringLiteral("✓") + QString(70, u'a');
        const QString longerLost = QStringLiteral("?") + QString(70, u'a');
        const QString otherLong =
            QStringLiteral("UPDATE Zones SET AlarmSMS='%1' WHERE ZoneNo=5;").arg(QString(71, u'b'));
        QTest::newRow("enter switches to unicode") << false << text << ""
                                                   << "" << QStringList{keep} << text << true;
        QTest::newRow("no switch, enter keeps editing")
            << false << text << ""
            << "n" << QStringList{keep, lose} << "" << false;
        QTest::newRow("no switch, yes loses them")
            << false << text << ""
            << "ny" << QStringList{keep, lose} << "ok ? ?" << false;
        QTest::newRow("too long for unicode, enter keeps editing")
            << false << longer << ""
            << "" << QStringList{lose} << "" << false;
        QTest::newRow("too long for unicode, yes")
            << false << longer << ""
            << "y" << QStringList{lose} << longerLost << false;
        QTest::newRow("another zone too long for unicode")
            << false << text << otherLong << "" << QStringList{lose} << "" << false;
        QTest::newRow("unicode project") << true << text << ""
                                         << "" << QStringList{} << text << true;
    }

    void zoneUnsendableAsksBeforeSaving() {
        QFETCH(bool, unicode);
        QFETCH(QString, reset);
        QFETCH(QString, sql);
        QFETCH(QString, answers);
        QFETCH(QStringList, asked);
        QFETCH(QString, stored);
        QFETCH(bool, nowUnicode);
        EditEnv env;
        QVERIFY(
            env.OpenWith(QStringLiteral("UPDATE Basic SET IsUnicode=%1;").arg(int(unicode)) + sql));
        QVERIFY(env.Select(QStringLiteral("Zones,3")));
        EditZoneListForm& f = env.c().forms.editZoneList;
        QVERIFY(f.LoadFormObj(env.c()));
        f.txtResetSMS = reset;
        for (QChar a : answers)
            env.ui.answers.enqueue(a == u'y' ? vbYes : vbNo);
        QCOMPARE(f.cmdOK_Click(env.c()), !stored.isEmpty());
        QCOMPARE(env.ui.messages.size(), asked.size());
        for (int i = 0; i < asked.size(); ++i) {
            const RecordedMsg& m = env.ui.messages[i];
            const QString lost = reset == QStringLiteral("ok ✓ 😀") ? "✓ 😀\r\n存成「?」將失去 2"
                                                                   : "✓\r\n存成「?」將失去 1";
            QCOMPARE(m.text, QStringLiteral("簡訊報警機無法傳送訊息中的這些字元: ") + lost +
                                 QStringLiteral(" 個字元。\r\n") + asked[i]);
            QCOMPARE(m.title, QStringLiteral("警報區"));
            // Only the question that loses text has No as its default.
            const bool losing = asked[i].contains(QStringLiteral("「?」"));
            QCOMPARE(int(m.style), int(vbYesNo | vbQuestion) | (losing ? vbDefaultButton2 : 0));
        }
        QCOMPARE(env.Q("SELECT ResetSMS FROM Zones WHERE ZoneNo=3"), stored);
        QCOMPARE(env.Q("SELECT IsUnicode FROM Basic"), QString::number(int(nowUnicode)));
        QCOMPARE(f.focusControl, stored.isEmpty() ? QStringLiteral("txtResetSMS") : QString());
        QCOMPARE(env.p().IsModified, !stored.isEmpty());
    }

    void zoneTargetRoundTrip() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "B"}) +
                             "UPDATE Zones SET GroupName='ALL' WHERE ZoneNo=1;"
                             "UPDATE Zones SET GroupName='B' WHERE ZoneNo=2;"));
        AppContext& c = env.c();
        EditZoneListForm& f = c.forms.editZoneList;
        const QString all = QStringLiteral("所有連絡人群組");
        for (int zone : {1, 2, 3}) {
            QVERIFY(env.Select(QStringLiteral("Zones,%1").arg(zone)));
            QVERIFY(f.LoadFormObj(c));
            QCOMPARE(f.cmbGroupName.items, (QStringList{"A", "B", all}));
            QVERIFY(f.cmdOK_Click(c));
        }
        // "ALL" shows the all-groups entry and is written back; a group stays; an empty
        // target shows, and so takes, the first group.
        QCOMPARE(env.ZoneTarget(1), QStringLiteral("ALL"));
        QCOMPARE(env.ZoneTarget(2), QStringLiteral("B"));
        QCOMPARE(env.ZoneTarget(3), QStringLiteral("A"));
        QVERIFY(env.Select(QStringLiteral("Zones,4")));
        QVERIFY(f.LoadFormObj(c));
        f.cmbGroupName.index = int(f.cmbGroupName.items.indexOf(all));
        QVERIFY(f.cmdOK_Click(c));
        QCOMPARE(env.ZoneTarget(4), QStringLiteral("ALL"));
    }

    void zoneTargetIsTheEntrysNameNotItsText() {
        // A group named like the all-groups entry stays that group; the entry stays "ALL".
        EditEnv env;
        const QString all = QStringLiteral("所有連絡人群組");
        QVERIFY(env.OpenWith(GroupsSql({all})));
        EditZoneListForm& f = env.c().forms.editZoneList;
        for (int entry : {0, 1}) {
            QVERIFY(env.Select(QStringLiteral("Zones,%1").arg(entry + 5)));
            QVERIFY(f.LoadFormObj(env.c()));
            QCOMPARE(f.cmbGroupName.items, (QStringList{all, all}));
            f.cmbGroupName.index = entry;
            QVERIFY(f.cmdOK_Click(env.c()));
        }
        QCOMPARE(env.ZoneTarget(5), all);
        QCOMPARE(env.ZoneTarget(6), QStringLiteral("ALL"));
    }

    void zoneWithoutGroupsOffersOnlyNone() {
        EditEnv env;
        QVERIFY(env.OpenWith(QStringLiteral("UPDATE Zones SET GroupName='Old' WHERE ZoneNo=0;")));
        QVERIFY(env.Select(QStringLiteral("Zones,0")));
        EditZoneListForm& f = env.c().forms.editZoneList;
        QVERIFY(f.LoadFormObj(env.c()));
        QCOMPARE(f.cmbGroupName.items, (QStringList{"NONE", "Old"}));
        f.cmbGroupName.index = 0;
        QVERIFY(f.cmdOK_Click(env.c()));
        QCOMPARE(env.ZoneTarget(0), QStringLiteral("Old")); // "NONE" is never written
    }

    void zoneSaveUpdatesItsLeaf() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A"}) +
                             "UPDATE Zones SET ZoneName='Door', IsDisable=1 WHERE ZoneNo=7;"));
        AppContext& c = env.c();
        const QModelIndex leaf = MainView::FindNodeByTag(c.view, QStringLiteral("Zones,7"));
        QVERIFY(c.view.tree.data(leaf, ProjTreeModel::GreyRole).toBool());
        QVERIFY(env.Select(QStringLiteral("Zones,7")));
        EditZoneListForm& f = c.forms.editZoneList;
        QVERIFY(f.LoadFormObj(c));
        QCOMPARE(f.lblZoneNo, QStringLiteral("7"));
        QVERIFY(f.chkIsDisable);
        // Only the flag changes: the leaf turns black.
        f.chkIsDisable = false;
        QVERIFY(f.cmdOK_Click(c));
        QVERIFY(!c.view.tree.data(leaf, ProjTreeModel::GreyRole).toBool());
        QCOMPARE(c.view.tree.Caption(leaf), QStringLiteral("#7-Door"));
        QVERIFY(f.LoadFormObj(c));
        f.txtZoneName = QStringLiteral("Gate");
        f.txtZoneDsc = QStringLiteral("north");
        QVERIFY(f.cmdOK_Click(c));
        QCOMPARE(c.view.tree.Caption(leaf), QStringLiteral("#7-Gate"));
        QCOMPARE(env.SelectedTag(), QStringLiteral("Zones,7"));
        QCOMPARE(env.Q("SELECT ZoneName||'|'||ZoneDsc||'|'||IsDisable FROM Zones WHERE ZoneNo=7"),
                 QStringLiteral("Gate|north|0"));
        QVERIFY(env.p().IsModified);
    }

    void projectMenuRule() {
        EditEnv env;
        {
            const ProjMenuState s = ProjMenu::mnuProj_Click(env.c()); // no project
            QVERIFY(!s.mnuProjAddGroupList.enabled && !s.mnuProjAddTelList.enabled &&
                    !s.mnuProjEditZoneList.enabled);
        }
        QVERIFY(env.OpenWith(GroupsSql({"n"}) + UserSql("Tom", "1", "n")));
        AppContext& c = env.c();

        QVERIFY(env.Select(QStringLiteral("UserGroups,n")));
        c.project.UserGroups->SetAbsolutePosition(RowSet::adPosEOF);
        ProjMenuState s = ProjMenu::mnuProj_Click(c);
        QVERIFY(s.mnuProjAddGroupList.enabled && s.mnuProjAddTelList.enabled);
        QCOMPARE(s.mnuProjEditGroupList.caption.value(), QStringLiteral("編輯連絡人群組[n]"));
        QCOMPARE(s.mnuProjDeleteGroupList.caption.value(), QStringLiteral("刪除連絡人群組[n]"));
        QVERIFY(s.mnuProjEditGroupList.enabled && s.mnuProjDeleteGroupList.enabled);
        QCOMPARE(s.mnuProjEditZoneList.caption.value(), QStringLiteral("編輯警報點"));
        QVERIFY(!s.mnuProjEditZoneList.enabled && !s.mnuProjEditTelList.enabled);
        // The rule leaves the leaf's row current.
        QCOMPARE(ADOUtil::NullToStr(c.project.UserGroups->Field(QStringLiteral("GroupName"))),
                 QStringLiteral("n"));

        QVERIFY(env.Select(QStringLiteral("Users,Tom")));
        s = ProjMenu::mnuProj_Click(c);
        // The commands act on the row the rule located; a row gone meanwhile is reported.
        ProjMenu::mnuProjEditTelList_Click(c);
        QCOMPARE(env.ui.modalsShown, (QList<Window>{Windows::frmEditTelList}));
        c.project.Users->SetAbsolutePosition(RowSet::adPosEOF);
        ProjMenu::mnuProjEditTelList_Click(c);
        QCOMPARE(env.ui.modalsShown.size(), 1);
        QCOMPARE(env.ui.messages.size(), 1);
        QCOMPARE(env.ui.messages[0].text,
                 QStringLiteral("找不到這筆資料[Tom]，請按 F5 重新整理後再試一次。"));
        QCOMPARE(env.ui.messages[0].title, QStringLiteral("找不到資料"));
        QCOMPARE(s.mnuProjEditTelList.caption.value(), QStringLiteral("編輯連絡人[Tom]"));
        QCOMPARE(s.mnuProjDeleteTelList.caption.value(), QStringLiteral("刪除連絡人[Tom]"));
        QVERIFY(s.mnuProjEditTelList.enabled && s.mnuProjDeleteTelList.enabled);
        QVERIFY(!s.mnuProjEditGroupList.enabled);
        QCOMPARE(s.mnuProjEditGroupList.caption.value(), QStringLiteral("編輯連絡人群組"));

        QVERIFY(env.Select(QStringLiteral("Zones,12")));
        s = ProjMenu::mnuProj_Click(c);
        QCOMPARE(s.mnuProjEditZoneList.caption.value(), QStringLiteral("編輯警報點[12]"));
        QVERIFY(s.mnuProjEditZoneList.enabled);
        QCOMPARE(s.mnuProjEditTelList.caption.value(), QStringLiteral("編輯連絡人"));
        QVERIFY(!s.mnuProjEditTelList.enabled);

        QVERIFY(env.Select(QStringLiteral("Users")));
        s = ProjMenu::mnuProj_Click(c);
        QCOMPARE(s.mnuProjAddTelList.caption.value(), QStringLiteral("新增連絡人"));
        QCOMPARE(s.mnuProjEditZoneList.caption.value(), QStringLiteral("編輯警報點"));
        QVERIFY(!s.mnuProjEditTelList.enabled && !s.mnuProjDeleteGroupList.enabled);

        // Root and the zones branch: only the add items, captions left as they were.
        QVERIFY(env.Select(QStringLiteral("Zones")));
        s = ProjMenu::mnuProj_Click(c);
        QVERIFY(s.mnuProjAddGroupList.enabled && !s.mnuProjEditZoneList.enabled);
        QVERIFY(!s.mnuProjEditZoneList.caption && !s.mnuProjEditGroupList.caption);
    }

    void popupCommandsOpenTheirDialogs() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "B"}) + UserSql("Tom", "1", "A") +
                             UserSql("Ann", "2", "A|B")));
        AppContext& c = env.c();
        env.p().MaxTelNo = 4;
        QVERIFY(env.Select(QStringLiteral("Users,Tom")));
        ProjMenu::mnuProjConentAddGroup_Click(c, std::nullopt);
        QCOMPARE(env.ui.modalsShown, (QList<Window>{Windows::frmAddUserGroup}));
        QCOMPARE(c.forms.addUserGroup.lblUserName, QStringLiteral("Tom"));
        QCOMPARE(c.forms.addUserGroup.cmbUserGroups.items, (QStringList{"B"}));

        QVERIFY(env.Select(QStringLiteral("UserGroups,B")));
        ProjMenu::mnuProjConentMoveUser_Click(c, std::nullopt);
        QCOMPARE(c.forms.moveUsers.groupName, QStringLiteral("B"));
        // The groups branch with a list item: the item's group.
        QVERIFY(env.Select(QStringLiteral("UserGroups")));
        ProjMenu::mnuProjConentAddUser_Click(c, QStringLiteral("B"));
        QCOMPARE(c.forms.addOtherUser.cmbAddUser.items, (QStringList{"Tom"}));
        QCOMPARE(env.ui.modalsShown.size(), 3);

        // At the model's limit the two add commands refuse before any dialog.
        env.p().MaxTelNo = 3;
        ProjMenu::mnuProjConentAddUser_Click(c, QStringLiteral("B"));
        QVERIFY(env.Select(QStringLiteral("Users,Tom")));
        ProjMenu::mnuProjConentAddGroup_Click(c, std::nullopt);
        QCOMPARE(env.ui.modalsShown.size(), 3);
        QCOMPARE(env.ui.messages.size(), 2);
        QCOMPARE(env.ui.messages[0].text,
                 QStringLiteral(
                     "通知對象[群組/連絡人]已超過最大筆數[3]，不得再增加通知對象[群組/連絡人]！"));
    }
};

QTEST_GUILESS_MAIN(TestEditForms)
#include "tst_EditForms.moc"
