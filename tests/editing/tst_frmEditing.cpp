// The editing windows: they show the loaded form, hand what was typed and clicked to it, stay
// open when a check fails, and carry their texts in both languages. With KORVA_SHOTS_DIR set,
// each window is also saved as a picture there.
#include "editing/EditEnv.h"
#include "editing/EditWindows.h"
#include "editing/QtEditDialogs.h"
#include "mainwindow/MainWindows.h"
#include "ml/QtFormTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {
template <typename W> W* Child(QWidget* w, const char* name) {
    return w->findChild<W*>(QLatin1String(name));
}
void Click(QWidget* w, const char* name) {
    QTest::mouseClick(Child<QPushButton>(w, name), Qt::LeftButton);
}
void Type(QWidget* w, const char* name, const QString& text) {
    QLineEdit* e = Child<QLineEdit>(w, name);
    e->selectAll();
    QTest::keyClicks(e, text);
}
void Shot(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("KORVA_SHOTS_DIR");
    if (dir.isEmpty()) return;
    w->adjustSize();
    w->grab().save(dir + u'/' + name + QStringLiteral(".png"));
}
// Opens a window as ShowModal does, without its event loop: the form's content is shown.
template <typename Load> QDialog* Open(QtEditDialogs& dialogs, Window which, Load load) {
    load();
    QDialog* d = dialogs.Prepare(which);
    d->setResult(0);
    d->show();
    return d;
}
} // namespace

class TestFrmEditing : public QObject {
    Q_OBJECT

    static QString Sample() {
        return GroupsSql({"Day", "Night", "Weekend"}) +
               "UPDATE UserGroups SET GroupDsc='after hours' WHERE GroupName='Night';" +
               UserSql("Tom", "0912345678", "Night|Day", 0, "guard") +
               UserSql("Ann", "0922", "Day") +
               "UPDATE Zones SET ZoneName='Door', AlarmSMS='門被打開', ResetSMS='門已關上', "
               "GroupName='ALL' WHERE ZoneNo=1;"
               "UPDATE Zones SET GroupName='Gone' WHERE ZoneNo=2;";
    }

private Q_SLOTS:
    void contactEditorShowsAndSaves() {
        EditEnv env;
        QVERIFY(env.OpenWith(Sample()));
        AppContext& c = env.c();
        QtEditDialogs dialogs(c, nullptr);
        QVERIFY(env.Select(QStringLiteral("Users,Tom")));
        QDialog* d = Open(dialogs, Windows::frmEditTelList,
                          [&] { QVERIFY(c.forms.editTelList.LoadFormObj(c)); });
        QCOMPARE(Child<QLabel>(d, "lblTelUser")->text(), QStringLiteral("Tom"));
        QCOMPARE(Child<QLineEdit>(d, "txtTelNo")->text(), QStringLiteral("0912345678"));
        QTreeWidget* groups = Child<QTreeWidget>(d, "lvGroupName");
        QCOMPARE(groups->topLevelItemCount(), 2);
        QCOMPARE(groups->topLevelItem(0)->text(0), QStringLiteral("Day"));
        QCOMPARE(groups->topLevelItem(1)->text(1), QStringLiteral("after hours"));
        QCOMPARE(groups->headerItem()->text(0), QStringLiteral("連絡人群組名稱"));
        QVERIFY(Child<QPushButton>(d, "cmdDelete")->isEnabled());
        Shot(d, QStringLiteral("frmEditTelList"));

        // A number with letters: the message, the dialog stays, nothing written.
        Type(d, "txtTelNo", QStringLiteral("09x"));
        Click(d, "cmdOK");
        QCOMPARE(env.ui.messages.size(), 1);
        QCOMPARE(env.ui.messages[0].title, QStringLiteral("電話號碼只能輸入數字"));
        QCOMPARE(d->result(), 0);
        QCOMPARE(env.Q("SELECT PhoneNumber FROM Users WHERE UserName='Tom'"),
                 QStringLiteral("0912345678"));

        // Remove the selected group, type a number, disable, OK.
        groups->setCurrentItem(groups->topLevelItem(0));
        Click(d, "cmdDelete");
        QCOMPARE(groups->topLevelItemCount(), 1);
        Type(d, "txtTelNo", QStringLiteral("0933"));
        Child<QCheckBox>(d, "chkIsDisable")->setChecked(true);
        Click(d, "cmdOK");
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(env.Q("SELECT PhoneNumber||'|'||IsDisable||'|'||GroupName FROM Users WHERE "
                       "UserName='Tom'"),
                 QStringLiteral("0933|1|Night"));
    }

