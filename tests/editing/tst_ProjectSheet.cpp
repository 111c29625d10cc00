// The project sheet's content: who is in which group, what each zone notifies, the memory
// against the model, and how the HTML shows it in each language.
#include "editing/EditEnv.h"
#include "editing/PhoneBook.h"
#include "editing/ProjectSheet.h"
#include "store/DownloadHistory.h"

class TestProjectSheet : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The last successful downloads of this project file, newest first; failures and other
    // projects are left out, and a project never downloaded gets no section.
    void listsTheLastSuccessfulDownloads() {
        EditEnv env(1033);
        QVERIFY(env.OpenWith(GroupsSql({"A"})));
        QVERIFY(!ProjectSheet::Html(ProjectSheet::Collect(env.c()), env.c().ml)
                     .contains("Last successful downloads"));
        const QString path = QDir::toNativeSeparators(env.p().ProjPath);
        auto record = [&](const QString& serial, const QString& project, const QString& outcome) {
            DownloadAttempt a;
            a.started = QDateTime(QDate(2026, 12, 9), QTime(14, 3));
            a.serialNo = serial;
            a.modelName = QStringLiteral("VX700-RV27MS");
            a.projectPath = project;
            QVERIFY(DownloadHistory::Begin(env.HistoryPath(), a, nullptr));
            a.outcome = outcome;
            QVERIFY(DownloadHistory::Finish(env.HistoryPath(), a, nullptr));
        };
        record("SN-OLD", path, DownloadHistory::kSucceeded);
        record("SN-FAILED", path, DownloadHistory::kIncomplete);
        record("SN-OTHER", "/elsewhere/Other.cmb", DownloadHistory::kSucceeded);
        for (int i = 0; i < ProjectSheet::kDownloadsShown; ++i)
            record(QStringLiteral("SN-%1").arg(i), path, DownloadHistory::kSucceeded);
        const ProjectSheetData sheet = ProjectSheet::Collect(env.c());
        QCOMPARE(sheet.downloads.size(), ProjectSheet::kDownloadsShown);
        QCOMPARE(sheet.downloads.first().serialNo,
                 QStringLiteral("SN-%1").arg(ProjectSheet::kDownloadsShown - 1));
        QCOMPARE(sheet.downloads.first().when, QStringLiteral("2026-12-09 14:03"));
        const QString html = ProjectSheet::Html(sheet, env.c().ml);
        QVERIFY(html.contains("<h3>Last successful downloads</h3>"));
        QVERIFY(html.contains("VX700-RV27MS"));
        for (const char* absent : {"SN-OLD", "SN-FAILED", "SN-OTHER"})
            QVERIFY2(!html.contains(absent), absent);
    }

    void collectsGroupsMembersAndZones() {
        EditEnv env;
        QVERIFY(env.OpenWith(
            GroupsSql({"A", "", "B"}) + UserSql("Ann", " 0912 ", "A|B") +
            UserSql("Bob", "22", "b", 1) + UserSql("Cy", "33", "") + UserSql("Dee", "44", "Gone") +
            "UPDATE Basic SET CreatedBy='Lin', DeviceModelName='VX700-RV27S';"
            "UPDATE Zones SET ZoneName='Hall', AlarmSMS='一樓火警', GroupName='all', "
            "IsDisable=1 WHERE ZoneNo=1;"));
        const ProjectSheetData s = ProjectSheet::Collect(env.c());
        QCOMPARE(s.projectName, QStringLiteral("Edit"));
        QCOMPARE(s.creator, QStringLiteral("Lin"));
        // Group numbers are the device's: unnamed rows take none.
        QCOMPARE(s.groups.size(), 2);
        QCOMPARE(s.groups[1].number, 2);
        QCOMPARE(s.groups[0].members.size(), 1);
        QCOMPARE(s.groups[0].members[0].phone, QStringLiteral("0912"));
        // Membership compares names upper-cased, like the download.
        QCOMPARE(s.groups[1].members.size(), 2);
        QVERIFY(s.groups[1].members[1].disabled);
        // Nobody is left off the sheet: no group, or a group that is gone.
        QCOMPARE(s.ungrouped.size(), 2);
        QCOMPARE(s.ungrouped[1].name, QStringLiteral("Dee"));
        QCOMPARE(s.zones.size(), 64);
        QCOMPARE(s.zones[1].alarm, QStringLiteral("一樓火警"));
        QVERIFY(s.zones[1].disabled);
        // The memory is the download's own count, against the model opened with the project.
        QCOMPARE(s.memoryUsed, PhoneBook::BuildImages(env.p(), false).projectSize);
        QCOMPARE(s.memoryCapacity, env.p().MaxMemoryByte);
        QCOMPARE(s.phoneBookEntries, 4);
    }

    void html_data() {
        QTest::addColumn<int>("localeId");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        const QString zone = "UPDATE Zones SET ZoneName='Hall', AlarmSMS='火警', GroupName='%1', "
                             "IsDisable=%2 WHERE ZoneNo=0;";
        QTest::newRow("all groups, disabled")
            << 1028 << zone.arg("ALL").arg(1) << 16384
            << QStringList{"所有連絡人群組", "暫停使用", "火警"} << QStringList{"超過"};
        QTest::newRow("English") << 1033 << zone.arg("ALL").arg(0) << 16384
                                 << QStringList{"All contact groups", "Project Sheet: Edit"}
                                 << QStringList{"Disabled", "所有連絡人群組"};
        QTest::newRow("no target") << 1028 << zone.arg("").arg(0) << 16384
                                   << QStringList{"(無)", "(無群組)"} << QStringList{"暫停使用"};
        QTest::newRow("markup is text") << 1028 << UserSql("<b>&x", "1", "") << 16384
                                        << QStringList{"&lt;b&gt;&amp;x"} << QStringList{"<b>&x"};
        QTest::newRow("over capacity")
            << 1028 << zone.arg("").arg(0) << 4
            << QStringList{"超過機型的記憶體容量!", "8 / 4 位元組 (200%)"} << QStringList{};
    }
    void html() {
        QFETCH(int, localeId);
        QFETCH(QString, sql);
        QFETCH(int, capacity);
        EditEnv env(localeId);
        QVERIFY(env.OpenWith(sql));
        env.p().MaxMemoryByte = capacity;
        const QString html = ProjectSheet::Html(ProjectSheet::Collect(env.c()), env.c().ml);
        QFETCH(QStringList, present);
        for (const QString& t : present)
            QVERIFY2(html.contains(t), qPrintable(t));
        QFETCH(QStringList, absent);
        for (const QString& t : absent)
            QVERIFY2(!html.contains(t), qPrintable(t));
    }

    // The share of memory rounds up: a byte used is never shown as 0 %.
    void memoryShareRoundsUp_data() {
        QTest::addColumn<int>("used");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("percent");
        QTest::newRow("1 of 3") << 1 << 3 << 34;
        QTest::newRow("57 of 16384") << 57 << 16384 << 1;
        QTest::newRow("none") << 0 << 16384 << 0;
        QTest::newRow("exactly half") << 4096 << 8192 << 50;
        QTest::newRow("one short of full") << 8191 << 8192 << 100;
        QTest::newRow("no capacity") << 5 << 0 << 0;
    }
    void memoryShareRoundsUp() {
        QFETCH(int, used);
        QFETCH(int, capacity);
        QFETCH(int, percent);
        EditEnv env;
        ProjectSheetData sheet;
        sheet.memoryUsed = used;
        sheet.memoryCapacity = capacity;
        const QString html = ProjectSheet::Html(sheet, env.c().ml);
        // The figures' digit grouping is the locale's; the share is what is checked.
        const auto m = QRegularExpression(QStringLiteral("位元組 \\((\\d+)%\\)")).match(html);
        QVERIFY2(m.hasMatch(), qPrintable(html));
        QCOMPARE(m.captured(1).toInt(), percent);
    }
};

QTEST_GUILESS_MAIN(TestProjectSheet)
#include "tst_ProjectSheet.moc"
