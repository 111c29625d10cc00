// How fast a whole project goes into the simulated dialer, on one pseudo-terminal pair:
//  (a) paced to 9600 baud: the download's time against the wire time of its bytes (10 bits a
//      character) and against the simulator's floor (wire time plus its 3.5-character gaps);
//  (b) unpaced, end to end (the image, the check, the content the history keeps, the history's
//      records, the port's open, the exchanges): the download's time against a bare replay, a
//      write-then-read loop over the same frames on the same terminal (the machine's floor); --runs
//      interleaved pairs (11), medians, with the time outside the exchanges shown apart;
//  (c) the longest the event loop waited during the paced download (a 1 ms timer).
// The project fills a 128-zone model: 128 phonebook records of 10-digit numbers and 128
// messages of 40 Big5 bytes (64 zones, alarm and reset).
// The download history goes to the bench's own folder. Usage: download-bench [--runs N]
#include "../support/NullUi.h"
#include "../support/Simulator.h"
#include "app/AppContext.h"
#include "app/Startup.h"
#include "device/CommUtil.h"
#include "device/Download.h"
#include "device/DownloadOutcome.h"
#include "editing/PhoneBook.h"
#include "editing/ProjectDiff.h"
#include "editing/ValidUtil.h"
#include "mainwindow/Shutdown.h"
#include "ml/MLUtil.h"
#include "store/KORVAMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sqlite3.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr double kCharMs = 10.0 * 1000.0 / 9600.0; // one character on the wire

// Confirms every question and lets events run while the core waits.
class BenchUi : public NullUi {
public:
    void DoEvents() override { QCoreApplication::processEvents(); }
};

bool MakeProject(const QString& path) {
    QFile::remove(path);
    if (!QFile::copy(QStringLiteral(KORVA_BIN_DIR "/RV27.mdb"), path)) return false;
    QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
    // 40 Big5 bytes: 20 double-byte characters.
    const QString text = QStringLiteral("警報測試簡訊區域火警門窗入侵溫度過高停電");
    QString sql = QStringLiteral("UPDATE Basic SET DeviceModelName = 'VX700-RV27MS', IsUnicode = 0;"
                                 "INSERT INTO UserGroups (GroupName, GroupDsc) VALUES ('G', '');");
    for (int i = 0; i < 128; ++i)
        sql += QStringLiteral(
                   "INSERT INTO Users (UserName, PhoneNumber, IsDisable, UserDsc, GroupName) "
                   "VALUES ('U%1', '09%2', 0, '', 'G');")
                   .arg(i)
                   .arg(12345600 + i);
    sql += QStringLiteral("UPDATE Zones SET GroupName = 'ALL', AlarmSMS = '%1', ResetSMS = '%1';")
               .arg(text);
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK &&
              sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

struct Traffic {
    qint64 bytes = 0;
    int exchanges = 0;
    QList<QByteArray> requests;
};

// The longest wait of the event loop and where in the download it fell.
struct Stall {
    double ms = 0;
    double atMs = 0; // since the download started
    int afterExchanges = 0;
    double duringExchangesMs = 0; // the longest once the first request was sent
};

// The download with the traffic seen on the wire; its time in ms, negative on failure.
double TimedDownload(AppContext& ctx, Traffic& traffic, Stall* stall = nullptr,
                     const std::function<void(const FrameEvent&)>& also = nullptr) {
    traffic = {};
    ctx.link.observer = [&](const FrameEvent& e) {
        if (also) also(e);
        if (e.direction == FrameDirection::Sent) {
            ++traffic.exchanges;
            traffic.requests << e.bytes;
        }
        if (e.direction == FrameDirection::Sent || e.direction == FrameDirection::Received)
            traffic.bytes += e.bytes.size();
    };
    QTimer tick;
    QElapsedTimer sinceTick;
    QElapsedTimer t;
    Stall longest;
    if (stall) {
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const double gap = double(sinceTick.nsecsElapsed()) / 1e6;
            if (gap > longest.ms)
                longest = {gap, double(t.nsecsElapsed()) / 1e6, traffic.exchanges,
                           longest.duringExchangesMs};
            if (traffic.exchanges > 0)
                longest.duringExchangesMs = std::max(longest.duringExchangesMs, gap);
            sinceTick.start();
        });
        tick.start(1);
        sinceTick.start();
    }
    t.start();
    const bool ok = Download::DownloadProject(ctx);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    tick.stop();
    ctx.link.observer = nullptr;
    if (stall) *stall = longest;
    return ok ? ms : -1;
}