    void pickerGreysHeldGroups() {
        EditEnv env;
        QVERIFY(env.OpenWith(Sample()));
        AppContext& c = env.c();
        QtEditDialogs dialogs(c, nullptr);
        QVERIFY(env.Select(QStringLiteral("Users,Ann")));
        QVERIFY(c.forms.editTelList.LoadFormObj(c));
        QDialog* d =
            Open(dialogs, Windows::frmAllUserGroups, [&] { c.forms.allUserGroups.LoadFormObj(c); });
        QTreeWidget* list = Child<QTreeWidget>(d, "lvUserGroups");
        QCOMPARE(list->topLevelItemCount(), 3);
        const QColor grey = list->palette().color(QPalette::Disabled, QPalette::Text);
        QCOMPARE(list->topLevelItem(0)->foreground(0).color(), grey); // Ann has Day
        QVERIFY(list->topLevelItem(1)->foreground(0).color() != grey);
        QCOMPARE(list->currentItem(), list->topLevelItem(1));
        Shot(d, QStringLiteral("frmAllUserGroups"));
        Click(d, "cmbOK");
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(c.forms.allUserGroups.resultName, QStringLiteral("Night"));
    }

    void zoneEditorKeepsAStoredTarget() {
        EditEnv env;
        QVERIFY(env.OpenWith(Sample()));
        AppContext& c = env.c();
        QtEditDialogs dialogs(c, nullptr);
        QVERIFY(env.Select(QStringLiteral("Zones,1")));
        QDialog* d = Open(dialogs, Windows::frmEditZoneList,
                          [&] { QVERIFY(c.forms.editZoneList.LoadFormObj(c)); });
        QComboBox* target = Child<QComboBox>(d, "cmbGroupName");
        QCOMPARE(target->count(), 4);
        QCOMPARE(target->currentText(), QStringLiteral("所有連絡人群組"));
        QCOMPARE(Child<QLineEdit>(d, "txtAlarmSMS")->text(), QStringLiteral("門被打開"));
        Shot(d, QStringLiteral("frmEditZoneList"));
        Click(d, "cmdOK");
        QCOMPARE(env.ZoneTarget(1), QStringLiteral("ALL"));

        // A target the list does not offer is shown as it is and kept by OK.
        QVERIFY(env.Select(QStringLiteral("Zones,2")));
        d = Open(dialogs, Windows::frmEditZoneList,
                 [&] { QVERIFY(c.forms.editZoneList.LoadFormObj(c)); });
        QCOMPARE(target->currentText(), QStringLiteral("Gone"));
        // A message too long keeps the dialog open.
        Type(d, "txtResetSMS", QString(161, u'x'));
        Click(d, "cmdOK");
        QCOMPARE(d->result(), 0);
        QCOMPARE(env.ui.messages.last().title, QStringLiteral("警報復歸訊息長度超過限制"));
        Type(d, "txtResetSMS", QStringLiteral("ok"));
        Click(d, "cmdOK");
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(env.ZoneTarget(2), QStringLiteral("Gone"));
    }

    void smallDialogs() {
        EditEnv env;
        QVERIFY(env.OpenWith(Sample()));
        AppContext& c = env.c();
        QtEditDialogs dialogs(c, nullptr);

        QDialog* d = Open(dialogs, Windows::frmAddUserGroup,
                          [&] { c.forms.addUserGroup.LoadFormObj(c, QStringLiteral("Tom")); });
        QCOMPARE(Child<QLabel>(d, "lblUserName")->text(), QStringLiteral("Tom"));
        QCOMPARE(Child<QComboBox>(d, "cmbUserGroups")->currentText(), QStringLiteral("Weekend"));
        Shot(d, QStringLiteral("frmAddUserGroup"));
        Click(d, "cmdOK");
        QCOMPARE(env.Users(), QStringLiteral("Tom=Night|Day|Weekend\nAnn=Day"));
        // Now Tom has every group: the placeholder, disabled.
        d = Open(dialogs, Windows::frmAddUserGroup,
                 [&] { c.forms.addUserGroup.LoadFormObj(c, QStringLiteral("Tom")); });
        QComboBox* combo = Child<QComboBox>(d, "cmbUserGroups");
        QCOMPARE(combo->currentText(), QStringLiteral("無"));
        QVERIFY(!combo->isEnabled());

        d = Open(dialogs, Windows::frmMoveUsers,
                 [&] { c.forms.moveUsers.LoadFormObj(c, QStringLiteral("Day")); });
        QCOMPARE(Child<QLabel>(d, "lblGroupName")->text(), QStringLiteral("目前群組名稱:Day"));
        QCOMPARE(Child<QComboBox>(d, "cmbMoveGroup")->currentText(),
                 QStringLiteral("Night(after hours)"));
        Shot(d, QStringLiteral("frmMoveUsers"));
        Child<QComboBox>(d, "cmbMoveGroup")->setCurrentIndex(1);
        Click(d, "cmdOK");
        QCOMPARE(env.Users(), QStringLiteral("Tom=Night|Weekend\nAnn=Weekend"));

        d = Open(dialogs, Windows::frmAddOtherUser,
                 [&] { c.forms.addOtherUser.LoadFormObj(c, QStringLiteral("Night")); });
        QCOMPARE(Child<QComboBox>(d, "cmbAddUser")->currentText(), QStringLiteral("Ann"));
        Shot(d, QStringLiteral("frmAddOtherUser"));

        d = Open(dialogs, Windows::frmAddUser,
                 [&] { c.forms.addUser.LoadFormObj(c, QStringLiteral("User1")); });
        QCOMPARE(Child<QLineEdit>(d, "txtAddUserName")->text(), QStringLiteral("User1"));
        Shot(d, QStringLiteral("frmAddUser"));
        Type(d, "txtAddUserName", QStringLiteral("Bob"));
        Child<QComboBox>(d, "cmbUserGroups")->setCurrentIndex(2);
        Click(d, "cmdOK");
        QCOMPARE(c.forms.addUser.resultName, QStringLiteral("Bob"));
        QCOMPARE(c.forms.addUser.resultGroup, QStringLiteral("Weekend"));

        QVERIFY(env.Select(QStringLiteral("UserGroups,Night")));
        d = Open(dialogs, Windows::frmEditGroupList,
                 [&] { QVERIFY(c.forms.editGroupList.LoadFormObj(c, false)); });
        QCOMPARE(Child<QLabel>(d, "lblGroupName")->text(), QStringLiteral("Night"));
        QCOMPARE(Child<QLineEdit>(d, "txtGroupDsc")->text(), QStringLiteral("after hours"));
        Shot(d, QStringLiteral("frmEditGroupList"));
        env.ui.inputs << QStringLiteral("Nights");
        Click(d, "cmdRename");
        QCOMPARE(Child<QLabel>(d, "lblGroupName")->text(), QStringLiteral("Nights"));
        Click(d, "cmdOK");
        QCOMPARE(env.Users(), QStringLiteral("Tom=Nights|Weekend\nAnn=Weekend"));
        QVERIFY(env.ui.messages.isEmpty());
    }

