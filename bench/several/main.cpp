// A bench of paced dialers (9600 baud) at once against one of them alone: korvactl's download
// with several --port against the same command with one, the largest project the models allow
// (128 phonebook records of 20 digits, 128 messages of 100 bytes: 16384 bytes). Prints the wall
// time of each, their ratio (one child per dialer: ideally 1), the CPU time per dialer (the
// korvactl processes', the simulators' apart) and the load before the run.
// Usage: several-bench [dialers, default 8]
#include "../support/Simulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {

bool MakeProject(const QString& path) {
    QFile::remove(path);
    if (!QFile::copy(QStringLiteral(KORVA_BIN_DIR "/RV27.mdb"), path)) return false;
    QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
    QString sql = QStringLiteral("UPDATE Basic SET DeviceModelName = 'VX700-RV27MS', IsUnicode = 0;"
                                 "INSERT INTO UserGroups (GroupName, GroupDsc) VALUES ('G', '');");
    for (int i = 0; i < 128; ++i)
        sql += QStringLiteral(
                   "INSERT INTO Users (UserName, PhoneNumber, IsDisable, UserDsc, GroupName) "
                   "VALUES ('U%1', '0912345678901234%2', 0, '', 'G');")
                   .arg(i)
                   .arg(1000 + i);
    sql += QStringLiteral("UPDATE Zones SET GroupName = 'ALL', AlarmSMS = printf('%.100c', 'A'), "
                          "ResetSMS = printf('%.100c', 'R');");
    sqlite3* db = nullptr;
    const bool ok =
        sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK &&
        sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

double ChildCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Timed {
    double wall = -1;
    double cpu = 0;
    int code = -1;
    QByteArray out;
};

// korvactl download to the ports; wall and CPU time (korvactl and its children).
Timed Download(const QString& project, const QStringList& ports, const QString& history,
               const QString& dumps) {
    QStringList args{QStringLiteral("download"),
                     project,
                     QStringLiteral("--yes"),
                     QStringLiteral("--history"),
                     history,
                     QStringLiteral("--dump-dir"),
                     dumps};
    for (const QString& p : ports)
        args << QStringLiteral("--port") << p;
    Timed t;
    const double cpu = ChildCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    QProcess p;
    p.start(QStringLiteral(KORVA_BIN_DIR "/korvactl"), args);
    if (!p.waitForFinished(600000)) return t;
    t.wall = clock.elapsed() / 1000.0;
    t.cpu = ChildCpuSeconds() - cpu;
    t.code = p.exitCode();
    t.out = p.readAllStandardOutput();
    return t;
}

QByteArray Load() {
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray("?");
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 8;
    QTemporaryDir dir;
    const QString project = dir.filePath(QStringLiteral("Largest.cmb"));
    if (!MakeProject(project)) {
        std::fprintf(stderr, "cannot make the project\n");
        return 1;
    }
    std::vector<std::unique_ptr<Sim>> sims;
    QStringList ports;
    for (int i = 0; i < n; ++i) {
        auto sim = std::make_unique<Sim>();
        const QString link = dir.filePath(QStringLiteral("tty%1").arg(i));
        if (!sim->Start(link, dir.filePath(QStringLiteral("ctl%1").arg(i)),
                        {QStringLiteral("--pace")})) {
            std::fprintf(stderr, "simulator %d did not start\n", i);
            return 1;
        }
        sims.push_back(std::move(sim));
        ports << link;
    }
    const QByteArray load = Load();
    const QString history = dir.filePath(QStringLiteral("history.sqlite"));
    const Timed one = Download(project, {ports[0]}, history, dir.filePath(QStringLiteral("d1")));
    const Timed all = Download(project, ports, history, dir.filePath(QStringLiteral("dn")));
    if (one.code != 0 || all.code != 0) {
        std::fprintf(stderr, "a download failed (%d, %d)\n%s", one.code, all.code,
                     all.out.constData());
        return 1;
    }
    std::printf("load average before: %s\n", load.constData());
    std::printf("project: 16384 bytes (128 phonebook records, 128 messages), paced to 9600 baud\n");
    std::printf("one dialer:      %7.2f s wall, %6.2f s CPU\n", one.wall, one.cpu);
    std::printf("%2d dialers:      %7.2f s wall, %6.2f s CPU (%.2f s a dialer)\n", n, all.wall,
                all.cpu, all.cpu / n);
    std::printf("ratio:           %7.3f (the bench against one dialer alone)\n",
                all.wall / one.wall);
    std::printf("%s", all.out.constData());
    return 0;
}
