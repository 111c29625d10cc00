// Every project command at three project sizes against its floor, SQLite alone doing the same
// data work:
//  - in this process: the open (with the tree and list it shows), the tree build, the content
//    list of the contacts, the sheet's data collection and the CSV import preview, each against
//    the same rows read with the sqlite3 C API into Qt strings (the open also makes a durable
//    copy of the file and checks its integrity first; the preview also parses the file and
//    looks every row up in a hash; the sheet also reads the project's last successful downloads
//    from a download history of some 300 attempts);
//  - whole processes: korvactl check, image, export and import of contacts and of zones,
//    each against this program started as a minimal Qt Core program (--floor) that opens the
//    file with SQLite and does the same reads, writes the same output or runs the same updates
//    (by rowid, after one read of the keys into a hash) in one transaction;
//  - korvactl's start-up (check on the largest allowed project) against the minimal program
//    that only opens the file and counts its contacts;
//  - the main window: the open of a project to an idle window, the rename of a group every
//    contact is in, and the deletion of a group, with the window shown (no floor: absolute).
// Projects have N contacts, N/16 groups (every contact is in the first and one other) and N/2
// zones. Medians of --runs runs (5), command and floor interleaved; a command slower than 20 s
// is run once. Times are CPU time (this process's or the child's), or elapsed with --wall; the
// main window's times are always elapsed. Prints one table: time, floor and their ratio per size,
// and the growth from the second size to the third. Usage: scale-bench [--sizes 128,1280,12800]
// [--runs N] [--wall] [--only NAME[,NAME...]]
//        (names: start-up open tree list sheet preview check image "export contacts" ...)
#include "../support/NullUi.h"
#include "../support/ScaleProject.h"
#include "app/AppContext.h"
#include "app/Startup.h"
#include "db/ADOUtil.h"
#include "editing/CsvExchange.h"
#include "editing/KORVAUtil.h"
#include "editing/ProjectSheet.h"
#include "mainwindow/MainView.h"
#include "mainwindow/Shutdown.h"
#include "store/DownloadHistory.h"
#include "store/KORVAMain.h"

#include <QCoreApplication>
using App = QCoreApplication;

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {
const QString kBin = QStringLiteral(KORVA_BIN_DIR);

struct Db {
    sqlite3* db = nullptr;
    explicit Db(const QString& path, bool write = false) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                        write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, nullptr);
    }
    ~Db() { sqlite3_close(db); }
    bool Exec(const QString& sql) const {
        return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
};

using Rows = QVector<QStringList>;

// A statement's rows, every column as text.
Rows Select(sqlite3* db, const char* sql) {
    Rows rows;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) return rows;
    const int n = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        QStringList row;
        row.reserve(n);
        for (int c = 0; c < n; ++c)
            row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                     sqlite3_column_bytes(st, c));
        rows << row;
    }
    sqlite3_finalize(st);
    return rows;
}

struct Project {
    Rows basic, groups, users, zones;
};

Project ReadAll(sqlite3* db) {
    return {Select(db, "SELECT * FROM Basic"), Select(db, "SELECT * FROM UserGroups"),
            Select(db, "SELECT * FROM Users"), Select(db, "SELECT * FROM Zones")};
}

bool MakeProject(const QString& path, int contacts) {
    return MakeScaleProject(kBin + QStringLiteral("/RV27.mdb"), path, contacts);
}

// A history as an installer's computer holds one: 300 attempts of other projects, each with
// its records and content, before this project's.
void SeedHistory(const QString& path) {
    DownloadAttempt a;
    a.outcome = DownloadHistory::kSucceeded;
    a.started = a.ended = QDateTime::currentDateTimeUtc();
    a.serialNo = QStringLiteral("SN-000");
    a.modelName = QStringLiteral("VX700-RV27MS");
    a.projectPath = QStringLiteral("/elsewhere/Site.cmb");
    a.image = QByteArray(8000, 'r');
    a.content = QByteArray(20000, 'c');
    DownloadHistory::Finish(path, a, nullptr);
    Db d(path, true);
    d.Exec(QStringLiteral(
        "CREATE TEMP TABLE t AS SELECT * FROM Attempts; UPDATE t SET Id = NULL;"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 299) "
        "INSERT INTO Attempts SELECT t.* FROM t, n;"
        "UPDATE Attempts SET ProjectPath = '/elsewhere/Site' || Id || '.cmb', "
        "SerialNo = 'SN-' || Id;"));
}

