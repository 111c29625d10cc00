// The project tree with its node tags, the content list of the selected node, and the File
// and View menu rules, on real project files.
#include "ProjectEnv.h"
#include "db/ADOUtil.h"
#include "mainwindow/MainView.h"

#include <QAbstractItemModelTester>
#include <QtTest>

namespace {
// Contacts Tom (groups A and B), a contact without a name, Ann (group AB, suspended); groups
// A, one without a name, B, AB and C (no members); zone 3 named Door, zone 5 disabled.
const QString kContent =
    QStringLiteral("INSERT INTO Users VALUES ('Tom','0911',0,'tom dsc','A' || char(13,10) || 'B');"
                   "INSERT INTO Users VALUES ('','0922',0,'nameless','A');"
                   "INSERT INTO Users VALUES ('Ann','0933',1,'ann dsc','AB');"
                   "INSERT INTO UserGroups VALUES ('A','group a');"
                   "INSERT INTO UserGroups VALUES ('','no name');"
                   "INSERT INTO UserGroups VALUES ('B','group b');"
                   "INSERT INTO UserGroups VALUES ('AB','group ab');"
                   "INSERT INTO UserGroups VALUES ('C','nobody');"
                   "UPDATE Zones SET ZoneName='Door', GroupName='A', ZoneDsc='front', "
                   "AlarmSMS='open', ResetSMS='closed' WHERE ZoneNo=3;"
                   "UPDATE Zones SET IsDisable=1 WHERE ZoneNo=5;");

QStringList ChildCaptions(const ProjTreeModel& tree, const QModelIndex& parent) {
    QStringList out;
    for (int r = 0; r < tree.rowCount(parent); ++r)
        out << tree.Caption(tree.index(r, 0, parent));
    return out;
}

QVariant Role(const QModelIndex& i, int role) {
    return i.data(role);
}

void Select(AppContext& ctx, const QString& tag) {
    const QModelIndex node = MainView::FindNodeByTag(ctx.view, tag);
    QVERIFY2(node.isValid(), qPrintable(tag));
    MainView::SelectNode(ctx.view, node);
    MainView::mklvNodeContent(ctx);
}

QVector<int> Widths(const AppContext& ctx) {
    return ctx.view.list.WidthsTwips();
}
QStringList Cols(const AppContext& ctx) {
    return ctx.view.list.Captions();
}
} // namespace

