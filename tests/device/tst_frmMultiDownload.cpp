// The window's download to several dialers: real korvactl children against simulators, the
// dialog offscreen. Declined at the confirmation or cancelled before it, nothing is sent;
// cancelled while sending, each dialer stops after its exchange in flight and says what it
// holds; the simulated device several times over takes the project.
#include "../devsim/DevsimHarness.h"
#include "../download/Oracle.h"
#include "device/frmMultiDownload.h"
#include "support/ProjectEnv.h"

#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

namespace {
// The project open in a program folder of its own, children from the staged one.
struct Bench {
    ProjectEnv env{1033};
    QString project;
    Bench() {
        project = env.MakeProject(QStringLiteral("Site.cmb"), oracle::LargeProjectSql());
        env.Open(project);
        env.ctx->exeFolder = TestEnv::StagedBin();
    }
};

// Two simulated dialers (started with args) typed into the dialog's port list.
struct TwoDialers {
    devsimtest::Sim a, b;
    QString error;
    bool Start(const QStringList& args, frmMultiDownload& w) {
        if (!a.Start(args)) return error = a.error, false;
        if (!b.Start(args)) return error = b.error, false;
        a.CloseTty();
        b.CloseTty();
        w.LoadFormObj();
        w.AddTypedPort(a.Link());
        w.AddTypedPort(b.Link());
        w.show();
        return true;
    }
};

int Clears(devsimtest::Sim& sim) {
    return sim.State().value(QStringLiteral("phonebookClears")).toInt();
}
} // namespace

class tst_frmMultiDownload : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nothingSentWhenStoppedBeforeSending_data();
    void nothingSentWhenStoppedBeforeSending();
    void cancelWhileSending();
    void simulatedDialersTakeTheProject();
};

void tst_frmMultiDownload::nothingSentWhenStoppedBeforeSending_data() {
    QTest::addColumn<bool>("cancelAtOnce"); // Cancel pressed while they connect
    QTest::newRow("declined at the confirmation") << false;
    QTest::newRow("cancelled while connecting") << true;
}

void tst_frmMultiDownload::nothingSentWhenStoppedBeforeSending() {
    QFETCH(bool, cancelAtOnce);
    Bench bench;
    TwoDialers sims; // outlives the dialog, as the dialers outlast the window
    frmMultiDownload w(*bench.env.ctx);
    QVERIFY2(sims.Start({}, w), qPrintable(sims.error));
    devsimtest::Sim &a = sims.a, &b = sims.b;
    bench.env.ui.answers.enqueue(vbCancel);
    QTest::mouseClick(w.cmdStart(), Qt::LeftButton);
    QVERIFY(w.Download());
    QVERIFY(!w.cmdStart()->isEnabled());
    if (cancelAtOnce) QTest::mouseClick(w.cmdCancel(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(w.cmdStart()->isEnabled(), 30000);
    for (const BenchPort& p : w.Download()->Ports()) {
        QCOMPARE(p.outcome, BenchOutcome::Cancelled);
        QCOMPARE(p.model, QStringLiteral("VX700-RV27MS"));
    }
    const int row = w.tblPorts()->rowCount() - 1;
    QCOMPARE(w.tblPorts()->item(row, frmMultiDownload::ColResult)->text(),
             QStringLiteral("cancelled: Nothing was sent."));
    QCOMPARE(w.tblPorts()->item(row, frmMultiDownload::ColSerial)->text(),
             QStringLiteral("12-09-2143-785634-12"));
    QCOMPARE(Clears(a) + Clears(b), 0);
    // Declined: the one confirmation named both ports; cancelled first, none was asked.
    const QStringList texts = bench.env.ui.Texts();
    QCOMPARE(texts.size(), cancelAtOnce ? 0 : 1);
    if (!cancelAtOnce) {
        QVERIFY(texts[0].startsWith(QStringLiteral("Download the project to 2 dialers:")));
        QVERIFY(texts[0].contains(a.Link()) && texts[0].contains(b.Link()));
    }
}

// Two paced dialers stopped in the middle: both were cleared, so both say what they hold.
void tst_frmMultiDownload::cancelWhileSending() {
    Bench bench;
    TwoDialers sims; // outlives the dialog, as the dialers outlast the window
    frmMultiDownload w(*bench.env.ctx);
    QVERIFY2(sims.Start({QStringLiteral("--pace")}, w), qPrintable(sims.error));
    devsimtest::Sim& b = sims.b;
    QTest::mouseClick(w.cmdStart(), Qt::LeftButton);
    const auto sending = [&w] {
        for (const BenchPort& p : w.Download()->Ports())
            if (p.area != QLatin1String("phonebook") && p.area != QLatin1String("messages"))
                return false;
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(sending(), 30000);
    const int row = w.tblPorts()->rowCount() - 1;
    auto* bar =
        qobject_cast<QProgressBar*>(w.tblPorts()->cellWidget(row, frmMultiDownload::ColProgress));
    QVERIFY(bar->text().startsWith(QStringLiteral("phonebook ")) ||
            bar->text().startsWith(QStringLiteral("messages ")));
    QTest::mouseClick(w.cmdCancel(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(w.cmdStart()->isEnabled(), 30000);
    for (const BenchPort& p : w.Download()->Ports()) {
        QCOMPARE(p.outcome, BenchOutcome::Incomplete);
        QVERIFY2(p.text.startsWith(QStringLiteral("The dialer now holds an incomplete")),
                 qPrintable(p.text));
    }
    QVERIFY(w.tblPorts()
                ->item(row, frmMultiDownload::ColResult)
                ->text()
                .startsWith(QStringLiteral("incomplete: ")));
    // Stopped, not finished: the dialer holds fewer messages than the project has.
    const int messages = int(oracle::Expected(bench.project).shortMessages.size());
    QVERIFY(b.State().value(QStringLiteral("shortMessages")).toArray().size() < messages);
    QVERIFY(oracle::Judge(bench.project, b.StatePath()).code != 0);
}

// The demo several times over: each child its own simulated dialer; the dumps in a folder each.
void tst_frmMultiDownload::simulatedDialersTakeTheProject() {
    Bench bench;
    frmMultiDownload w(*bench.env.ctx);
    w.LoadFormObj();
    const int ports = w.tblPorts()->rowCount();
    w.spnDemo()->setValue(3);
    w.spnDemo()->setValue(2);
    QCOMPARE(w.tblPorts()->rowCount(), ports + 2);
    w.show();
    QTest::mouseClick(w.cmdStart(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(w.cmdStart()->isEnabled(), 60000);
    QCOMPARE(w.Download()->Ports().size(), 2);
    QVERIFY(w.Download()->AllOk());
    QCOMPARE(w.tblPorts()->item(ports + 1, frmMultiDownload::ColModel)->text(),
             QStringLiteral("VX700-RV27MS"));
    const QDir dumps(QDir::currentPath());
    const QStringList folders = MultiDownload::FolderNames(
        {w.tblPorts()->item(ports, 0)->text(), w.tblPorts()->item(ports + 1, 0)->text()});
    QCOMPARE(folders[0], QStringLiteral("Simulated_device__demo__1"));
    for (const QString& f : folders)
        QCOMPARE(TestEnv::ReadFile(dumps.filePath(f + QStringLiteral("/SHORTMSG.dbg"))),
                 oracle::Expected(bench.project).shortMessages.join());
}

QTEST_MAIN(tst_frmMultiDownload)
#include "tst_frmMultiDownload.moc"
