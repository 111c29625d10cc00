// How fast the device link is, against the simulated dialer on its pseudo-terminal:
//  (a) one-register 0x04 reads, our client against a libmodbus client, simulator unpaced;
//  (b) the connect sequence with the simulator pacing replies to 9600 baud, against the
//      wire time of its bytes at 10 bits a character;
//  (c) how long a failed attempt takes when the device answers with an exception.
// One simulator on one pseudo-terminal pair serves all three; its pacing is switched on for
// (b) and the paced half of (c) through its control FIFO.
// Usage: devlink-bench [--reads N] [--connects N]
#include "../support/NullUi.h"
#include "../support/Simulator.h"
#include "app/AppContext.h"
#include "app/Startup.h"
#include "device/CommUtil.h"
#include "device/KORVACommUtil.h"
#include "ml/MLUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <modbus.h>
#include <vector>

namespace {

constexpr double kCharMs = 10.0 * 1000.0 / 9600.0; // one character on the wire

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}
double Mean(const std::vector<double>& v) {
    double s = 0;
    for (double x : v)
        s += x;
    return v.empty() ? 0 : s / double(v.size());
}

// n reads of input register 0x0006 by our client; the time of each in ms.
bool OurReads(AppContext& ctx, int n, std::vector<double>& times) {
    if (!CommUtil::EnsurePortOpen(ctx)) return false;
    QElapsedTimer t;
    QByteArray response;
    for (int i = 0; i < n; ++i) {
        t.start();
        if (!KORVACommUtil::ReadRegisters(ctx, 0x04, 0x0006, 1, response)) return false;
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    CommUtil::ClosePort(ctx);
    return true;
}

// The same reads by libmodbus.
bool LibmodbusReads(const QString& link, int n, std::vector<double>& times) {
    modbus_t* mb = modbus_new_rtu(QFile::encodeName(link).constData(), 9600, 'N', 8, 1);
    if (!mb) return false;
    modbus_set_slave(mb, 247);
    modbus_set_response_timeout(mb, 2, 0);
    if (modbus_connect(mb) != 0) {
        modbus_free(mb);
        return false;
    }
    QElapsedTimer t;
    uint16_t value = 0;
    bool ok = true;
    for (int i = 0; i < n && ok; ++i) {
        t.start();
        ok = modbus_read_input_registers(mb, 0x0006, 1, &value) == 1;
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    modbus_close(mb);
    modbus_free(mb);
    return ok;
}

// One failed attempt: a register the device does not have, answered with an exception.
bool ExceptionAttempt(AppContext& ctx, int n, std::vector<double>& times) {
    if (!CommUtil::EnsurePortOpen(ctx)) return false;
    QElapsedTimer t;
    for (int i = 0; i < n; ++i) {
        QByteArray request = QByteArray::fromHex("f70401000001");
        QByteArray response;
        QThread::msleep(40); // let the pause after the last failure run out first
        t.start();
        const bool ok = CommUtil::SendCommand(ctx, request, 6, response, 7, ctx.comm.TimeOut, 0);
        times.push_back(double(t.nsecsElapsed()) / 1e6);
        if (ok || response.size() != 5) return false;
    }
    CommUtil::ClosePort(ctx);
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    int reads = 2000;
    int connects = 10;
    const QStringList a = app.arguments();
    for (int i = 1; i + 1 < a.size(); ++i) {
        if (a[i] == QLatin1String("--reads")) reads = std::max(10, a[i + 1].toInt());
        if (a[i] == QLatin1String("--connects")) connects = std::max(1, a[i + 1].toInt());
    }

    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyDIALER"));
    NullUi ui;
    QDir::setCurrent(QStringLiteral(KORVA_BIN_DIR));
    AppContext ctx(ui);
    if (!Startup::StartCore(ctx, QStringLiteral(KORVA_BIN_DIR), MLUtil::kLcidEnglish)) {
        std::fprintf(stderr, "cannot start the core from %s\n", KORVA_BIN_DIR);
        return 1;
    }
    ctx.comm.PortName = link;
    ctx.comm.TimeOut = 2;
    ctx.comm.Retry = 3;

    std::printf("device link benchmark: korva-devsim on a pseudo-terminal (%s)\n",
                qPrintable(link));

    Sim sim;
    if (!sim.Start(link, dir.filePath(QStringLiteral("control")))) {
        std::fprintf(stderr, "korva-devsim did not start\n");
        return 1;
    }

    // (a) and (c), unpaced.
    std::vector<double> ours, theirs, exceptionFast;
    {
        // Warm up both, then alternate blocks so drift hits both alike.
        std::vector<double> warm;
        if (!OurReads(ctx, 50, warm) || !LibmodbusReads(link, 50, warm)) {
            std::fprintf(stderr, "warm-up failed\n");
            return 1;
        }
        for (int block = 0; block < 4; ++block) {
            if (!OurReads(ctx, reads / 4, ours) || !LibmodbusReads(link, reads / 4, theirs)) {
                std::fprintf(stderr, "a read failed\n");
                return 1;
            }
        }
        if (!ExceptionAttempt(ctx, 20, exceptionFast)) {
            std::fprintf(stderr, "the exception attempt did not go as expected\n");
            return 1;
        }
    }

    // (b) and (c) with the simulator pacing its replies to 9600 baud.
    std::vector<double> connectMs, exceptionPaced;
    qint64 connectBytes = 0;
    int connectFrames = 0;
    {
        if (!sim.Control("pace on")) {
            std::fprintf(stderr, "korva-devsim did not take the pacing command\n");
            return 1;
        }
        for (int i = 0; i < connects; ++i) {
            qint64 bytes = 0;
            int frames = 0;
            ctx.link.observer = [&](const FrameEvent& e) {
                if (e.direction == FrameDirection::Sent ||
                    e.direction == FrameDirection::Received) {
                    bytes += e.bytes.size();
                    ++frames;
                }
            };
            CommUtil::ClosePort(ctx);
            QElapsedTimer t;
            t.start();
            KORVACommUtil::Connect(ctx);
            connectMs.push_back(double(t.nsecsElapsed()) / 1e6);
            ctx.link.observer = nullptr;
            if (!ctx.ConnectStatus) {
                std::fprintf(stderr, "connect failed\n");
                return 1;
            }
            connectBytes = bytes;
            connectFrames = frames;
        }
        if (!ExceptionAttempt(ctx, 10, exceptionPaced)) {
            std::fprintf(stderr, "the paced exception attempt did not go as expected\n");
            return 1;
        }
    }
    Shutdown::CloseCore(ctx);

    const double oursMed = Median(ours), theirsMed = Median(theirs);
    std::printf("\n(a) one-register 0x04 read, simulator unpaced, %d reads each\n",
                int(ours.size()));
    std::printf("    KORVA client     median %.3f ms   mean %.3f ms\n", oursMed, Mean(ours));
    std::printf("    libmodbus client median %.3f ms   mean %.3f ms\n", theirsMed, Mean(theirs));
    std::printf("    ratio KORVA / libmodbus: %.2f (median), %.2f (mean)\n", oursMed / theirsMed,
                Mean(ours) / Mean(theirs));

    const double wireMs = double(connectBytes) * kCharMs;
    const int exchanges = connectFrames / 2;
    // The simulator answers once the request's wire time and a 3.5-character gap have passed,
    // its reply characters one character time apart: the least a paced exchange can take.
    const double floorMs = wireMs + exchanges * (3.5 - 1.0) * kCharMs;
    std::printf("\n(b) connect sequence, simulator paced to 9600 baud, %d runs\n",
                int(connectMs.size()));
    std::printf(
        "    %d exchanges, %lld bytes on the wire: wire time %.1f ms at 10 bits a character\n",
        exchanges, static_cast<long long>(connectBytes), wireMs);
    std::printf("    measured median %.1f ms   mean %.1f ms\n", Median(connectMs), Mean(connectMs));
    std::printf("    ratio measured / wire time: %.2f (median)\n", Median(connectMs) / wireMs);
    std::printf("    (against the simulator's paced floor with its 3.5-character gaps, %.1f ms: "
                "ratio %.2f)\n",
                floorMs, Median(connectMs) / floorMs);

    std::printf("\n(c) one failed attempt answered by an exception (time-out %d s, retry 0)\n",
                ctx.comm.TimeOut);
    std::printf("    unpaced: median %.3f ms   max %.3f ms\n", Median(exceptionFast),
                *std::max_element(exceptionFast.begin(), exceptionFast.end()));
    std::printf(
        "    paced:   median %.1f ms   max %.1f ms (wire time of its 8 + 5 characters: %.1f ms)\n",
        Median(exceptionPaced), *std::max_element(exceptionPaced.begin(), exceptionPaced.end()),
        13 * kCharMs);
    std::printf("    without the early end the attempt would wait out the silent time-out: %d ms\n",
                ctx.comm.TimeOut * 1000 + CommUtil::kSilenceGraceMs);
    return 0;
}