// This project's last successful downloads, more than the sheet shows.
void AddDownloadsOf(const QString& history, const QString& project) {
    Db d(history, true);
    d.Exec(QStringLiteral("CREATE TEMP TABLE t AS SELECT * FROM Attempts WHERE Id = 1;"
                          "UPDATE t SET Id = NULL, ProjectPath = '%1';"
                          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                          "WHERE i < 8) INSERT INTO Attempts SELECT t.* FROM t, n;")
               .arg(QString(project).replace(u'\'', QLatin1String("''"))));
}

// What the sheet reads of the history: this project's last successful downloads.
void ReadLastDownloads(const QString& history, const QString& project) {
    Db d(history);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(d.db,
                       "SELECT SerialNo, ModelName, Started FROM Attempts WHERE ProjectPath = ?1 "
                       "AND Outcome = 'succeeded' ORDER BY Id DESC LIMIT 5",
                       -1, &st, nullptr);
    const QByteArray path = project.toUtf8();
    sqlite3_bind_text(st, 1, path.constData(), int(path.size()), SQLITE_STATIC);
    QStringList rows;
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < 3; ++c)
            rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
    sqlite3_finalize(st);
}

// What an open must do at least: a durable working copy, checked, every row read.
void FloorOpen(const QString& project, const QString& copy) {
    {
        QFile in(project);
        QSaveFile out(copy);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) return;
        out.write(in.readAll());
        out.commit();
    }
    Db d(copy);
    Select(d.db, "PRAGMA integrity_check");
    ReadAll(d.db);
}

// ---- the floor program --------------------------------------------------------------------

void WriteCsv(QTextStream& out, const Rows& rows) {
    for (const QStringList& r : rows) {
        for (int c = 0; c < r.size(); ++c) {
            if (c) out << ',';
            QString v = r[c];
            if (v.contains(u',') || v.contains(u'"') || v.contains(u'\n')) {
                v.replace(QLatin1String("\""), QLatin1String("\"\""));
                out << '"' << v << '"';
            } else {
                out << v;
            }
        }
        out << "\r\n";
    }
}

// The same updates an import makes, by rowid from one read of the keys, in one transaction on
// a copy that then replaces the file.
int FloorImport(const QString& project, const QString& csv, bool zones) {
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("work.db"));
    if (!QFile::copy(project, copy)) return 1;
    QFile in(csv);
    if (!in.open(QIODevice::ReadOnly)) return 1;
    const QStringList lines = QString::fromUtf8(in.readAll()).split(QStringLiteral("\r\n"));
    {
        Db d(copy, true);
        QHash<QString, qint64> keys;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(d.db,
                           zones ? "SELECT rowid, ZoneNo FROM Zones"
                                 : "SELECT rowid, upper(UserName) FROM Users",
                           -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            keys.insert(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))),
                sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
        d.Exec(QStringLiteral("BEGIN"));
        sqlite3_prepare_v2(d.db,
                           zones ? "UPDATE Zones SET ZoneName=?1, AlarmSMS=?2, ResetSMS=?3 "
                                   "WHERE rowid=?4"
                                 : "UPDATE Users SET PhoneNumber=?1, GroupName=?2, UserDsc=?3 "
                                   "WHERE rowid=?4",
                           -1, &st, nullptr);
        for (int i = 1; i < lines.size(); ++i) {
            const QStringList f = lines[i].split(u',');
            if (f.size() < 4) continue;
            const qint64 key = keys.value(zones ? f[0] : f[0].toUpper(), -1);
            if (key < 0) continue;
            for (int c = 1; c <= 3; ++c) {
                const QByteArray v = f[c].toUtf8();
                sqlite3_bind_text(st, c, v.constData(), int(v.size()), SQLITE_TRANSIENT);
            }
            sqlite3_bind_int64(st, 4, key);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        d.Exec(QStringLiteral("COMMIT"));
    }
    QFile work(copy);
    QSaveFile out(project);
    if (!work.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) return 1;
    out.write(work.readAll());
    return out.commit() ? 0 : 1;
}

