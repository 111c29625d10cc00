// Find and sort of the content list: the matching rule, the numeric order, and the proxy the
// list is shown through (rows filtered and sorted in the view only, the core's rows untouched),
// and the tree's marked leaves.
#include "editing/EditEnv.h"
#include "mainwindow/ContentFilter.h"
#include "mainwindow/MainContext.h"

#include <QAbstractItemModelTester>
#include <QtTest>

namespace {
// The first column of the shown rows, top to bottom.
QStringList Shown(const QAbstractItemModel& m, int column = 0) {
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.index(r, column).data().toString();
    return out;
}

// A table like the contacts of a group: name, number, groups, description, disabled.
void FillMembers(NodeContentModel& lv) {
    lv.ClearColumns();
    lv.ClearRows();
    lv.SetTable(true);
    for (const char* c : {"Name", "Phone", "Groups", "Description"})
        lv.AddColumn(QLatin1String(c), 1000);
    lv.AddColumn(QStringLiteral("Disabled"), 1000, false);
    lv.AddRow({"Mary Chen", "0912-345-678", "Office, Night", "front desk", "False"});
    lv.AddRow({"陳小明", "0223456789", "Office", "警衛", "True"});
    lv.AddRow({"Tom", "9", "Night", "", "False"});
    lv.AddRow({"Ann", "10", "", "ＶＩＰ", "False"});
}
} // namespace