class TestMainView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void accessKeyOfARuleCaption_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("design");
        QTest::addColumn<QString>("shown");
        QTest::newRow("chinese") << "編輯連絡人群組"
                                 << "編輯群組(&E)"
                                 << "編輯連絡人群組(&E)";
        QTest::newRow("word start") << "Edit Contact Group"
                                    << "Add &Group"
                                    << "Edit Contact &Group";
        QTest::newRow("inside a word") << "Edit Contact"
                                       << "Edi&t Contact"
                                       << "Edi&t Contact";
        QTest::newRow("name with &") << "Delete [R&D]"
                                     << "&Delete"
                                     << "&Delete [R&&D]";
        QTest::newRow("no key") << "A&B"
                                << "Plain"
                                << "A&&B";
        QTest::newRow("&& is no key") << "Zone"
                                      << "R&&D &Zone"
                                      << "&Zone";
    }
    void accessKeyOfARuleCaption() {
        QFETCH(QString, caption);
        QFETCH(QString, design);
        QFETCH(QString, shown);
        QCOMPARE(MainView::WithAccessKey(caption, design), shown);
    }

    void parseNodeTag_data() {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<std::optional<QString>>("key");
        const auto none = std::optional<QString>();
        QTest::newRow("leaf") << "Users,Tom"
                              << "Users" << std::optional<QString>("Tom");
        QTest::newRow("root") << "ProjName"
                              << "ProjName" << none;
        QTest::newRow("empty") << QString() << QString() << none;
        // Everything after the first comma is the key: a name with commas names its row.
        QTest::newRow("commas") << "Users,Smith, J.,a,b,c"
                                << "Users" << std::optional<QString>("Smith, J.,a,b,c");
        QTest::newRow("empty key") << "Users,"
                                   << "Users" << std::optional<QString>(QString());
    }
    void parseNodeTag() {
        QFETCH(QString, tag);
        const NodeTag node = NodeTag::Parse(tag);
        QTEST(node.kind, "kind");
        QTEST(node.key, "key");
    }

    void locateCurRecord() {
        ProjectEnv e;
        QVERIFY(e.Open(e.MakeProject(
            QStringLiteral("P.cmb"),
            kContent +
                QStringLiteral("INSERT INTO Users VALUES ('Smith, J.,a,b,c','0944',0,'',''); "))));
        OpenProject& p = e.ctx->project;
        const auto locate = [&p](const char* tag) {
            return NodeTags::LocateCurRecord(p, NodeTag::Parse(QString::fromUtf8(tag)));
        };
        QVERIFY(locate("Zones,12"));
        QCOMPARE(ADOUtil::NullToStr(p.Zones->Field(QStringLiteral("ZoneNo"))),
                 QStringLiteral("12"));
        QVERIFY(!locate("Zones,012"));
        QVERIFY(p.Zones->Eof());

        QVERIFY(locate("UserGroups,AB"));
        QCOMPARE(ADOUtil::NullToStr(p.UserGroups->Field(QStringLiteral("GroupDsc"))),
                 QStringLiteral("group ab"));
        QVERIFY(!locate("UserGroups,ab")); // case counts

        QVERIFY(locate("Users,Smith, J.,a,b,c"));
        QCOMPARE(ADOUtil::NullToStr(p.Users->Field(QStringLiteral("PhoneNumber"))),
                 QStringLiteral("0944"));

        // A branch locates nothing; an unknown kind word moves nothing and reports found.
        p.Users->MoveFirst();
        p.Zones->MoveFirst();
        p.UserGroups->MoveFirst();
        QVERIFY(!locate("Users"));
        QVERIFY(locate("Other,Tom"));
        for (RowSet* rs : {p.Users.get(), p.Zones.get(), p.UserGroups.get()})
            QCOMPARE(rs->AbsolutePosition(), 1);
    }

    void treeNodes() {
        ProjectEnv e;
        MainView::mktvProjContent(*e.ctx); // no project: no nodes
        QCOMPARE(e.ctx->view.tree.rowCount(), 0);
        QVERIFY(e.Open(e.MakeProject(QStringLiteral("P.cmb"), kContent)));
        const ProjTreeModel& tree = e.ctx->view.tree;

        QCOMPARE(tree.rowCount(), 1);
        const QModelIndex root = tree.index(0, 0);
        QCOMPARE(tree.Caption(root), QStringLiteral("專案(P)"));
        QCOMPARE(Role(root, ProjTreeModel::TagRole).toString(), QStringLiteral("ProjName"));
        QCOMPARE(Role(root, ProjTreeModel::ImageKeyRole).toString(), QStringLiteral("Proj"));
        QCOMPARE(Role(root, ProjTreeModel::KeyRole).toString(), QString());
        QVERIFY(Role(root, ProjTreeModel::ExpandedRole).toBool());
        QCOMPARE(MainView::SelectedNode(e.ctx->view), root);
        QCOMPARE(ChildCaptions(tree, root),
                 (QStringList{QStringLiteral("連絡人"), QStringLiteral("群組"),
                              QStringLiteral("警報區")}));

        const struct {
            const char* key;
            const char* image;
        } branches[] = {{"Users", "UserName"}, {"UserGroups", "UserGroups"}, {"Zones", "Zones"}};
        for (int b = 0; b < 3; ++b) {
            const QModelIndex i = tree.index(b, 0, root);
            QCOMPARE(Role(i, ProjTreeModel::KeyRole).toString(), QLatin1String(branches[b].key));
            QCOMPARE(Role(i, ProjTreeModel::TagRole).toString(), QLatin1String(branches[b].key));
            QCOMPARE(Role(i, ProjTreeModel::ImageKeyRole).toString(),
                     QLatin1String(branches[b].image));
            QVERIFY(!Role(i, ProjTreeModel::ExpandedRole).toBool());
        }

        const QModelIndex users = tree.index(0, 0, root);
        QCOMPARE(ChildCaptions(tree, users),
                 (QStringList{QStringLiteral("Tom"), QStringLiteral("Ann")}));
        const QModelIndex ann = tree.index(1, 0, users);
        QCOMPARE(Role(ann, ProjTreeModel::TagRole).toString(), QStringLiteral("Users,Ann"));
        QCOMPARE(Role(ann, ProjTreeModel::ImageKeyRole).toString(), QStringLiteral("UserName"));
        QVERIFY(Role(ann, ProjTreeModel::GreyRole).toBool());
        QVERIFY(!Role(tree.index(0, 0, users), ProjTreeModel::GreyRole).toBool());

        const QModelIndex groups = tree.index(1, 0, root);
        QCOMPARE(ChildCaptions(tree, groups),
                 (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("AB"),
                              QStringLiteral("C")}));
        QCOMPARE(Role(tree.index(2, 0, groups), ProjTreeModel::TagRole).toString(),
                 QStringLiteral("UserGroups,AB"));
        QCOMPARE(Role(tree.index(2, 0, groups), ProjTreeModel::ImageKeyRole).toString(),
                 QStringLiteral("UserGroups"));

        const QModelIndex zones = tree.index(2, 0, root);
        QCOMPARE(tree.rowCount(zones), 64);
        const QModelIndex z3 = tree.index(3, 0, zones);
        QCOMPARE(tree.Caption(z3), QStringLiteral("#3-Door"));
        QCOMPARE(Role(z3, ProjTreeModel::KeyRole).toString(), QStringLiteral("Zones3"));
        QCOMPARE(Role(z3, ProjTreeModel::TagRole).toString(), QStringLiteral("Zones,3"));
        QCOMPARE(Role(z3, ProjTreeModel::ImageKeyRole).toString(), QStringLiteral("Alarm"));
        QCOMPARE(tree.Caption(tree.index(7, 0, zones)), QStringLiteral("#7"));
        QVERIFY(Role(tree.index(5, 0, zones), ProjTreeModel::GreyRole).toBool());
        QVERIFY(!Role(z3, ProjTreeModel::GreyRole).toBool());

        // The rebuild leaves every table past its end.
        const OpenProject& p = e.ctx->project;
        QVERIFY(p.Users->Eof() && p.UserGroups->Eof() && p.Zones->Eof());

        QCOMPARE(tree.Caption(MainView::FindNodeByTag(e.ctx->view, QStringLiteral("Users,Ann"))),
                 QStringLiteral("Ann"));
        QVERIFY(!MainView::FindNodeByTag(e.ctx->view, QStringLiteral("Users,Nobody")).isValid());

        // Enabled again and rebuilt, they are black.
        QVERIFY(TestEnv::ExecSql(
            p.MirPath,
            QStringLiteral("UPDATE Users SET IsDisable=0; UPDATE Zones SET IsDisable=0;")));
        MainView::mnuViewRefresh_Click(*e.ctx);
        QVERIFY(!MainView::FindNodeByTag(e.ctx->view, QStringLiteral("Users,Ann"))
                     .data(ProjTreeModel::GreyRole)
                     .toBool());
        QVERIFY(!MainView::FindNodeByTag(e.ctx->view, QStringLiteral("Zones,5"))
                     .data(ProjTreeModel::GreyRole)
                     .toBool());
    }

    void leavesChangeInPlace() {
        ProjectEnv e;
        QVERIFY(e.Open(e.MakeProject(QStringLiteral("P.cmb"), kContent)));
        ProjTreeModel& tree = e.ctx->view.tree;
        const int before = tree.NodeCount();
        const QModelIndex groups =
            MainView::FindNodeByTag(e.ctx->view, QStringLiteral("UserGroups"));
        const QModelIndex added =
            tree.AddNode(groups, QStringLiteral("D"), {}, QStringLiteral("UserGroups"),
                         QStringLiteral("UserGroups,D"));
        QCOMPARE(tree.rowCount(groups), 5);
        QCOMPARE(MainView::FindNodeByTag(e.ctx->view, QStringLiteral("UserGroups,D")), added);
        tree.SetCaption(added, QStringLiteral("E"));
        tree.SetTag(added, QStringLiteral("UserGroups,E"));
        QVERIFY(!MainView::FindNodeByTag(e.ctx->view, QStringLiteral("UserGroups,D")).isValid());
        QCOMPARE(tree.Caption(MainView::FindNodeByTag(e.ctx->view, QStringLiteral("UserGroups,E"))),
                 QStringLiteral("E"));
        const QModelIndex b = MainView::FindNodeByTag(e.ctx->view, QStringLiteral("UserGroups,B"));
        QVERIFY(tree.RemoveNode(b));
        QCOMPARE(ChildCaptions(tree, groups),
                 (QStringList{QStringLiteral("A"), QStringLiteral("AB"), QStringLiteral("C"),
                              QStringLiteral("E")}));
        QCOMPARE(tree.NodeCount(), before);
        // Indexes found afterwards still lead to their parents.
        QCOMPARE(MainView::FindNodeByTag(e.ctx->view, QStringLiteral("UserGroups,C")).parent(),
                 groups);
    }

    // The tag index keeps finding every node through removals, renames and a rebuild, the
    // first in tree order when tags repeat.
    void tagIndexThroughRemovals() {
        ProjTreeModel tree;
        const QModelIndex top =
            tree.AddNode({}, QStringLiteral("top"), {}, {}, QStringLiteral("T"));
        QList<QPersistentModelIndex> leaves;
        for (int i = 0; i < 500; ++i)
            leaves << tree.AddNode(top, QString::number(i), {}, {},
                                   i % 50 == 7 ? QStringLiteral("same") : QString::number(i));
        const auto tagOf = [](int i) {
            return i % 50 == 7 ? QStringLiteral("same") : QString::number(i);
        };
        for (int i = 0; i < 500; i += 3)
            QVERIFY(tree.RemoveNode(leaves[i]));
        tree.SetTag(leaves[1], QStringLiteral("renamed"));
        for (int i = 0; i < 500; ++i) {
            if (i % 50 == 7 || i == 1) continue;
            const QModelIndex found = tree.FindByTag(tagOf(i));
            QCOMPARE(found.isValid(), i % 3 != 0);
            if (found.isValid()) QCOMPARE(tree.Caption(found), QString::number(i));
        }
        QCOMPARE(tree.Caption(tree.FindByTag(QStringLiteral("renamed"))), QStringLiteral("1"));
        QVERIFY(!tree.FindByTag(QStringLiteral("1")).isValid());
        QCOMPARE(tree.Caption(tree.FindByTag(QStringLiteral("same"))), QStringLiteral("7"));
        QVERIFY(tree.RemoveNode(leaves[7]));
        QCOMPARE(tree.Caption(tree.FindByTag(QStringLiteral("same"))), QStringLiteral("107"));
        tree.BeginRebuild(1);
        QVERIFY(!tree.FindByTag(QStringLiteral("T")).isValid());
        tree.AddNode({}, QStringLiteral("again"), {}, {}, QStringLiteral("T"));
        tree.EndRebuild();
        QCOMPARE(tree.Caption(tree.FindByTag(QStringLiteral("T"))), QStringLiteral("again"));
        QCOMPARE(tree.NodeCount(), 1);
        // Changed after a rebuild, before any lookup: the lookup sees the changes.
        tree.BeginRebuild();
        const QModelIndex a = tree.AddNode({}, QStringLiteral("a"), {}, {},
                                           {QStringLiteral("K,"), QStringLiteral("a")});
        tree.AddNode(a, QStringLiteral("b"), {}, {}, QStringLiteral("K,b"));
        tree.AddNode(a, QStringLiteral("c"), {}, {}, QStringLiteral("K,c"));
        tree.EndRebuild();
        tree.SetTag(tree.index(0, 0, a), QStringLiteral("K,d"));
        QVERIFY(tree.RemoveNode(tree.index(1, 0, a)));
        QCOMPARE(tree.Caption(tree.FindByTag(QStringLiteral("K,a"))), QStringLiteral("a"));
        QCOMPARE(tree.Caption(tree.FindByTag(QStringLiteral("K,d"))), QStringLiteral("b"));
        QVERIFY(!tree.FindByTag(QStringLiteral("K,b")).isValid());
        QVERIFY(!tree.FindByTag(QStringLiteral("K,c")).isValid());
    }

    // The tree follows the editing events with the row signals its views rely on; both models
    // keep Qt's model rules through rebuilds, selections and those changes.
    void editingEventsMoveTheTree_data() {
        QTest::addColumn<QString>("branch");
        QTest::addColumn<QString>("leaf");
        QTest::addColumn<int>("row"); // where the new leaf lands: the end of its branch
        QTest::newRow("group") << "UserGroups"
                               << "UserGroups,D" << 4;
        QTest::newRow("contact") << "Users"
                                 << "Users,Bob" << 2;
        QTest::newRow("name with a comma") << "UserGroups"
                                           << "UserGroups,x,y" << 4;
    }
    void editingEventsMoveTheTree() {
        QFETCH(QString, branch);
        QFETCH(QString, leaf);
        QFETCH(int, row);
        ProjectEnv e;
        AppContext& c = *e.ctx;
        using Mode = QAbstractItemModelTester::FailureReportingMode;
        QAbstractItemModelTester treeTester(&c.view.tree, Mode::QtTest);
        QAbstractItemModelTester listTester(&c.view.list, Mode::QtTest);
        QVERIFY(e.Open(e.MakeProject(QStringLiteral("P.cmb"), kContent)));
        Select(c, branch);
        const QModelIndex parent = MainView::FindNodeByTag(c.view, branch);

        QSignalSpy inserted(&c.view.tree, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&c.view.tree, &QAbstractItemModel::rowsRemoved);
        Q_EMIT c.editEvents.leafAdded(branch, leaf.section(u',', 1), QStringLiteral("UserGroups"),
                                      leaf);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted[0][0].toModelIndex(), parent);
        QCOMPARE(inserted[0][1].toInt(), row);
        QCOMPARE(c.editEvents.SelectedTag(), leaf); // the new leaf is selected
        Q_EMIT c.editEvents.contentChanged();
        QCOMPARE(c.view.list.rowCount(), 0); // the list follows the new, empty row

        Q_EMIT c.editEvents.leafRemoved(leaf);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed[0][0].toModelIndex(), parent);
        QCOMPARE(removed[0][1].toInt(), row);
        QVERIFY(!MainView::FindNodeByTag(c.view, leaf).isValid());
        Q_EMIT c.editEvents.leafRemoved(leaf); // gone already: nothing moves
        QCOMPARE(removed.size(), 1);
        Q_EMIT c.editEvents.leafAdded(QStringLiteral("Nowhere"), QStringLiteral("x"), {},
                                      QStringLiteral("Nowhere,x"));
        QCOMPARE(inserted.size(), 1);
        KORVAMain::CloseProject(c); // closed: the tree empties
        QCOMPARE(c.view.tree.rowCount(), 0);
    }

    void contentListViews() {
        ProjectEnv e;
        QVERIFY(e.Open(e.MakeProject(QStringLiteral("P.cmb"), kContent)));
        AppContext& ctx = *e.ctx;
        const NodeContentModel& lv = ctx.view.list;

        MainView::SelectNode(ctx.view, QModelIndex());
        MainView::mklvNodeContent(ctx);
        QCOMPARE(lv.columnCount(), 0);
        QCOMPARE(lv.rowCount(), 0);
        QCOMPARE(ctx.view.lvCaption, QString());

        Select(ctx, QStringLiteral("ProjName"));
        QCOMPARE(ctx.view.lvCaption, QStringLiteral("資料"));
        QCOMPARE(Cols(ctx), (QStringList{QStringLiteral("項目"), QStringLiteral("項目說明")}));
        QCOMPARE(Widths(ctx), (QVector<int>{1500, 1500}));
        QCOMPARE(lv.Rows(),
                 (QVector<QStringList>{{QStringLiteral("連絡人"), QStringLiteral("連絡人清單")},
                                       {QStringLiteral("群組"), QStringLiteral("群組清單")},
                                       {QStringLiteral("警報區"), QStringLiteral("警報區清單")}}));
        // Each overview row stands for its branch's node kind, whatever its caption says.
        QCOMPARE((QStringList{lv.Key(0), lv.Key(1), lv.Key(2)}),
                 (QStringList{"Users", "UserGroups", "Zones"}));
        QCOMPARE(lv.index(1, 0).data(NodeContentModel::KeyRole).toString(),
                 QStringLiteral("UserGroups"));

        Select(ctx, QStringLiteral("UserGroups"));
        QCOMPARE(ctx.view.lvCaption, QStringLiteral("連絡人群組"));
        QCOMPARE(Cols(ctx),
                 (QStringList{QStringLiteral("連絡人群組名稱"), QStringLiteral("連絡人群組說明")}));
        QCOMPARE(Widths(ctx), (QVector<int>{1500, 1800}));
        QCOMPARE(lv.rowCount(), 5);
        QCOMPARE(lv.Rows()[0], (QStringList{QStringLiteral("A"), QStringLiteral("group a")}));

        const QStringList memberCols = {QStringLiteral("連絡人"), QStringLiteral("電話號碼"),
                                        QStringLiteral("連絡人群組名稱"), QStringLiteral("說明"),
                                        QStringLiteral("暫停使用")};
        const QString tomGroups = QStringLiteral("A, B"); // stored "A" CR LF "B"
        // Tom is in A and in B, and not in AB; Ann is in AB only.
        Select(ctx, QStringLiteral("UserGroups,A"));
        QCOMPARE(ctx.view.lvCaption, QStringLiteral("連絡人群組名稱:A"));
        QCOMPARE(Cols(ctx), memberCols);
        QCOMPARE(Widths(ctx), (QVector<int>{1000, 1500, 1500, 1500, 1000}));
        QCOMPARE(lv.Rows(),
                 (QVector<QStringList>{{QStringLiteral("Tom"), QStringLiteral("0911"), tomGroups,
                                        QStringLiteral("tom dsc"), QStringLiteral("False")},
                                       {QString(), QStringLiteral("0922"), QStringLiteral("A"),
                                        QStringLiteral("nameless"), QStringLiteral("False")}}));
        // The group's row is the current one after the selection.
        QCOMPARE(ADOUtil::NullToStr(ctx.project.UserGroups->Field(QStringLiteral("GroupName"))),
                 QStringLiteral("A"));
        Select(ctx, QStringLiteral("UserGroups,B"));
        QCOMPARE(lv.rowCount(), 1);
        QCOMPARE(lv.Text(0, 0), QStringLiteral("Tom"));
        Select(ctx, QStringLiteral("UserGroups,AB"));
        QCOMPARE(lv.rowCount(), 1);
        QCOMPARE(lv.Rows()[0],
                 (QStringList{QStringLiteral("Ann"), QStringLiteral("0933"), QStringLiteral("AB"),
                              QStringLiteral("ann dsc"), QStringLiteral("True")}));
        Select(ctx, QStringLiteral("UserGroups,C"));
        QCOMPARE(Cols(ctx), memberCols);
        QCOMPARE(lv.rowCount(), 0);

        Select(ctx, QStringLiteral("Users"));
        QCOMPARE(ctx.view.lvCaption, QStringLiteral("連絡人"));
        QCOMPARE(Cols(ctx),
                 (QStringList{QStringLiteral("連絡人名稱"), QStringLiteral("連絡人說明")}));
        QCOMPARE(Widths(ctx), (QVector<int>{1500, 1500}));
        // The nameless contact has no leaf but is listed.
        QCOMPARE(lv.Rows(),
                 (QVector<QStringList>{{QStringLiteral("Tom"), QStringLiteral("tom dsc")},
                                       {QString(), QStringLiteral("nameless")},
                                       {QStringLiteral("Ann"), QStringLiteral("ann dsc")}}));

        Select(ctx, QStringLiteral("Users,Ann"));
        QCOMPARE(ctx.view.lvCaption, QStringLiteral("連絡人內容:Ann"));
        QCOMPARE(Cols(ctx), (QStringList{QStringLiteral("項目"), QStringLiteral("內容")}));
        QCOMPARE(Widths(ctx), (QVector<int>{1500, 4000}));
        QCOMPARE(lv.Rows(),
                 (QVector<QStringList>{{QStringLiteral("電話號碼:"), QStringLiteral("0933")},
                                       {QStringLiteral("暫使使用:"), QStringLiteral("True")},
                                       {QStringLiteral("連絡人群組名稱:"), QStringLiteral("AB")},
                                       {QStringLiteral("連絡人:"), QStringLiteral("Ann")},
                                       {QStringLiteral("說明:"), QStringLiteral("ann dsc")}}));

        Select(ctx, QStringLiteral("Zones"));
        QCOMPARE(ctx.view.lvCaption, QStringLiteral("警報區域"));
        QCOMPARE(Cols(ctx),
                 (QStringList{QStringLiteral("警報區"), QStringLiteral("警報區名稱"),
                              QStringLiteral("連絡人群組名稱"), QStringLiteral("說明"),
                              QStringLiteral("警報發起訊息"), QStringLiteral("警報復歸訊息"),
                              QStringLiteral("暫停使用")}));
        QCOMPARE(Widths(ctx), (QVector<int>{1000, 1500, 1500, 1300, 1500, 1500, 1000}));
        QCOMPARE(lv.rowCount(), 64);
        QCOMPARE(lv.Rows()[3],
                 (QStringList{QStringLiteral("3"), QStringLiteral("Door"), QStringLiteral("A"),
                              QStringLiteral("front"), QStringLiteral("open"),
                              QStringLiteral("closed"), QStringLiteral("False")}));
        QCOMPARE(lv.Text(5, 6), QStringLiteral("True"));

        Select(ctx, QStringLiteral("Zones,3"));
        QCOMPARE(ctx.view.lvCaption, QStringLiteral("警報區=3"));
        QCOMPARE(Widths(ctx), (QVector<int>{1500, 1500}));
        QCOMPARE(lv.Rows(), (QVector<QStringList>{
                                {QStringLiteral("警報區:"), QStringLiteral("3")},
                                {QStringLiteral("警報區名稱:"), QStringLiteral("Door")},
                                {QStringLiteral("暫停使用"), QStringLiteral("False")},
                                {QStringLiteral("連絡人群組名稱:"), QStringLiteral("A")},
                                {QStringLiteral("說明:"), QStringLiteral("front")},
                                {QStringLiteral("警報發起訊息:"), QStringLiteral("open")},
                                {QStringLiteral("警報復歸訊息:"), QStringLiteral("closed")}}));

        // A leaf whose row is gone: the record view is an empty two-column list.
        QVERIFY(TestEnv::ExecSql(ctx.project.MirPath,
                                 QStringLiteral("DELETE FROM Users WHERE UserName='Tom'")));
        Select(ctx, QStringLiteral("Users,Tom"));
        QCOMPARE(ctx.view.lvCaption, QStringLiteral("連絡人內容:Tom"));
        QCOMPARE(lv.columnCount(), 2);
        QCOMPARE(lv.rowCount(), 0);
        QVERIFY(e.ui.messages.isEmpty());
    }

    // A contact's group list shown on one line (CR LF pairs only, left to right), and its
    // leaf greyed as its edit form's check box reads the stored flag.
    void contactLeafFromStoredValues_data() {
        QTest::addColumn<QString>("groups"); // SQL
        QTest::addColumn<QString>("disabled");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("grey");
        QTest::newRow("two groups") << "'A' || char(13,10) || 'B'"
                                    << "1"
                                    << "A, B" << true;
        QTest::newRow("pairs only") << "char(13) || 'A' || char(13,13,10) || 'B' || char(10)"
                                    << "0"
                                    << "\rA\r, B\n"
                                    << false;
        QTest::newRow("trailing pair") << "'A' || char(13,10)"
                                       << "'True'"
                                       << "A, " << true;
        QTest::newRow("one group") << "'A'"
                                   << "'yes'"
                                   << "A" << true;
        QTest::newRow("false text") << "''"
                                    << "'false'"
                                    << "" << false;
    }
    void contactLeafFromStoredValues() {
        QFETCH(QString, groups);
        QFETCH(QString, disabled);
        QFETCH(QString, shown);
        QFETCH(bool, grey);
        ProjectEnv e;
        QVERIFY(
            e.Open(e.MakeProject(QStringLiteral("G.cmb"),
                                 QStringLiteral("INSERT INTO Users VALUES ('Eve','0944',%1,'',%2)")
                                     .arg(disabled, groups))));
        AppContext& ctx = *e.ctx;
        const QModelIndex eve = MainView::FindNodeByTag(ctx.view, QStringLiteral("Users,Eve"));
        QCOMPARE(eve.data(ProjTreeModel::GreyRole).toBool(), grey);
        Select(ctx, QStringLiteral("Users,Eve"));
        QCOMPARE(ctx.view.list.Text(2, 1), shown);
    }

    void emptyTablesAndOddTags() {
        ProjectEnv e;
        QVERIFY(
            e.Open(e.MakeProject(QStringLiteral("E.cmb"), QStringLiteral("DELETE FROM Zones"))));
        AppContext& ctx = *e.ctx;
        const NodeContentModel& lv = ctx.view.list;

        Select(ctx, QStringLiteral("Zones"));
        QCOMPARE(lv.columnCount(), 7);
        QCOMPARE(Widths(ctx), (QVector<int>{800, 1500, 1500, 1200, 1200, 1200, 1000}));
        QCOMPARE(lv.rowCount(), 0);
        Select(ctx, QStringLiteral("UserGroups"));
        QCOMPARE(Cols(ctx),
                 (QStringList{QStringLiteral("連絡人群組名稱"), QStringLiteral("連絡人群組說明")}));
        QCOMPARE(lv.rowCount(), 0);
        Select(ctx, QStringLiteral("Users"));
        QCOMPARE(Cols(ctx),
                 (QStringList{QStringLiteral("連絡人名稱"), QStringLiteral("連絡人說明")}));
        QCOMPARE(lv.rowCount(), 0);
        MainView::PutTableTolvNodeContent(ctx, QStringLiteral("Users"), ctx.project.Users.get(),
                                          QStringLiteral("GroupName"), QStringLiteral("A"));
        QCOMPARE(lv.columnCount(), 5);
        QCOMPARE(lv.rowCount(), 0);

        // The root shows its three rows whatever the tables hold.
        Select(ctx, QStringLiteral("ProjName"));
        QCOMPARE(lv.rowCount(), 3);

        // A node without a tag: the internal-error message, and the list stays as it was.
        const QModelIndex bad =
            ctx.view.tree.AddNode(ctx.view.tree.index(0, 0), QStringLiteral("?"), {}, {}, {});
        MainView::SelectNode(ctx.view, bad);
        MainView::mklvNodeContent(ctx);
        QCOMPARE(e.ui.messages.size(), 1);
        QCOMPARE(e.ui.messages[0].text,
                 QStringLiteral("系統內部錯誤，被選中節點的夾帶資訊是為空。"));
        QCOMPARE(e.ui.messages[0].title, QStringLiteral("系統內部錯誤"));
        QCOMPARE(int(e.ui.messages[0].style), int(vbOKOnly | vbCritical));
        QCOMPARE(lv.rowCount(), 3);
        QCOMPARE(ctx.view.lvCaption, QStringLiteral("資料"));
        // A tag of no known view leaves the list as it was too.
        ctx.view.tree.SetTag(bad, QStringLiteral("Other"));
        MainView::mklvNodeContent(ctx);
        QCOMPARE(lv.rowCount(), 3);
        QCOMPARE(e.ui.messages.size(), 1);
    }

    void refreshAndFileMenuRule() {
        ProjectEnv e;
        AppContext& ctx = *e.ctx;
        FileMenuState s = MainView::mnuFile_Click(ctx);
        QVERIFY(!s.saveEnabled && !s.saveAsEnabled && !s.basicEnabled && !s.sheetEnabled);
        QVERIFY(!s.mru[0].visible);
        MainView::mnuViewRefresh_Click(ctx); // nothing open: nothing to rebuild
        QCOMPARE(ctx.view.tree.rowCount(), 0);

        QVERIFY(e.Open(e.MakeProject(QStringLiteral("P.cmb"), kContent)));
        QCOMPARE(ctx.view.tvCaption, QStringLiteral("P"));
        s = MainView::mnuFile_Click(ctx);
        QVERIFY(!s.saveEnabled && s.saveAsEnabled && s.basicEnabled && s.sheetEnabled);
        QCOMPARE(s.mru[0].caption, ctx.project.ProjPath);
        ctx.project.IsModified = true;
        QVERIFY(MainView::mnuFile_Click(ctx).saveEnabled);

        Select(ctx, QStringLiteral("Users,Ann"));
        MainView::RefreshFormObj(ctx);
        QVERIFY(e.ui.statusLog.contains(QStringLiteral("ProjName=P")));
        QCOMPARE(ctx.view.tvCaption, QStringLiteral("P"));
        QCOMPARE(ctx.view.lvCaption, QStringLiteral("資料")); // the rebuilt tree shows its root
    }

    void englishTexts() {
        ProjectEnv e(1033);
        QVERIFY(e.Open(e.MakeProject(QStringLiteral("P.cmb"), kContent)));
        const ProjTreeModel& tree = e.ctx->view.tree;
        const QModelIndex root = tree.index(0, 0);
        QCOMPARE(tree.Caption(root), QStringLiteral("Project (P)"));
        QCOMPARE(ChildCaptions(tree, root),
                 (QStringList{QStringLiteral("Contacts"), QStringLiteral("Groups"),
                              QStringLiteral("Zones")}));
        // Keys and image keys stay what the program knows them by.
        QCOMPARE(tree.index(1, 0, root).data(ProjTreeModel::KeyRole).toString(),
                 QStringLiteral("UserGroups"));
        QCOMPARE(tree.index(1, 0, root).data(ProjTreeModel::ImageKeyRole).toString(),
                 QStringLiteral("UserGroups"));
        MainView::mklvNodeContent(*e.ctx);
        QCOMPARE(e.ctx->view.lvCaption, QStringLiteral("Data"));
        QCOMPARE(e.ctx->view.list.Text(2, 1), QStringLiteral("All zones"));
        QVERIFY(!KORVAMain::OpenProject(*e.ctx, QStringLiteral("x.txt")));
        QCOMPARE(e.ui.messages.last().text,
                 QStringLiteral("This project cannot be opened!\r\nThe project file name [x.txt] "
                                "does not end in [.cmb], so the project cannot be opened."));
        QCOMPARE(e.ui.messages.last().title, QStringLiteral("Project cannot be used"));
    }
};

QTEST_GUILESS_MAIN(TestMainView)
#include "tst_MainView.moc"