    void englishWindowTexts() {
        EditEnv env(1033);
        QVERIFY(env.OpenWith(Sample()));
        AppContext& c = env.c();
        QtEditDialogs dialogs(c, nullptr);
        const QList<std::pair<Window, QString>> windows = {
            {Windows::frmEditGroupList, "frmEditGroupList"},
            {Windows::frmEditTelList, "frmEditTelList"},
            {Windows::frmAllUserGroups, "frmAllUserGroups"},
            {Windows::frmEditZoneList, "frmEditZoneList"},
            {Windows::frmAddUser, "frmAddUser"},
            {Windows::frmAddUserGroup, "frmAddUserGroup"},
            {Windows::frmMoveUsers, "frmMoveUsers"},
            {Windows::frmAddOtherUser, "frmAddOtherUser"}};
        for (const auto& [which, form] : windows) {
            QDialog* d = dialogs.Dialog(which);
            QVERIFY(d);
            // Every listed text has its control.
            QCOMPARE(QtFormTexts::Apply(d, c.ml, form), QStringList());
            QVERIFY2(!d->windowTitle().contains(
                         QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]"))),
                     qPrintable(form));
        }
        QCOMPARE(dialogs.Dialog(Windows::frmEditTelList)->windowTitle(), QStringLiteral("Contact"));
        QCOMPARE(Child<QPushButton>(dialogs.Dialog(Windows::frmEditTelList), "cmdOK")->text(),
                 QStringLiteral("OK"));
        QVERIFY(!dialogs.ShowModal(Windows::frmToolsOptions).has_value());

        QVERIFY(env.Select(QStringLiteral("Users,Tom")));
        QDialog* d = Open(dialogs, Windows::frmEditTelList,
                          [&] { QVERIFY(c.forms.editTelList.LoadFormObj(c)); });
        QCOMPARE(Child<QTreeWidget>(d, "lvGroupName")->headerItem()->text(1),
                 QStringLiteral("Group description"));
        Shot(d, QStringLiteral("frmEditTelList-en"));
        QVERIFY(env.Select(QStringLiteral("Zones,1")));
        d = Open(dialogs, Windows::frmEditZoneList,
                 [&] { QVERIFY(c.forms.editZoneList.LoadFormObj(c)); });
        QCOMPARE(Child<QComboBox>(d, "cmbGroupName")->currentText(),
                 QStringLiteral("All contact groups"));
        Shot(d, QStringLiteral("frmEditZoneList-en"));
        Click(d, "cmdOK");
        QCOMPARE(env.ZoneTarget(1), QStringLiteral("ALL"));
        d = Open(dialogs, Windows::frmMoveUsers,
                 [&] { c.forms.moveUsers.LoadFormObj(c, QStringLiteral("Day")); });
        Shot(d, QStringLiteral("frmMoveUsers-en"));
    }
};

QTEST_MAIN(TestFrmEditing)
#include "tst_frmEditing.moc"
