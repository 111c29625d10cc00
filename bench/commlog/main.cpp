// The cost of one frame appended to the communication log: a download-like stream of request
// and acknowledgement pairs, past the 10,000-row cap, into the model alone and into the model
// shown in the log window. Goal: well under a millisecond a frame (the shortest frame takes
// about 6 ms on the wire at 9600 baud), and no growth with the number of frames taken.
// Usage: QT_QPA_PLATFORM=offscreen commlog-bench [--frames N]
#include "../support/NullUi.h"
#include "app/AppContext.h"
#include "device/CommLog.h"
#include "device/KORVADll.h"
#include "device/frmCommLog.h"
#include "ml/MLUtil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {
QByteArray WithCrc(QByteArray b) {
    const int crc = KORVADll::CRC16(0xFFFF, b);
    return b + char(crc & 0xFF) + char(crc >> 8);
}

// Microseconds a frame over the first and the last quarter of the run.
void Run(const char* name, CommLogModel& log, int frames) {
    QElapsedTimer t;
    const QDateTime now = QDateTime::currentDateTime();
    double quarter[2] = {};
    for (int i = 0; i < frames; ++i) {
        if (i == 0 || i == frames * 3 / 4) t.restart();
        const int k = (i / 2) % 250 + 1;
        const QByteArray record =
            WithCrc(QByteArray("\xF7\x50\x43", 3) + char(k) + QByteArray(20, 'x'));
        log.Append(
            i % 2 ? FrameEvent{now, FrameDirection::Received, WithCrc(record.left(4)), {}, false}
                  : FrameEvent{now, FrameDirection::Sent, record, {}, false});
        if (i == frames / 4 - 1) quarter[0] = t.nsecsElapsed() / 1000.0 / (frames / 4);
        if (i % 500 == 0) QApplication::processEvents();
    }
    quarter[1] = t.nsecsElapsed() / 1000.0 / (frames - frames * 3 / 4);
    std::printf(
        "%-14s %d frames, rows kept %d: %.2f us/frame first quarter, %.2f us/frame last quarter\n",
        name, frames, log.rowCount(), quarter[0], quarter[1]);
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int frames = 100000;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--frames") frames = QByteArray(argv[i + 1]).toInt();
    NullUi ui;
    AppContext ctx(ui);
    {
        CommLogModel log(ctx.ml);
        Run("model only", log, frames);
    }
    {
        CommLogModel log(ctx.ml);
        frmCommLog window(ctx, log);
        window.show();
        Run("log window", log, frames);
    }
    return 0;
}
