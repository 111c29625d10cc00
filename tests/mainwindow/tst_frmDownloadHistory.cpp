// The download history window: newest first, sorting by the raw values, the filter, copy
// and CSV text, one attempt's details, and comparing an attempt's image with the open project.
#include "editing/EditEnv.h"
#include "editing/ProjectDiff.h"
#include "mainwindow/DownloadHistoryView.h"
#include "mainwindow/frmDownloadHistory.h"

#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QTableView>

class tst_frmDownloadHistory : public QObject {
    Q_OBJECT

    // Three attempts: SN-B succeeded with 12 bytes, SN-A incomplete with 9, SN-C failed with 100.
    static void Fill(EditEnv& env) {
        const struct {
            const char* serial;
            const QString& outcome;
            int bytes;
        } rows[] = {{"SN-B", DownloadHistory::kSucceeded, 12},
                    {"SN-A", DownloadHistory::kIncomplete, 9},
                    {"SN-C", DownloadHistory::kFailed, 100}};
        int minute = 0;
        for (const auto& r : rows) {
            DownloadAttempt a;
            a.started = QDateTime(QDate(2026, 12, 9), QTime(14, minute++));
            a.serialNo = QString::fromLatin1(r.serial);
            a.bytes = r.bytes;
            a.projectName = QStringLiteral("Edit");
            a.content = ProjectDiff::Read(env.p()).ToJson();
            QVERIFY(DownloadHistory::Begin(env.HistoryPath(), a, nullptr));
            a.outcome = r.outcome;
            QVERIFY(DownloadHistory::Finish(env.HistoryPath(), a, nullptr));
        }
    }
    static QStringList Column(const QSortFilterProxyModel& m, int column) {
        QStringList out;
        for (int r = 0; r < m.rowCount(); ++r)
            out << m.data(m.index(r, column)).toString();
        return out;
    }

private Q_SLOTS:
    void table() {
        EditEnv env(1033);
        QVERIFY(env.OpenWith(GroupsSql({"A"})));
        Fill(env);
        frmDownloadHistory window(env.c(), nullptr);
        QSortFilterProxyModel& m = *window.Proxy();
        QCOMPARE(Column(m, DownloadHistoryModel::SerialNo), QStringList({"SN-C", "SN-A", "SN-B"}));
        QCOMPARE(Column(m, DownloadHistoryModel::Outcome),
                 QStringList({"failed (unchanged)", "incomplete", "succeeded"}));
        // Bytes sort as numbers, not as text ("100" < "12" < "9").
        window.Table()->sortByColumn(DownloadHistoryModel::Bytes, Qt::AscendingOrder);
        QCOMPARE(Column(m, DownloadHistoryModel::Bytes), QStringList({"9", "12", "100"}));
        window.Filter()->setText(QStringLiteral("INCOMPLETE"));
        QCOMPARE(Column(m, DownloadHistoryModel::SerialNo), QStringList{"SN-A"});
        window.Filter()->clear();

        // Without a selection every shown row, else the selected ones; header first.
        QStringList csv = window.SelectedCsv().split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(csv.size(), 4);
        QVERIFY(csv[0].startsWith("Started,Outcome,Serial number,Model,Project,"));
        window.Table()->selectRow(2);
        csv = window.SelectedCsv().split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(csv.size(), 2);
        QVERIFY2(
            csv[1].startsWith("2026-12-09 14:02:00,failed (unchanged),SN-C,,Edit,0 / 0,0 / 0,100,"),
            qPrintable(csv[1]));
    }

    // Details, and from what an attempt sent to the open project.
    void detailsAndComparison() {
        EditEnv env(1033);
        QVERIFY(env.OpenWith(GroupsSql({"A"}) + UserSql("Tom", "0912", "A")));
        Fill(env);
        DownloadHistoryModel model(env.c().ml);
        QVERIFY(model.Load(env.HistoryPath(), nullptr));
        const DownloadAttempt a = model.Attempt(0);
        const QStringList details = DownloadHistoryView::Details(env.c().ml, a);
        QVERIFY(details.contains("Serial number: SN-C"));
        QVERIFY(details.contains("Outcome: failed (unchanged)"));
        QStringList lines;
        QVERIFY(DownloadHistoryView::CompareWithAttempt(env.c(), a, lines, nullptr));
        QCOMPARE(lines, QStringList{"Both hold the same content."});
        QVERIFY(env.p().conn->Execute(QStringLiteral("UPDATE Users SET PhoneNumber='0913'")));
        QVERIFY(DownloadHistoryView::CompareWithAttempt(env.c(), a, lines, nullptr));
        QCOMPARE(lines, QStringList({"Contacts", "  changed: Tom number: \"0912\" -> \"0913\""}));
        // Not connected: no dialer to compare with.
        QVERIFY(!DownloadHistoryView::ConnectedDialersLast(env.c()));
        env.c().ConnectStatus = true;
        env.c().link.dialer.serialNo = QStringLiteral("SN-A");
        QCOMPARE(DownloadHistoryView::ConnectedDialersLast(env.c())->serialNo,
                 QStringLiteral("SN-A"));
        env.c().link.dialer.serialNo = QStringLiteral("SN-C"); // only a failure: nothing sent
        QVERIFY(!DownloadHistoryView::ConnectedDialersLast(env.c()));
        // A project file compared with the open one.
        QVERIFY(DownloadHistoryView::CompareWithFile(
            env.c(), env.MakeProject("Other.cmb", GroupsSql({"A", "B"})), lines, nullptr));
        QCOMPARE(lines.first(), QStringLiteral("Groups"));
        QVERIFY(lines.contains("  added: B"));
        QString why;
        QVERIFY(!DownloadHistoryView::CompareWithFile(env.c(), env.tmp.filePath("none.cmb"), lines,
                                                      &why));
        QVERIFY(!why.isEmpty());
    }
};

QTEST_MAIN(tst_frmDownloadHistory)
#include "tst_frmDownloadHistory.moc"
