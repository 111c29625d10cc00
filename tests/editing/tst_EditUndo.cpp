// Undo and redo of every kind of edit, and the edits of several rows at once. The property
// test runs seeded random sequences of edits (refused ones included) through the core's
// commands and checks that every step undoes to the state before it and redoes to the state
// after it, that undoing everything gives the first state and redoing everything the last,
// byte for byte with row ids, and that the tree and list stay consistent models throughout.
#include "base/CsvUtil.h"
#include "editing/EditCommands.h"
#include "editing/EditEnv.h"
#include "editing/EditWindows.h"
#include "editing/ProjMenu.h"
#include "editing/UndoStack.h"
#include "store/ProjBasic.h"
#include "store/ProjectSchema.h"
#include "store/StoreWindows.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <sqlite3.h>

namespace {
// The four tables as the sqlite3 program reads them: every value quoted with its type, every
// row with its row id, in row id order.
QString Canonical(const QString& db) {
    QProcess p;
    QString sql;
    for (const char* t : {"Basic", "UserGroups", "Users", "Zones"})
        sql +=
            QStringLiteral("SELECT '%1', rowid, * FROM %1 ORDER BY rowid;").arg(QLatin1String(t));
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), QStringLiteral("-readonly"),
                                        QStringLiteral("-quote"), db, sql});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The leaves' tags in tree order.
QStringList TreeTags(const ProjTreeModel& tree, const QModelIndex& parent = {}) {
    QStringList out;
    for (int r = 0; r < tree.rowCount(parent); ++r) {
        const QModelIndex i = tree.index(r, 0, parent);
        out << tree.Tag(i) << TreeTags(tree, i);
    }
    return out;
}

const QString kStart = GroupsSql({"A", "B", "Office"}) + UserSql("Mary Chen", "0912", "A|B") +
                       UserSql("Tom", "0933", "A") + UserSql("王小明", "0955", "Office", 1) +
                       UserSql("Nobody", "0977", "") +
                       "UPDATE Zones SET GroupName='A', AlarmSMS='fire', ResetSMS='ok' "
                       "WHERE ZoneNo<4;";

QString Dump(EditEnv& env) {
    return ProjectSnapshots::Take(env.p()).Dump();
}

// A field of every row, in row order.
QStringList Column(const RowSet* rs, const QString& field) {
    QStringList out;
    auto copy = rs->Clone();
    for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext())
        out << ADOUtil::FieldText(copy.get(), field);
    return out;
}
} // namespace

class TestEditUndo : public QObject {
    Q_OBJECT