int FloorMain(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    const QString what = a.value(2);
    const QString project = a.value(3);
    QTextStream out(stdout);
    if (what == QLatin1String("import-contacts") || what == QLatin1String("import-zones"))
        return FloorImport(project, a.value(4), what == QLatin1String("import-zones"));
    Db d(project);
    if (what == QLatin1String("open")) {
        out << Select(d.db, "SELECT count(*) FROM Users").value(0).value(0) << '\n';
        return 0;
    }
    if (what == QLatin1String("export-contacts") || what == QLatin1String("export-zones")) {
        QFile f(a.value(4));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
        QTextStream csv(&f);
        WriteCsv(csv, Select(d.db, what == QLatin1String("export-zones")
                                       ? "SELECT ZoneNo, ZoneName, ZoneDsc, GroupName, "
                                         "AlarmSMS, ResetSMS, IsDisable FROM Zones"
                                       : "SELECT UserName, PhoneNumber, GroupName, IsDisable, "
                                         "UserDsc FROM Users"));
        out << "Wrote\n";
        return 0;
    }
    const Project p = ReadAll(d.db);
    // check and image: the phonebook is one entry per membership, the messages two per zone.
    int entries = 0;
    for (const QStringList& u : p.users) {
        const QStringList groups = u.value(4).split(QStringLiteral("\r\n"));
        entries += int(groups.size());
        if (what == QLatin1String("image"))
            for (const QString& g : groups)
                out << "phonebook group=" << g << " \"" << u.value(1) << "\"\n";
    }
    if (what == QLatin1String("image"))
        for (const QStringList& z : p.zones)
            out << "message zone=" << z.value(0) << " \"" << z.value(4) << "\"\n"
                << "message zone=" << z.value(0) << " \"" << z.value(5) << "\"\n";
    out << "Groups: " << p.groups.size() << "\nPhonebook entries: " << entries
        << "\nShort messages: " << p.zones.size() * 2 << '\n';
    return 0;
}

// ---- timing -------------------------------------------------------------------------------