// The same requests written and their 6-byte replies read by bare system calls.
double BareLoop(const QString& link, const QList<QByteArray>& requests) {
    const int fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY);
    if (fd < 0) return -1;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    ::tcflush(fd, TCIOFLUSH);
    QElapsedTimer timer;
    timer.start();
    for (const QByteArray& r : requests) {
        if (::write(fd, r.constData(), size_t(r.size())) != r.size()) return -1;
        int got = 0;
        char buf[64];
        while (got < 6) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0) return -1;
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0) return -1;
            got += int(n);
        }
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    ::close(fd);
    return ms;
}

double Median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    int runs = 11;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--runs") runs = std::max(1, atoi(argv[i + 1]));
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyDIALER"));
    const QString project = dir.filePath(QStringLiteral("Bench.cmb"));
    if (!MakeProject(project)) {
        std::fprintf(stderr, "cannot make the project\n");
        return 1;
    }
    // A copy of the program folder, so the recent-files list of the staged one stays as it is.
    const QString bin = dir.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    for (const char* name : {"KORVA.set", "KORVA.ml", "KORVA.sdb", "RV27.mdb"})
        QFile::copy(QStringLiteral(KORVA_BIN_DIR "/") + QLatin1String(name),
                    QDir(bin).filePath(QLatin1String(name)));
    BenchUi ui;
    QDir::setCurrent(bin);
    AppContext ctx(ui);
    if (!Startup::StartCore(ctx, bin, MLUtil::kLcidEnglish) ||
        !KORVAMain::OpenProject(ctx, project)) {
        std::fprintf(stderr, "cannot start the core or open the project\n");
        return 1;
    }
    ctx.comm.PortName = link;
    ctx.comm.TimeOut = 2;
    ctx.comm.Retry = 3;
    ctx.link.dumpDir = dir.path();
    ctx.historyPath = dir.filePath(QStringLiteral("DownloadHistory.sqlite"));
    Sim sim;
    if (!sim.Start(link, dir.filePath(QStringLiteral("control")), {QStringLiteral("--pace")})) {
        std::fprintf(stderr, "korva-devsim did not start\n");
        return 1;
    }
    std::printf("download benchmark: korva-devsim on a pseudo-terminal (%s), 128/16384 model\n",
                qPrintable(link));

    Traffic paced;
    Stall stall;
    const double pacedMs = TimedDownload(ctx, paced, &stall);
    if (pacedMs < 0) {
        std::fprintf(stderr, "the paced download failed\n");
        return 1;
    }
    const double wireMs = double(paced.bytes) * kCharMs;
    // The simulator answers once the request's wire time and a 3.5-character gap have passed,
    // its reply characters one character time apart: the least a paced exchange can take.
    const double floorMs = wireMs + paced.exchanges * (3.5 - 1.0) * kCharMs;
    std::printf("\n(a) paced to 9600 baud: %d exchanges, %lld bytes on the wire\n", paced.exchanges,
                static_cast<long long>(paced.bytes));
    std::printf("    download %.1f ms; wire time %.1f ms (ratio %.3f); simulator floor %.1f ms "
                "(ratio %.3f, goal <= 1.05)\n",
                pacedMs, wireMs, pacedMs / wireMs, floorMs, pacedMs / floorMs);
    CommUtil::ClosePort(ctx);
    const double barePacedMs = BareLoop(link, paced.requests);
    std::printf("    the same frames by a bare write-then-read loop, paced: %.1f ms (ratio to the "
                "floor %.3f; "
                "download / bare %.3f)\n",
                barePacedMs, barePacedMs / floorMs, pacedMs / barePacedMs);

    if (!sim.Control("pace off")) {
        std::fprintf(stderr, "korva-devsim did not take the pacing command\n");
        return 1;
    }
    QList<double> ours, bare, firstToLast;
    Traffic fast;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer exchanges;
        qint64 firstSent = -1, lastSeen = 0;
        const double ms = TimedDownload(ctx, fast, nullptr, [&](const FrameEvent& e) {
            if (firstSent < 0 && e.direction == FrameDirection::Sent) {
                exchanges.start();
                firstSent = 0;
            }
            if (firstSent >= 0) lastSeen = exchanges.nsecsElapsed();
        });
        CommUtil::ClosePort(ctx);
        const double b = BareLoop(link, fast.requests);
        if (ms < 0 || b < 0) {
            std::fprintf(stderr, "the unpaced download or the bare loop failed\n");
            return 1;
        }
        ours << ms;
        bare << b;
        firstToLast << double(lastSeen) / 1e6;
    }
    const double fastMs = Median(ours), bareMs = Median(bare), exMs = Median(firstToLast);
    std::printf("\n(b) unpaced, end to end, median of %d: %d exchanges; download %.1f ms, of which "
                "%.1f ms from the first request to the last response; bare replay %.1f ms; "
                "download / bare %.2f (goal <= 1.5), exchanges alone / bare %.2f\n",
                runs, fast.exchanges, fastMs, exMs, bareMs, fastMs / bareMs, exMs / bareMs);
    // What runs before the first request, in one piece: the image, the check, the port.
    QElapsedTimer phase;
    phase.start();
    const ProjectImage image = PhoneBook::BuildImages(ctx.project, false);
    const double imageMs = double(phase.nsecsElapsed()) / 1e6;
    phase.start();
    ValidUtil::CheckBeforeDownload(ctx, image);
    const double checkMs = double(phase.nsecsElapsed()) / 1e6;
    phase.start();
    const QByteArray content = ProjectDiff::Read(ctx.project).ToJson();
    const double contentMs = double(phase.nsecsElapsed()) / 1e6;
    phase.start();
    CommUtil::EnsurePortOpen(ctx);
    const double openMs = double(phase.nsecsElapsed()) / 1e6;
    CommUtil::ClosePort(ctx);
    // The history's two records of a successful attempt, before the first request and after the
    // last.
    phase.start();
    DownloadOutcome::Recording recording =
        DownloadOutcome::Begin(ctx, image, Download::ImageRecords(image), content);
    const double beginMs = double(phase.nsecsElapsed()) / 1e6;
    phase.start();
    DownloadOutcome::End(ctx, recording,
                         2 + recording.attempt.phoneBookTotal + recording.attempt.messagesTotal,
                         true);
    const double endMs = double(phase.nsecsElapsed()) / 1e6;
    std::printf("\n(c) longest event-loop gap during the paced download (1 ms timer): %.1f ms, at "
                "%.0f ms after %d "
                "exchanges; once the first request was sent: %.1f ms\n",
                stall.ms, stall.atMs, stall.afterExchanges, stall.duringExchangesMs);
    std::printf("    before the first request, without events between (each read taking the "
                "file's lock itself): image %.1f ms, check %.1f ms, the content kept %.1f ms, port "
                "open %.1f ms, history record %.1f ms; after the last: history %.1f ms\n",
                imageMs, checkMs, contentMs, openMs, beginMs, endMs);
    KORVAMain::CloseProject(ctx);
    Shutdown::CloseCore(ctx);
    return 0;
}