    // One random edit, of any kind, with random answers (so some are refused or cancelled).
    void RandomEdit(EditEnv& env, QRandomGenerator& g) {
        AppContext& c = env.c();
        ScriptedUi& ui = env.ui;
        const auto pick = [&](const QStringList& from) {
            return from.isEmpty() ? QString() : from[int(g.bounded(int(from.size())))];
        };
        const QStringList names{"Mary Chen", "Tom", "王小明", "Nobody", "新人",
                                "A,b",       "x",   "Office", "ALL",    "  "};
        const QStringList groups = Column(env.p().UserGroups.get(), ProjectSchema::kGroupName);
        const QStringList users = Column(env.p().Users.get(), ProjectSchema::kUserName);
        const QString phone = pick({"0912000111", "+886912", "abc", "", "0933"});
        const bool yes = g.bounded(4) != 0;
        ui.answers.clear();
        ui.inputs.clear();
        ui.answers.enqueue(yes ? vbYes : vbNo);
        ui.onModal = [&](Window w) -> bool {
            if (w == Windows::frmEditGroupList) {
                if (g.bounded(2)) {
                    ui.inputs.enqueue(pick(names));
                    c.forms.editGroupList.cmdRename_Click(c);
                }
                c.forms.editGroupList.txtGroupDsc = pick(names);
                return c.forms.editGroupList.cmdOK_Click(c);
            }
            if (w == Windows::frmEditTelList) {
                c.forms.editTelList.txtTelNo = phone;
                c.forms.editTelList.chkIsDisable = g.bounded(2);
                return c.forms.editTelList.cmdOK_Click(c);
            }
            if (w == Windows::frmAddUser) {
                c.forms.addUser.txtAddUserName = pick(names);
                c.forms.addUser.cmdOK_Click();
                return true;
            }
            if (w == Windows::frmEditZoneList) {
                auto& f = c.forms.editZoneList;
                f.txtZoneName = pick(names);
                f.txtAlarmSMS =
                    g.bounded(4) ? QStringLiteral("火警 %1").arg(g.bounded(9)) : QString(200, u'x');
                f.chkIsDisable = g.bounded(2);
                return f.cmdOK_Click(c);
            }
            if (w == Windows::frmAddUserGroup) return c.forms.addUserGroup.cmdOK_Click(c);
            if (w == Windows::frmAddOtherUser) return c.forms.addOtherUser.cmdOK_Click(c);
            if (w == Windows::frmMoveUsers) return c.forms.moveUsers.cmdOK_Click(c);
            if (w == Windows::frmProjBasic) {
                ProjBasicFields f = ProjBasic::LoadFormObj(c);
                f.isUnicode = g.bounded(2);
                f.projectDsc = pick(names);
                return ProjBasic::CheckFormObj(c, f) && ProjBasic::SaveFormObj(c, f);
            }
            if (w == Windows::frmPickGroup) {
                c.forms.pickGroup.cmbGroup.index = 0;
                return true;
            }
            if (w == Windows::frmCsvImport) return yes;
            return false;
        };
        const auto selectLeaf = [&](const QString& kind, const QString& key) {
            return !key.isEmpty() && env.Select(kind + u',' + key);
        };
        const QString group = pick(groups);
        const QString user = pick(users);
        const QString zone = QString::number(g.bounded(64));
        QStringList someUsers, someZones;
        for (const QString& u : users)
            if (g.bounded(2)) someUsers << u;
        for (int z = 0; z < 64; ++z)
            if (g.bounded(8) == 0) someZones << QString::number(z);
        switch (g.bounded(17)) {
        case 0:
            ui.inputs.enqueue(pick(names));
            ProjMenu::mnuProjAddGroupList_Click(c);
            break;
        case 1:
            if (selectLeaf(QStringLiteral("UserGroups"), group))
                ProjMenu::mnuProjEditGroupList_Click(c);
            break;
        case 2:
            if (selectLeaf(QStringLiteral("UserGroups"), group))
                ProjMenu::mnuProjDeleteGroupList_Click(c);
            break;
        case 3:
            ProjMenu::mnuProjAddTelList_Click(c);
            break;
        case 4:
            if (selectLeaf(QStringLiteral("Users"), user)) ProjMenu::mnuProjEditTelList_Click(c);
            break;
        case 5:
            if (selectLeaf(QStringLiteral("Users"), user)) ProjMenu::mnuProjDeleteTelList_Click(c);
            break;
        case 6:
            if (selectLeaf(QStringLiteral("Zones"), zone)) ProjMenu::mnuProjEditZoneList_Click(c);
            break;
        case 7:
            if (selectLeaf(QStringLiteral("Users"), user))
                ProjMenu::mnuProjConentAddGroup_Click(c, {});
            break;
        case 8:
            if (selectLeaf(QStringLiteral("UserGroups"), group))
                ProjMenu::mnuProjConentAddUser_Click(c, {});
            break;
        case 9:
            if (selectLeaf(QStringLiteral("UserGroups"), group))
                ProjMenu::mnuProjConentMoveUser_Click(c, {});
            break;
        case 10:
            EditCommands::EditBasic(c);
            break;
        case 11: {
            // Zone names changed in a file of the zones, imported whole.
            CsvUtil::Records records = CsvExchange::ExportRecords(c, CsvExchange::Table::Zones);
            for (int i = 1; i < records.size(); ++i)
                if (g.bounded(8) == 0) records[i][1] = pick(names).trimmed();
            const QString path = env.InProjects(QStringLiteral("zones.csv"));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(CsvUtil::Write(records).toUtf8());
            f.close();
            ui.files.enqueue(path);
            EditCommands::ImportCsv(c, CsvExchange::Table::Zones);
            break;
        }
        case 12:
            EditCommands::DeleteUsers(c, someUsers);
            break;
        case 13:
            EditCommands::SetUsersDisabled(c, someUsers, g.bounded(2));
            break;
        case 14:
            if (g.bounded(2))
                EditCommands::AddUsersToGroup(c, someUsers);
            else
                EditCommands::MoveUsers(c, someUsers, group);
            break;
        case 15:
            EditCommands::RemoveUsersFromGroup(c, someUsers, group);
            break;
        default:
            switch (g.bounded(3)) {
            case 0:
                EditCommands::SetZonesTarget(c, someZones);
                break;
            case 1:
                EditCommands::SetZonesDisabled(c, someZones, g.bounded(2));
                break;
            default:
                EditCommands::ClearZonesReset(c, someZones);
                break;
            }
        }
        ui.onModal = nullptr;
    }