double Median(QVector<double> v) {
    if (v.isEmpty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// CPU time (user and system) by default: the machine is shared, and waiting for a core is not
// the command's cost. --wall measures elapsed time instead.
bool g_wall = false;

double CpuMs(int who) {
    rusage u{};
    getrusage(who, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// Milliseconds of one run of a process, its output thrown away.
double RunProcess(const QString& program, const QStringList& args) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    const double cpu = CpuMs(RUSAGE_CHILDREN);
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(600000))
        std::fprintf(stderr, "%s did not finish\n", qPrintable(program));
    return g_wall ? t.nsecsElapsed() / 1e6 : CpuMs(RUSAGE_CHILDREN) - cpu;
}

struct Cell {
    double time = -1, floor = -1;
};

using Step = std::function<double()>; // one run, in milliseconds

// Median of interleaved runs; one run when the first takes longer than 20 s.
Cell Measure(int runs, const std::function<void()>& prepare, const Step& command,
             const Step& floor) {
    QVector<double> t, f;
    for (int i = 0; i < runs; ++i) {
        if (prepare) prepare();
        t << command();
        if (floor) {
            if (prepare) prepare();
            f << floor();
        }
        if (t.last() > 20000) break;
    }
    return {Median(t), floor ? Median(f) : -1};
}

double TimeIt(const std::function<void()>& f) {
    QElapsedTimer t;
    const double cpu = CpuMs(RUSAGE_SELF);
    t.start();
    f();
    return g_wall ? t.nsecsElapsed() / 1e6 : CpuMs(RUSAGE_SELF) - cpu;
}

QString ReadText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
void WriteText(const QString& path, const QString& text) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(text.toUtf8());
}
} // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && QByteArray(argv[1]) == "--floor") return FloorMain(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    const ScaleOptions options(app.arguments(), {128, 1280, 12800});
    const QList<int>& sizes = options.sizes;
    const int runs = options.runs;
    const QStringList& only = options.only;
    g_wall = app.arguments().contains(QStringLiteral("--wall"));
    const auto wanted = [&](const QString& name) { return only.isEmpty() || only.contains(name); };

    QTemporaryDir tmp;
    const QString bin = StageProgramFolder(tmp, kBin);
    YesUi ui;
    AppContext ctx(ui);
    if (!Startup::StartCore(ctx, bin, 1028)) {
        std::fprintf(stderr, "The program folder would not start\n");
        return 1;
    }
    ctx.historyPath = tmp.filePath(QStringLiteral("DownloadHistory.sqlite"));
    SeedHistory(ctx.historyPath);
    const QString korvactl = kBin + QStringLiteral("/korvactl");
    const QString self = QCoreApplication::applicationFilePath();
    const auto floorProcess = [&](const QStringList& args) {
        return [=] { return RunProcess(self, QStringList{QStringLiteral("--floor")} + args); };
    };

    // name -> size -> cell, in the order the names were first measured
    QStringList order;
    std::map<QString, std::map<int, Cell>> table;
    const auto put = [&](const QString& name, int size, Cell c) {
        if (!order.contains(name)) order << name;
        table[name][size] = c;
        std::fprintf(stderr, "%-22s %6d  %10.2f ms  floor %9.2f ms\n", qPrintable(name), size,
                     c.time, c.floor);
    };

    for (const int n : sizes) {
        const QString project = tmp.filePath(QStringLiteral("KORVA/Project/p%1.cmb").arg(n));
        const QString pristine = project + QStringLiteral(".orig");
        if (!MakeProject(pristine, n)) {
            std::fprintf(stderr, "Cannot make the project of %d contacts\n", n);
            return 1;
        }
        const auto restore = [=] {
            QFile::remove(project);
            QFile::copy(pristine, project);
        };
        restore();
        AddDownloadsOf(ctx.historyPath, project);
        const QString contactsCsv = tmp.filePath(QStringLiteral("c%1.csv").arg(n));
        const QString zonesCsv = tmp.filePath(QStringLiteral("z%1.csv").arg(n));
        const QString out = tmp.filePath(QStringLiteral("out.csv"));
        // The files to import: the export with every phone number / alarm text changed.
        RunProcess(korvactl,
                   {QStringLiteral("export"), project, QStringLiteral("--contacts"), contactsCsv});
        RunProcess(korvactl,
                   {QStringLiteral("export"), project, QStringLiteral("--zones"), zonesCsv});
        WriteText(contactsCsv,
                  ReadText(contactsCsv).replace(QStringLiteral(",09"), QStringLiteral(",08")));
        WriteText(zonesCsv,
                  ReadText(zonesCsv).replace(QStringLiteral("Alarm "), QStringLiteral("Alert ")));

        if (n == sizes.first() && wanted(QStringLiteral("start-up")))
            put(QStringLiteral("korvactl start-up"), n,
                Measure(
                    runs, nullptr,
                    [&] {
                        return RunProcess(korvactl, {QStringLiteral("check"), project});
                    },
                    floorProcess({QStringLiteral("open"), project})));

        // In this process.
        if (wanted(QStringLiteral("open")))
            put(QStringLiteral("open"), n,
                Measure(
                    runs, nullptr,
                    [&] {
                        const double ms = TimeIt([&] { KORVAMain::OpenProject(ctx, project); });
                        KORVAMain::CloseProject(ctx);
                        return ms;
                    },
                    [&] { return TimeIt([&] { FloorOpen(project, tmp.filePath("copy.db")); }); }));
        KORVAMain::OpenProject(ctx, project);
        const auto readTree = [&] {
            Db d(project);
            Select(d.db, "SELECT GroupName FROM UserGroups");
            Select(d.db, "SELECT UserName, GroupName, IsDisable FROM Users");
            Select(d.db, "SELECT ZoneNo, ZoneName, IsDisable FROM Zones");
        };
        if (wanted(QStringLiteral("tree")))
            put(QStringLiteral("tree build"), n,
                Measure(
                    runs, nullptr, [&] { return TimeIt([&] { MainView::mktvProjContent(ctx); }); },
                    [&] { return TimeIt(readTree); }));
        if (wanted(QStringLiteral("list")))
            put(QStringLiteral("list build (contacts)"), n,
                Measure(
                    runs, nullptr,
                    [&] {
                        return TimeIt([&] {
                            MainView::SelectNode(ctx.view, MainView::FindNodeByTag(
                                                               ctx.view, QStringLiteral("Users")));
                            MainView::mklvNodeContent(ctx);
                        });
                    },
                    [&] {
                        return TimeIt([&] {
                            Db d(project);
                            Select(d.db, "SELECT * FROM Users");
                        });
                    }));
        if (wanted(QStringLiteral("sheet")) &&
            ProjectSheet::Collect(ctx).downloads.size() != ProjectSheet::kDownloadsShown) {
            std::fprintf(stderr, "The sheet does not find the project's downloads\n");
            return 1;
        }
        if (wanted(QStringLiteral("sheet")))
            put(QStringLiteral("sheet data"), n,
                Measure(
                    runs, nullptr, [&] { return TimeIt([&] { ProjectSheet::Collect(ctx); }); },
                    [&] {
                        return TimeIt([&] {
                            Db d(project);
                            ReadAll(d.db);
                            ReadLastDownloads(ctx.historyPath, project);
                        });
                    }));
        if (wanted(QStringLiteral("preview")))
            put(QStringLiteral("import preview (contacts)"), n,
                Measure(
                    runs, nullptr,
                    [&] {
                        return TimeIt([&] {
                            CsvImportForm form;
                            form.LoadFormObj(ctx, CsvExchange::Table::Contacts, contactsCsv);
                        });
                    },
                    [&] {
                        return TimeIt([&] {
                            const QStringList lines =
                                ReadText(contactsCsv).split(QStringLiteral("\r\n"));
                            Db d(project);
                            QHash<QString, QStringList> stored;
                            for (const QStringList& r :
                                 Select(d.db, "SELECT upper(UserName), PhoneNumber, GroupName, "
                                              "IsDisable, UserDsc FROM Users"))
                                stored.insert(r[0], r);
                            int changed = 0;
                            for (int i = 1; i < lines.size(); ++i) {
                                const QStringList f = lines[i].split(u',');
                                const auto it = stored.constFind(f[0].toUpper());
                                if (it != stored.constEnd() && it->value(1) != f.value(1))
                                    ++changed;
                            }
                            return changed;
                        });
                    }));
        KORVAMain::CloseProject(ctx);

        // Whole processes.
        const auto process = [&](const QString& name, const QStringList& args,
                                 const QStringList& floorArgs, bool writes) {
            if (!wanted(name)) return;
            put(name, n,
                Measure(
                    runs, writes ? std::function<void()>(restore) : nullptr,
                    [&] { return RunProcess(korvactl, args); }, floorProcess(floorArgs)));
        };
        process(QStringLiteral("check"), {QStringLiteral("check"), project},
                {QStringLiteral("check"), project}, false);
        process(QStringLiteral("image"), {QStringLiteral("image"), project},
                {QStringLiteral("image"), project}, false);
        process(QStringLiteral("export contacts"),
                {QStringLiteral("export"), project, QStringLiteral("--contacts"), out},
                {QStringLiteral("export-contacts"), project, out}, false);
        process(QStringLiteral("export zones"),
                {QStringLiteral("export"), project, QStringLiteral("--zones"), out},
                {QStringLiteral("export-zones"), project, out}, false);
        process(QStringLiteral("import contacts"),
                {QStringLiteral("import"), project, QStringLiteral("--contacts"), contactsCsv,
                 QStringLiteral("--yes")},
                {QStringLiteral("import-contacts"), project, contactsCsv}, true);
        process(QStringLiteral("import zones"),
                {QStringLiteral("import"), project, QStringLiteral("--zones"), zonesCsv,
                 QStringLiteral("--yes")},
                {QStringLiteral("import-zones"), project, zonesCsv}, true);
    }

    // The table.
    std::printf("%-26s", "command");
    for (const int n : sizes)
        std::printf(" | %7d: ms    floor  ratio", n);
    std::printf(" | growth %d->%d\n", sizes.value(sizes.size() - 2), sizes.last());
    for (const QString& name : order) {
        std::printf("%-26s", qPrintable(name));
        const auto& row = table[name];
        for (const int n : sizes) {
            const auto it = row.find(n);
            if (it == row.end()) {
                std::printf(" | %9s %8s %6s", "", "", "");
                continue;
            }
            const Cell& c = it->second;
            if (c.floor > 0)
                std::printf(" | %9.1f %8.1f %5.1fx", c.time, c.floor, c.time / c.floor);
            else
                std::printf(" | %9.1f %8s %6s", c.time, "-", "");
        }
        const auto lo = row.find(sizes.value(sizes.size() - 2));
        const auto hi = row.find(sizes.last());
        if (sizes.size() >= 2 && lo != row.end() && hi != row.end() && lo->second.time > 0)
            std::printf(" | %5.1fx\n", hi->second.time / lo->second.time);
        else
            std::printf(" |\n");
    }
    Shutdown::CloseCore(ctx);
    return 0;
}
