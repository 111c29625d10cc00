// The download history window: newest first, sorting by the raw values, the filter, copy
// and CSV text, one attempt's details, and comparing an attempt's image with the open project;
// the three menu items that open these windows from the main window.
#include "editing/EditEnv.h"
#include "editing/ProjectDiff.h"
#include "mainwindow/DownloadHistoryView.h"
#include "mainwindow/frmDownloadHistory.h"
#include "mainwindow/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimer>

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

    // Triggers the main window's item and returns what the window it opened showed: the
    // history's serial numbers, or a comparison's heading and lines; empty when none opened.
    static QStringList Opened(frmMain& w, const char* item) {
        QStringList seen;
        QTimer::singleShot(0, [&] {
            QWidget* d = QApplication::activeModalWidget();
            if (auto* h = qobject_cast<frmDownloadHistory*>(d))
                seen = Column(*h->Proxy(), DownloadHistoryModel::SerialNo);
            else if (auto* c = qobject_cast<frmCompare*>(d))
                seen = c->Text()->toPlainText().split(QLatin1Char('\n'));
            if (d) d->close();
        });
        w.findChild<QAction*>(QLatin1String(item))->trigger();
        return seen;
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

    void menuItems() {
        EditEnv env(1033);
        QVERIFY(env.OpenWith(GroupsSql({"A"})));
        Fill(env);
        QSettings store(env.tmp.filePath(QStringLiteral("placement.ini")), QSettings::IniFormat);
        frmMain w(env.c(), &store);
        w.show();
        QCOMPARE(Opened(w, "mnuViewDownloadHistory"), QStringList({"SN-C", "SN-A", "SN-B"}));

        env.ui.files.enqueue(env.MakeProject("Other.cmb", GroupsSql({"A", "B"})));
        const QStringList file = Opened(w, "mnuFileCompare");
        QVERIFY2(file.contains("  added: B"), qPrintable(file.join('|')));

        // Offered only when connected to a dialer the history knows; an incomplete download
        // says so before the differences.
        auto* device = w.findChild<QMenu*>(QStringLiteral("mnuDevice"));
        auto* compare = w.findChild<QAction*>(QStringLiteral("mnuDeviceCompare"));
        Q_EMIT device->aboutToShow();
        QVERIFY(!compare->isEnabled());
        env.c().ConnectStatus = true;
        env.c().link.dialer.serialNo = QStringLiteral("SN-A");
        Q_EMIT device->aboutToShow();
        QVERIFY(compare->isEnabled());
        const QStringList dialer = Opened(w, "mnuDeviceCompare");
        QVERIFY2(dialer.value(0).startsWith("incomplete: 0 / 0"), qPrintable(dialer.join('|')));
        QVERIFY(dialer.contains("Both hold the same content."));
    }
};

QTEST_MAIN(tst_frmDownloadHistory)
#include "tst_frmDownloadHistory.moc"
