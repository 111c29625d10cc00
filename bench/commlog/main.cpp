// What a frame costs the communication log: a download-like stream of request and
// acknowledgement pairs, each frame followed by a turn of the event loop (as the link lets
// events run while it waits), into the model alone and into the model shown in the log
// window. Frames come about --gap-us apart (100, about an unpaced exchange; 0.8 to 1.2 times
// that, one spacing a run; the gap is slept, not counted). Prints the CPU time a frame per quarter
// of the run, the last quarter against the first (goal: within 1.1x) and the window against the
// model alone (goal: within 5x). The last quarter includes showing the frames still waiting. Since
// the window shows frames in batches (every 100 ms at most), a quarter's cost also depends on how
// many batches the timer closes in it; the window's turns are therefore also printed apart: those
// that only took a frame, and those that showed a batch, each per quarter. Medians of --runs runs
// (11: a quarter is a few tens of ms of CPU, and one run alone moves by a tenth on a busy machine).
// Usage: commlog-bench [--frames N] [--runs N] [--gap-us N] (offscreen unless QT_QPA_PLATFORM)
#include "../support/NullUi.h"
#include "app/AppContext.h"
#include "device/CommLog.h"
#include "device/KORVADll.h"
#include "device/frmCommLog.h"

#include <QApplication>
#include <QTableView>
#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>

namespace {
QByteArray WithCrc(QByteArray b) {
    const int crc = KORVADll::CRC16(0xFFFF, b);
    return b + char(crc & 0xFF) + char(crc >> 8);
}

double ThreadCpuUs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

using Quarters = std::array<double, 4>; // microseconds a frame

// A run's cost split by what a turn of the loop did: a frame that only waited to be shown,
// and a frame whose turn showed a batch (the batch's layout, scroll and paint). The window
// shows a batch at most every 100 ms, so a quarter of the run closes 4 to 6 of them,
// whichever way the timer falls: the split shows whether either part grows with the rows.
struct Split {
    Quarters appendUs{}; // a turn that showed nothing
    Quarters batchUs{};  // a turn that showed a batch
    std::array<int, 4> batches{};
};

Quarters Run(CommLogModel& log, int frames, int gapUs, Split* split = nullptr) {
    const timespec gap{0, long(gapUs) * 1000};
    const QDateTime now = QDateTime::currentDateTime();
    Quarters q{};
    bool shown = false;
    const auto watch =
        QObject::connect(&log, &QAbstractItemModel::rowsInserted, [&] { shown = true; });
    double appendSpent = 0, batchSpent = 0;
    int appends = 0, batches = 0;
    double spent = 0; // the gaps slept are left out
    for (int i = 0; i < frames; ++i) {
        const double before = ThreadCpuUs();
        const int k = (i / 2) % 250 + 1;
        const QByteArray record =
            WithCrc(QByteArray("\xF7\x50\x43", 3) + char(k) + QByteArray(20, 'x'));
        log.Append(
            i % 2 ? FrameEvent{now, FrameDirection::Received, WithCrc(record.left(4)), {}, false}
                  : FrameEvent{now, FrameDirection::Sent, record, {}, false});
        QApplication::processEvents();
        if (i == frames - 1) {
            log.Flush();
            QApplication::processEvents();
        }
        const double turn = ThreadCpuUs() - before;
        spent += turn;
        if (shown) {
            batchSpent += turn;
            ++batches;
        } else {
            appendSpent += turn;
            ++appends;
        }
        shown = false;
        if (gapUs > 0) nanosleep(&gap, nullptr);
        if ((i + 1) % (frames / 4) == 0) {
            const int k = std::min(3, i / (frames / 4));
            q[k] = spent / (frames / 4);
            if (split) {
                split->appendUs[k] = appends ? appendSpent / appends : 0;
                split->batchUs[k] = batches ? batchSpent / batches : 0;
                split->batches[k] = batches;
            }
            spent = appendSpent = batchSpent = 0;
            appends = batches = 0;
        }
    }
    QObject::disconnect(watch);
    return q;
}

Quarters Median(QList<Quarters> runs) {
    Quarters m{};
    for (int i = 0; i < 4; ++i) {
        QList<double> v;
        for (const Quarters& r : runs)
            v << r[i];
        std::sort(v.begin(), v.end());
        m[i] = v[v.size() / 2];
    }
    return m;
}

void Print(const char* name, const Quarters& q) {
    std::printf("%-12s %8.2f %8.2f %8.2f %8.2f   last/first %.2fx\n", name, q[0], q[1], q[2], q[3],
                q[3] / q[0]);
}
} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int frames = 10000, runs = 11, gapUs = 100;
    for (int i = 1; i + 1 < argc; ++i) {
        if (QByteArray(argv[i]) == "--frames") frames = std::max(4, atoi(argv[i + 1]));
        if (QByteArray(argv[i]) == "--runs") runs = std::max(1, atoi(argv[i + 1]));
        if (QByteArray(argv[i]) == "--gap-us") gapUs = std::max(0, atoi(argv[i + 1]));
    }
    NullUi ui;
    AppContext ctx(ui);
    QList<Quarters> model, window, appendOnly, batch;
    Split last;
    std::array<int, 4> batchesOverRuns{};
    int shown = 0;
    for (int r = 0; r < runs; ++r) {
        // Each run spaces its frames a little differently (0.8 to 1.2 times the gap), so the
        // 100 ms batches fall at other frames from run to run. With one spacing for all runs,
        // every run closed the same number of batches in each quarter, and the quarter that
        // drew one batch more (a tenth of its cost) was the same in all of them.
        const int spacing =
            runs < 2 ? gapUs : int(gapUs * (0.8 + 0.4 * double(r) / double(runs - 1)));
        {
            CommLogModel log(ctx.ml);
            model << Run(log, frames, spacing);
        }
        CommLogModel log(ctx.ml);
        frmCommLog w(ctx, log);
        w.show();
        QApplication::processEvents();
        window << Run(log, frames, spacing, &last);
        appendOnly << last.appendUs;
        for (int k = 0; k < 4; ++k)
            batchesOverRuns[k] += last.batches[k];
        batch << last.batchUs;
        shown = w.tvLog()->model()->rowCount();
    }
    const Quarters m = Median(model), w = Median(window);
    std::printf("%d frames %d us apart, %d rows shown at the end; CPU us a frame, median of %d "
                "runs\n",
                frames, gapUs, shown, runs);
    std::printf("%-12s %8s %8s %8s %8s\n", "", "Q1", "Q2", "Q3", "Q4");
    Print("model only", m);
    Print("log window", w);
    std::printf("the log window's turns apart (batches a quarter, all runs: %d %d %d %d):\n",
                batchesOverRuns[0], batchesOverRuns[1], batchesOverRuns[2], batchesOverRuns[3]);
    Print(" no batch", Median(appendOnly));
    Print(" a batch", Median(batch));
    const double mt = m[0] + m[1] + m[2] + m[3], wt = w[0] + w[1] + w[2] + w[3];
    std::printf("window / model: %.2fx over the run\n", wt / mt);
    return 0;
}