class TestContentFilter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void matches_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("find");
        QTest::addColumn<bool>("match");
        const QStringList mary{"Mary Chen", "0912345678", "Office, Night", "front desk"};
        const QStringList chen{"陳小明", "(02) 2345-6789", "辦公室", "警衛"};
        QTest::newRow("name, other case") << mary << "mARY" << true;
        QTest::newRow("inside a word") << mary << "ffic" << true;
        QTest::newRow("blanks around") << mary << "  chen " << true;
        QTest::newRow("chinese") << chen << "小明" << true;
        QTest::newRow("chinese description") << chen << "警" << true;
        QTest::newRow("mixed") << QStringList{"Mary 陳"} << "y 陳" << true;
        QTest::newRow("digits") << mary << "0912" << true;
        QTest::newRow("digits with dashes") << mary << "0912-345" << true;
        QTest::newRow("digits with spaces") << mary << "0912 345 678" << true;
        QTest::newRow("digits with dots") << mary << "0912.345" << true;
        QTest::newRow("digits with parentheses") << mary << "(0912)345" << true;
        QTest::newRow("plain digits, stored with separators") << chen << "0223456" << true;
        QTest::newRow("separated digits, stored with others") << chen << "02-2345 6789" << true;
        QTest::newRow("full-width digits") << mary << "０９１２" << true;
        QTest::newRow("full-width letters") << QStringList{"ＶＩＰ room"} << "vip" << true;
        QTest::newRow("no match") << mary << "0913" << false;
        QTest::newRow("no match chinese") << chen << "大明" << false;
        QTest::newRow("digits and a letter stay text") << mary << "0912a" << false;
        QTest::newRow("digits out of order") << mary << "345 0912" << false;
        QTest::newRow("cleared") << mary << "" << true;
        QTest::newRow("blank") << mary << "   " << true;
        QTest::newRow("nothing to look in") << QStringList() << "a" << false;
    }
    void matches() {
        QFETCH(QStringList, texts);
        QFETCH(QString, find);
        QFETCH(bool, match);
        QCOMPARE(ContentFilter::Matches(texts, find), match);
    }

    void before_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("before");
        QTest::newRow("numbers by value") << "9"
                                          << "10" << true;
        QTest::newRow("numbers by value, reversed") << "10"
                                                    << "9" << false;
        QTest::newRow("zone numbers") << "2"
                                      << "12" << true;
        QTest::newRow("long numbers") << "0912345678"
                                      << "0223456789012345678901" << true;
        QTest::newRow("separated number") << "0912-345-678"
                                          << "0923" << false;
        QTest::newRow("leading zero, same value") << "09"
                                                  << "9" << true;
        QTest::newRow("numbers before texts") << "12"
                                              << "Ann" << true;
        QTest::newRow("texts after numbers") << "Ann"
                                             << "12" << false;
        QTest::newRow("texts") << "Ann"
                               << "Tom" << true;
        QTest::newRow("not before itself") << "Tom"
                                           << "Tom" << false;
        QTest::newRow("number not before itself") << "10"
                                                  << "10" << false;
    }
    void before() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, before);
        QCOMPARE(ContentFilter::Before(a, b), before);
    }

    // The proxy filters the searched columns of a table, counts, sorts and maps rows back;
    // the core's rows stay in their order.
    void proxyFiltersAndSortsTheViewOnly() {
        NodeContentModel lv;
        ContentFilterModel shown(lv);
        QAbstractItemModelTester tester(&shown,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy counts(&shown, &ContentFilterModel::countChanged);
        FillMembers(lv);
        QCOMPARE(shown.ShownCount(), 4);
        QVERIFY(!shown.Filtering());

        shown.SetFindText(QStringLiteral("office"));
        QVERIFY(shown.Filtering());
        QCOMPARE(Shown(shown), (QStringList{"Mary Chen", "陳小明"}));
        QCOMPARE(shown.TotalCount(), 4);
        QVERIFY(!counts.isEmpty());
        QCOMPARE(shown.KeyOf(shown.index(1, 0)), QStringLiteral("陳小明"));
        QCOMPARE(shown.SourceRow(shown.index(1, 0)), 1);
        shown.SetFindText(QStringLiteral("true")); // the disabled column is not looked in
        QCOMPARE(shown.ShownCount(), 0);
        shown.SetFindText(QStringLiteral("vip"));
        QCOMPARE(Shown(shown), QStringList{"Ann"});
        QCOMPARE(shown.SourceRow(shown.index(0, 0)), 3);
        shown.SetFindText(QString());
        QCOMPARE(shown.ShownCount(), 4);

        // Numbers as numbers, a second click reverses; the core's rows keep their order.
        QSignalSpy sorts(&shown, &ContentFilterModel::sortChanged);
        QVERIFY(shown.SortClicked(1));
        QCOMPARE(Shown(shown, 1), (QStringList{"9", "10", "0223456789", "0912-345-678"}));
        QVERIFY(shown.SortClicked(1));
        QCOMPARE(shown.sortOrder(), Qt::DescendingOrder);
        QCOMPARE(Shown(shown), (QStringList{"Mary Chen", "陳小明", "Ann", "Tom"}));
        QCOMPARE(sorts.size(), 2);
        QCOMPARE(lv.Key(0), QStringLiteral("Mary Chen"));
        QCOMPARE(lv.Key(3), QStringLiteral("Ann"));
        QCOMPARE(shown.KeyOf(shown.index(0, 0)), QStringLiteral("Mary Chen"));
        QCOMPARE(shown.KeyOf(shown.index(3, 0)), QStringLiteral("Tom"));
        // Another column sorts ascending; a find keeps the sort.
        QVERIFY(shown.SortClicked(0));
        QCOMPARE(shown.sortOrder(), Qt::AscendingOrder);
        shown.SetFindText(QStringLiteral("night"));
        QCOMPARE(Shown(shown), (QStringList{"Mary Chen", "Tom"}));
        shown.ResetSort();
        shown.SetFindText(QString());
        QCOMPARE(Shown(shown), (QStringList{"Mary Chen", "陳小明", "Tom", "Ann"}));

        // A list that is no table (a record, the overview) is neither filtered nor sorted.
        shown.SetFindText(QStringLiteral("zzz"));
        lv.ClearColumns();
        lv.ClearRows();
        lv.AddColumn(QStringLiteral("Item"), 1000);
        lv.AddColumn(QStringLiteral("Value"), 1000);
        lv.AddRow({"Phone:", "0912"});
        lv.AddRow({"Name:", "Mary"});
        QVERIFY(!shown.Filtering());
        QCOMPARE(shown.ShownCount(), 2);
        QVERIFY(!shown.SortClicked(0));
        QCOMPARE(Shown(shown), (QStringList{"Phone:", "Name:"}));
    }

    // Through the main view: the find text filters the table of any node and marks the tree's
    // leaves whose record matches; a sort holds for its node only.
    void viewFindsInListAndTree() {
        EditEnv env;
        QVERIFY(env.OpenWith(
            GroupsSql({"Office", "Night"}) +
            UserSql("Mary Chen", "0912-345-678", "Office|Night", 0, "desk") +
            UserSql("陳小明", "0223456789", "Office") + UserSql("Tom", "0933", "Night") +
            "UPDATE Zones SET ZoneName='Door', AlarmSMS='門被打開' WHERE ZoneNo=12;"));
        MainViewState& view = env.c().view;
        QAbstractItemModelTester tester(&view.listShown,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto marked = [&](const char* tag) {
            return MainView::FindNodeByTag(view, QLatin1String(tag))
                .data(ProjTreeModel::MatchedRole)
                .toBool();
        };
        QVERIFY(env.Select(QStringLiteral("Users")));
        MainView::mklvNodeContent(env.c());
        view.SetFindText(QStringLiteral("0912 345"));
        QCOMPARE(Shown(view.listShown), QStringList{"Mary Chen"});
        QVERIFY(marked("Users,Mary Chen"));
        QVERIFY(!marked("Users,Tom"));
        QVERIFY(!marked("Users")); // branches are not marked

        // Groups of a contact and a zone's message.
        view.SetFindText(QStringLiteral("night"));
        QVERIFY(marked("Users,Tom"));
        QVERIFY(marked("UserGroups,Night"));
        QVERIFY(!marked("UserGroups,Office"));
        QVERIFY(env.Select(QStringLiteral("UserGroups,Office")));
        MainView::mklvNodeContent(env.c());
        QCOMPARE(Shown(view.listShown), QStringList{"Mary Chen"});
        view.SetFindText(QStringLiteral("打開"));
        QVERIFY(marked("Zones,12"));
        QVERIFY(!marked("Zones,1"));
        QVERIFY(env.Select(QStringLiteral("Zones")));
        MainView::mklvNodeContent(env.c());
        QCOMPARE(Shown(view.listShown), QStringList{"12"});
        QCOMPARE(view.listShown.TotalCount(), 64);
        // Zone numbers are not looked in; clearing shows every row and marks nothing.
        view.SetFindText(QStringLiteral("12"));
        QCOMPARE(view.listShown.ShownCount(), 0);
        view.SetFindText(QString());
        QCOMPARE(view.listShown.ShownCount(), 64);
        QVERIFY(!marked("Zones,12"));

        // A sort holds while the node's list is rebuilt, and another node starts in row order.
        QVERIFY(view.listShown.SortClicked(0));
        QVERIFY(view.listShown.SortClicked(0));
        MainView::mklvNodeContent(env.c());
        QCOMPARE(view.listShown.index(0, 0).data().toString(), QStringLiteral("63"));
        QCOMPARE(view.list.Text(0, 0), QStringLiteral("0"));
        QVERIFY(env.Select(QStringLiteral("Users")));
        MainView::mklvNodeContent(env.c());
        QCOMPARE(view.listShown.sortColumn(), -1);
        QCOMPARE(Shown(view.listShown), (QStringList{"Mary Chen", "陳小明", "Tom"}));
    }
};

QTEST_MAIN(TestContentFilter)
#include "tst_ContentFilter.moc"