    // The tree shows what the file holds (read through row sets opened afresh), and
    // rebuilding it from the project's row sets changes nothing: they see the restored rows.
    static void TreeFollows(EditEnv& env) {
        const QStringList shown = TreeTags(env.c().view.tree);
        QStringList leaves, expected;
        for (const QString& tag : shown)
            if (tag.contains(u',')) leaves << tag;
        using namespace ProjectSchema;
        for (const auto& [table, field] :
             {std::pair{kUsers, kUserName}, std::pair{kUserGroups, kGroupName},
              std::pair{kZones, kZoneNo}}) {
            const auto fresh = ADOUtil::OpenRecordset(env.p().conn.get(), table);
            for (const QString& key : Column(fresh.get(), field))
                if (!key.isEmpty()) expected << table + u',' + key;
        }
        QCOMPARE(leaves, expected);
        MainView::mnuViewRefresh_Click(env.c());
        QCOMPARE(TreeTags(env.c().view.tree), shown);
    }

private Q_SLOTS:
    void randomSequences_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 8; ++seed)
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
    }

    void randomSequences() {
        QFETCH(quint32, seed);
        EditEnv env;
        QVERIFY(env.OpenWith(kStart));
        UndoStack undo(env.c());
        QAbstractItemModelTester treeTester(&env.c().view.tree);
        QAbstractItemModelTester listTester(&env.c().view.list);
        QRandomGenerator g(seed);
        const QString first = Canonical(env.p().MirPath);
        const QString firstDump = Dump(env);
        int pushed = 0;
        for (int i = 0; i < 25; ++i) {
            const QString before = Dump(env);
            const int index = undo.Index();
            RandomEdit(env, g);
            const QString after = Dump(env);
            if (undo.Index() == index) {
                // No step: nothing changed (refused, cancelled, or a change to nothing).
                QCOMPARE(after, before);
                continue;
            }
            ++pushed;
            QCOMPARE(undo.Index(), index + 1);
            QVERIFY(after != before);
            QVERIFY(!undo.CanRedo());
            QVERIFY(env.p().IsModified);
            QVERIFY(EditCommands::Undo(env.c()));
            QCOMPARE(Dump(env), before);
            TreeFollows(env);
            QVERIFY(EditCommands::Redo(env.c()));
            QCOMPARE(Dump(env), after);
            TreeFollows(env);
            // Now and then a step is undone for good: the next edit drops it.
            if (g.bounded(6) == 0) QVERIFY(EditCommands::Undo(env.c()));
        }
        QVERIFY2(pushed >= 5, "the sequence kept too few steps to say anything");
        while (undo.CanRedo()) // a step undone last is still there to redo
            QVERIFY(EditCommands::Redo(env.c()));
        const QString last = Canonical(env.p().MirPath);
        while (undo.CanUndo())
            QVERIFY(EditCommands::Undo(env.c()));
        QCOMPARE(Canonical(env.p().MirPath), first);
        QCOMPARE(Dump(env), firstDump);
        QVERIFY(!env.p().IsModified); // back to the state opened
        TreeFollows(env);
        while (undo.CanRedo())
            QVERIFY(EditCommands::Redo(env.c()));
        QCOMPARE(Canonical(env.p().MirPath), last);
        QVERIFY(env.p().IsModified);
    }

    // Names, captions and the clean state: a saved state undone to and redone from.
    void namesAndCleanState() {
        EditEnv env(1033);
        QVERIFY(env.OpenWith(kStart));
        UndoStack undo(env.c());
        AppContext& c = env.c();
        QCOMPARE(EditCommands::UndoCaption(c), QStringLiteral("Undo"));
        QVERIFY(env.Select(QStringLiteral("Users,Mary Chen")));
        ProjMenu::mnuProjDeleteTelList_Click(c);
        QCOMPARE(EditCommands::UndoCaption(c), QStringLiteral("Undo Delete contact [Mary Chen]"));
        QVERIFY(!env.HasLeaf(QStringLiteral("Users,Mary Chen")));

        QCOMPARE(KORVAMain::SaveProject(c, true, false, false), int(KORVAMain::kSaved));
        QVERIFY(!env.p().IsModified);
        QVERIFY(undo.CanUndo()); // saving keeps the steps

        QVERIFY(env.Select(QStringLiteral("UserGroups,Office")));
        env.ui.onModal = [&](Window) {
            env.ui.inputs.enqueue(QStringLiteral("Office 2"));
            c.forms.editGroupList.cmdRename_Click(c);
            return c.forms.editGroupList.cmdOK_Click(c);
        };
        ProjMenu::mnuProjEditGroupList_Click(c);
        QCOMPARE(undo.UndoText(), QStringLiteral("Rename group [Office 2]"));
        QVERIFY(env.p().IsModified);
        QVERIFY(EditCommands::Undo(c));
        QCOMPARE(EditCommands::RedoCaption(c), QStringLiteral("Redo Rename group [Office 2]"));
        QVERIFY(!env.p().IsModified); // the saved state again: no marker, no question
        // The selected leaf's row came back under its old name: its branch is selected.
        QVERIFY(env.HasLeaf(QStringLiteral("UserGroups,Office")));
        QCOMPARE(env.SelectedTag(), QStringLiteral("UserGroups"));
        QVERIFY(EditCommands::Undo(c));
        QVERIFY(env.p().IsModified);
        QVERIFY(env.HasLeaf(QStringLiteral("Users,Mary Chen")));
        // Undo wrote only the working copy.
        QVERIFY(!env.Sql3(env.p().ProjPath, QStringLiteral("SELECT UserName FROM Users"))
                     .contains(QStringLiteral("Mary Chen")));

        // Closing (or opening) a project forgets its steps.
        env.ui.answers.enqueue(vbNo);
        KORVAMain::CloseProject(c);
        QVERIFY(!undo.CanUndo() && !undo.CanRedo());
    }

    // A refused command, a cancelled one and a change to nothing leave no step.
    void noStepWithoutChange() {
        EditEnv env;
        QVERIFY(env.OpenWith(kStart));
        UndoStack undo(env.c());
        AppContext& c = env.c();
        env.ui.inputs.enqueue(QStringLiteral("A")); // a name taken: refused
        ProjMenu::mnuProjAddGroupList_Click(c);
        QVERIFY(!env.ui.messages.isEmpty());
        QVERIFY(env.Select(QStringLiteral("Users,Tom")));
        env.ui.answers.enqueue(vbNo);
        ProjMenu::mnuProjDeleteTelList_Click(c);
        QVERIFY(env.Select(QStringLiteral("Users,Tom")));
        env.ui.onModal = [&](Window) { return c.forms.editTelList.cmdOK_Click(c); };
        ProjMenu::mnuProjEditTelList_Click(c); // OK with nothing changed
        QCOMPARE(undo.Count(), 0);
        QVERIFY(!env.p().IsModified);
    }

    // A take while nothing was written gives the last image back unread; a write on the
    // project's connection or by another program makes it read the tables again.
    void snapshotCache_data() {
        QTest::addColumn<int>("writer"); // 0 none, 1 the project's connection, 2 another one
        QTest::newRow("nothing written") << 0;
        QTest::newRow("written here") << 1;
        QTest::newRow("written by another program") << 2;
    }
    void snapshotCache() {
        QFETCH(int, writer);
        EditEnv env;
        QVERIFY(env.OpenWith(kStart));
        SnapshotCache cache;
        const ProjectSnapshot first = ProjectSnapshots::Take(env.p(), cache);
        const QString update = QStringLiteral("UPDATE Users SET PhoneNumber='0999' "
                                              "WHERE UserName='Tom'");
        if (writer == 1) QVERIFY(env.p().conn->Execute(update));
        if (writer == 2) {
            sqlite3* other = nullptr;
            sqlite3_open(QFile::encodeName(env.p().MirPath).constData(), &other);
            const int rc =
                sqlite3_exec(other, update.toUtf8().constData(), nullptr, nullptr, nullptr);
            sqlite3_close(other);
            QCOMPARE(rc, SQLITE_OK);
        }
        const ProjectSnapshot again = ProjectSnapshots::Take(env.p(), cache);
        QCOMPARE(again.Dump(), ProjectSnapshots::Take(env.p()).Dump());
        QCOMPARE(again.tables[2] == first.tables[2], writer == 0);
        QCOMPARE(again.Dump().contains(QStringLiteral("30393939")), writer != 0);
    }

    // The stack keeps its limit of steps, and what a step costs on the largest project: 128
    // contacts in every group, 64 zones with messages of the longest kind.
    void boundedMemory() {
        QString sql = "UPDATE Basic SET IsUnicode=1;" + GroupsSql({"G1", "G2"});
        for (int i = 0; i < 128; ++i)
            sql += UserSql(QStringLiteral("聯絡人名稱%1").arg(i, 40, 10, QChar(u'0')),
                           QString(20, u'9'), "G1|G2", 0, QString(255, u'說'));
        sql += QStringLiteral("UPDATE Zones SET ZoneName='%1', ZoneDsc='%2', AlarmSMS='%3', "
                              "ResetSMS='%3', GroupName='G1';")
                   .arg(QString(50, u'區'), QString(255, u'明'), QString(70, u'警'));
        EditEnv env;
        QVERIFY(env.OpenWith(sql));
        UndoStack undo(env.c());
        for (int i = 0; i < UndoStack::kLimit + 10; ++i) {
            const QStringList zones{QString::number(i % 64)};
            EditCommands::SetZonesDisabled(env.c(), zones, (i / 64) % 2 == 0);
        }
        QCOMPARE(undo.Count(), UndoStack::kLimit);
        const qint64 whole = ProjectSnapshots::Take(env.p()).Bytes();
        const qint64 perStep = undo.Bytes() / undo.Count();
        qInfo("largest project: %lld bytes per snapshot, %lld bytes per step held", whole, perStep);
        // A zone edit shares the three tables it leaves alone with its neighbours.
        QVERIFY(perStep < whole / 2);
    }

    void bulkEdits_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QString>("refusal"); // the title of the rule's message; empty: done
        QTest::addColumn<QString>("after");   // a query on the working copy after it
        const QString users = "SELECT group_concat(UserName||'='||IsDisable||'='||"
                              "replace(GroupName,char(13)||char(10),'|'),';') FROM Users";
        const QString zones = "SELECT group_concat(ZoneNo||'='||IsDisable||'='||GroupName||'='||"
                              "ResetSMS,';') FROM Zones WHERE ZoneNo IN (1,2,5)";
        const QString limit = QStringLiteral("通知對象[群組/連絡人]已超過最大筆數");
        QTest::newRow("add within the limit") << "add" << QStringList{"X", "Y"} << "A"
                                              << ""
                                              << "X=0=A;Y=0=A;Bad=0=;Empty=0=";
        QTest::newRow("members already count") << "add" << QStringList{"C1", "X", "Y"} << "A"
                                               << ""
                                               << "X=0=A;Y=0=A;Bad=0=;Empty=0=";
        QTest::newRow("add over the limit")
            << "add" << QStringList{"X", "Y", "Bad"} << "A" << limit << "X=0=;Y=0=;Bad=0=;Empty=0=";
        QTest::newRow("add to a group that is gone") << "add" << QStringList{"X", "Y"} << "Gone"
                                                     << "變更多筆資料失敗"
                                                     << "X=0=;Y=0=;Bad=0=;Empty=0=";
        QTest::newRow("a contact that is gone") << "disable" << QStringList{"X", "Zed"} << ""
                                                << "變更多筆資料失敗"
                                                << "X=0=;Y=0=;Bad=0=;Empty=0=";
        QTest::newRow("disable") << "disable" << QStringList{"X", "Y"} << ""
                                 << ""
                                 << "X=1=;Y=1=;Bad=0=;Empty=0=";
        QTest::newRow("disable with a bad number") << "disable" << QStringList{"X", "Bad"} << ""
                                                   << "電話號碼只能輸入數字"
                                                   << "X=0=;Y=0=;Bad=0=;Empty=0=";
        QTest::newRow("enable with no number") << "enable" << QStringList{"Y", "Empty"} << ""
                                               << "本電話簿不得為空"
                                               << "X=0=;Y=0=;Bad=0=;Empty=0=";
        QTest::newRow("move") << "move" << QStringList{"C1", "C2"} << "B"
                              << ""
                              << "C1=0=B;C2=0=B";
        QTest::newRow("remove") << "remove" << QStringList{"C1", "C2"} << "A"
                                << ""
                                << "C1=0=B;C2=0=B";
        QTest::newRow("delete") << "delete" << QStringList{"X", "Y", "Bad"} << ""
                                << ""
                                << "Empty=0=";
        QTest::newRow("zone target") << "target" << QStringList{"1", "2"} << "ALL"
                                     << ""
                                     << "1=0=ALL=r;2=0=ALL=r;5=0==r";
        QTest::newRow("zones disabled") << "zonesOff" << QStringList{"1", "2"} << ""
                                        << ""
                                        << "1=1==r;2=1==r;5=0==r";
        QTest::newRow("zone with an over-long message") << "zonesOff" << QStringList{"1", "5"} << ""
                                                        << "警報發起訊息長度超過限制"
                                                        << "1=0==r;2=0==r;5=0==r";
        QTest::newRow("reset cleared") << "clearReset" << QStringList{"1", "2"} << ""
                                       << ""
                                       << "1=0==;2=0==;5=0==r";
        QTest::newRow("zone that is gone") << "clearReset" << QStringList{"1", "99"} << ""
                                           << "變更多筆資料失敗"
                                           << "1=0==r;2=0==r;5=0==r";
    }

    void bulkEdits() {
        QFETCH(QString, op);
        QFETCH(QStringList, keys);
        QFETCH(QString, arg);
        QFETCH(QString, refusal);
        QFETCH(QString, after);
        // A model of 64 targets: 31 contacts in A and B make 62, so two more fit and three not.
        QString sql = "UPDATE Basic SET DeviceModelName='VX700-RV27S';" + GroupsSql({"A", "B"});
        for (int i = 1; i <= 31; ++i)
            sql += UserSql(QStringLiteral("C%1").arg(i), "0912", "A|B");
        sql += UserSql("X", "0912", "") + UserSql("Y", "0933", "") + UserSql("Bad", "12ab", "") +
               UserSql("Empty", "", "");
        sql += "UPDATE Zones SET ResetSMS='r'; UPDATE Zones SET "
               "AlarmSMS=replace(hex(zeroblob(100)),'0','x') WHERE ZoneNo=5;";
        EditEnv env;
        QVERIFY(env.OpenWith(sql));
        QCOMPARE(env.p().MaxTelNo, 64);
        UndoStack undo(env.c());
        AppContext& c = env.c();
        const QString before = Dump(env);
        bool done = false;
        if (op == "add") done = EditCommands::AddUsersToGroup(c, keys, arg);
        if (op == "move") done = EditCommands::MoveUsers(c, keys, "A", arg);
        if (op == "remove") done = EditCommands::RemoveUsersFromGroup(c, keys, arg);
        if (op == "disable" || op == "enable")
            done = EditCommands::SetUsersDisabled(c, keys, op == "disable");
        if (op == "delete") done = EditCommands::DeleteUsers(c, keys);
        if (op == "target") done = EditCommands::SetZonesTarget(c, keys, arg);
        if (op == "zonesOff") done = EditCommands::SetZonesDisabled(c, keys, true);
        if (op == "clearReset") done = EditCommands::ClearZonesReset(c, keys);

        const QString query = op == "target" || op.startsWith("zones") || op == "clearReset"
                                  ? "SELECT group_concat(ZoneNo||'='||IsDisable||'='||GroupName||"
                                    "'='||ResetSMS,';') FROM Zones WHERE ZoneNo IN (1,2,5)"
                              : op == "move" || op == "remove"
                                  ? "SELECT group_concat(UserName||'='||IsDisable||'='||"
                                    "replace(GroupName,char(13)||char(10),'|'),';') FROM Users "
                                    "WHERE UserName IN ('C1','C2')"
                                  : "SELECT group_concat(UserName||'='||IsDisable||'='||"
                                    "replace(GroupName,char(13)||char(10),'|'),';') FROM Users "
                                    "WHERE UserName NOT LIKE 'C%'";
        QCOMPARE(env.Q(query), after);
        if (!refusal.isEmpty()) {
            QVERIFY(!done);
            QCOMPARE(undo.Count(), 0);
            QCOMPARE(Dump(env), before);
            QVERIFY(!env.ui.messages.isEmpty());
            QCOMPARE(env.ui.messages.last().title, refusal);
            return;
        }
        QVERIFY(done);
        QCOMPARE(undo.Count(), 1);
        // The tree's leaves follow: greyed, or gone with their rows.
        for (const QString& k : keys) {
            const QString tag = (op.startsWith("zone") || op == "target" || op == "clearReset"
                                     ? QStringLiteral("Zones,")
                                     : QStringLiteral("Users,")) +
                                k;
            if (op == "delete") QVERIFY(!env.HasLeaf(tag));
        }
        QVERIFY(EditCommands::Undo(c));
        QCOMPARE(Dump(env), before);
        for (const QString& k : keys)
            if (op == "delete") QVERIFY(env.HasLeaf(QStringLiteral("Users,") + k));
    }

    // One confirmation for a delete of many: how many, and at most the first ten names.
    void deleteConfirmation() {
        QString sql = GroupsSql({"A"});
        QStringList names;
        for (int i = 1; i <= 12; ++i) {
            names << QStringLiteral("N%1").arg(i);
            sql += UserSql(names.last(), "0912", "A");
        }
        EditEnv env(1033);
        QVERIFY(env.OpenWith(sql));
        UndoStack undo(env.c());
        env.ui.answers.enqueue(vbNo);
        QVERIFY(!EditCommands::DeleteUsers(env.c(), names));
        QCOMPARE(env.ui.messages.size(), 1);
        const QString text = env.ui.messages[0].text;
        QVERIFY(text.startsWith(QStringLiteral("Delete these 12 contacts?")));
        QVERIFY(text.contains(QStringLiteral("N10")));
        QVERIFY(!text.contains(QStringLiteral("N11")));
        QVERIFY(text.contains(QStringLiteral("and 2 more")));
        QCOMPARE(undo.Count(), 0);
        QVERIFY(EditCommands::DeleteUsers(env.c(), names));
        QCOMPARE(undo.UndoText(), QStringLiteral("Delete 12 contacts"));
        QCOMPARE(env.Users(), QString());
    }
};

QTEST_MAIN(TestEditUndo)
#include "tst_EditUndo.moc"
