#include "store/DownloadHistory.h"

#include "store/StoreContext.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <functional>
#include <memory>
#include <sqlite3.h>

namespace DownloadHistory {
namespace {
// How long a writer waits for another program's transaction before giving up.
constexpr int kBusyTimeoutMs = 15000;
} // namespace

// One open database file, closed at the end of its scope.
class Db {
public:
    ~Db() {
        if (m_db) sqlite3_close_v2(m_db);
    }
    bool Open(const QString& path, bool write) {
        if (write) {
            const QString dir = QFileInfo(path).absolutePath();
            if (!QDir().mkpath(dir)) return Fail(QStringLiteral("cannot create the folder ") + dir);
        }
        const int flags = write ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                                       flags | SQLITE_OPEN_FULLMUTEX, nullptr);
        if (rc != SQLITE_OK) return Fail();
        sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
        sqlite3_extended_result_codes(m_db, 1);
        if (write) {
            // The records come right before the first frame and after the last, so a commit
            // appends to a log: it reaches the operating system at once (a killed program
            // keeps it), the disk is synchronised where a write asks for it and at
            // checkpoints, and closing does not checkpoint. The log is checkpointed at a
            // quarter of the default size, as every opener reads it whole. A file another
            // program holds open in the old mode keeps its journal.
            sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
            sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
            if (!Exec("PRAGMA wal_autocheckpoint=256")) return false;
        }
        return true;
    }
    bool Exec(const char* sql) {
        return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK || Fail();
    }
    sqlite3_stmt* Prepare(const QString& sql) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
            Fail();
            return nullptr;
        }
        return st;
    }
    bool Fail(const QString& why = {}) {
        m_error = !why.isEmpty() ? why
                  : m_db         ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                 : QStringLiteral("cannot open the file");
        return false;
    }
    QString Error() const { return m_error; }
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
    QString m_error;
};

namespace {
const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS Attempts("
    "Id INTEGER PRIMARY KEY, Started TEXT, Ended TEXT, Outcome TEXT NOT NULL,"
    "ClearsDone INTEGER, PhoneBookSent INTEGER, PhoneBookTotal INTEGER,"
    "MessagesSent INTEGER, MessagesTotal INTEGER, SerialNo TEXT, ModelName TEXT,"
    "TypeCode TEXT, Port TEXT, ProjectPath TEXT, ProjectName TEXT, ImageSha256 TEXT,"
    "Bytes INTEGER, Computer TEXT, UserName TEXT, Image BLOB, Content BLOB);"
    "CREATE INDEX IF NOT EXISTS AttemptsBySerial ON Attempts(SerialNo, Id);";

const char* const kColumns =
    "Id, Started, Ended, Outcome, ClearsDone, PhoneBookSent, PhoneBookTotal, MessagesSent,"
    "MessagesTotal, SerialNo, ModelName, TypeCode, Port, ProjectPath, ProjectName, ImageSha256,"
    "Bytes, Computer, UserName, Image, Content";

QString Iso(const QDateTime& t) {
    return t.isValid() ? t.toUTC().toString(Qt::ISODateWithMs) : QString();
}

void BindText(sqlite3_stmt* st, int i, const QString& v) {
    const QByteArray b = v.toUtf8();
    sqlite3_bind_text(st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}
void BindBlob(sqlite3_stmt* st, int i, const QByteArray& v) {
    sqlite3_bind_blob(st, i, v.constData(), int(v.size()), SQLITE_TRANSIENT);
}

// Binds every column but Id, in kColumns order, from parameter first + 1.
void BindAttempt(sqlite3_stmt* st, const DownloadAttempt& a, int first) {
    int i = first;
    BindText(st, ++i, Iso(a.started));
    BindText(st, ++i, Iso(a.ended));
    BindText(st, ++i, a.outcome);
    for (int v : {a.clearsDone, a.phoneBookSent, a.phoneBookTotal, a.messagesSent, a.messagesTotal})
        sqlite3_bind_int(st, ++i, v);
    for (const QString* v : {&a.serialNo, &a.modelName, &a.typeCode, &a.port, &a.projectPath,
                             &a.projectName, &a.imageSha256})
        BindText(st, ++i, *v);
    sqlite3_bind_int(st, ++i, a.bytes);
    BindText(st, ++i, a.computer);
    BindText(st, ++i, a.user);
    BindBlob(st, ++i, a.image);
    BindBlob(st, ++i, a.content);
}

QString Text(sqlite3_stmt* st, int i) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                             sqlite3_column_bytes(st, i));
}
QByteArray Blob(sqlite3_stmt* st, int i) {
    return QByteArray(static_cast<const char*>(sqlite3_column_blob(st, i)),
                      sqlite3_column_bytes(st, i));
}

DownloadAttempt ReadAttempt(sqlite3_stmt* st) {
    DownloadAttempt a;
    int i = 0;
    a.id = sqlite3_column_int64(st, i++);
    a.started = QDateTime::fromString(Text(st, i++), Qt::ISODateWithMs).toLocalTime();
    a.ended = QDateTime::fromString(Text(st, i++), Qt::ISODateWithMs).toLocalTime();
    a.outcome = Text(st, i++);
    for (int* v :
         {&a.clearsDone, &a.phoneBookSent, &a.phoneBookTotal, &a.messagesSent, &a.messagesTotal})
        *v = sqlite3_column_int(st, i++);
    for (QString* v : {&a.serialNo, &a.modelName, &a.typeCode, &a.port, &a.projectPath,
                       &a.projectName, &a.imageSha256})
        *v = Text(st, i++);
    a.bytes = sqlite3_column_int(st, i++);
    a.computer = Text(st, i++);
    a.user = Text(st, i++);
    a.image = Blob(st, i++);
    a.content = Blob(st, i++);
    return a;
}

QString Placeholders() {
    QStringList marks;
    for (int i = 0; i < 20; ++i)
        marks << QStringLiteral("?");
    return marks.join(QLatin1Char(','));
}

// Runs one write in its own immediate transaction; another program's transaction is waited
// for (busy time-out) rather than failed. onDisk: the commit is on the disk when this returns
// (a power cut keeps it, and everything written before it); else it may be lost to one.
bool Write(Db& db, bool onDisk, QString* why, const std::function<bool(Db&)>& body) {
    bool ok = db.Exec(onDisk ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL") &&
              db.Exec("BEGIN IMMEDIATE");
    if (ok) {
        ok = db.Exec(kSchema) && body(db) && db.Exec("COMMIT");
        if (!ok) {
            const QString error = db.Error();
            sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
            db.Fail(error);
        }
    }
    if (!ok && why) *why = db.Error();
    return ok;
}
} // namespace

QString DefaultPath() {
    // The window program's AppDataLocation ("<data>/KORVA"), whichever program asks.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("KORVA/DownloadHistory.sqlite"));
}

QString PathOf(const StoreContext& ctx) {
    return ctx.historyPath.isEmpty() ? DefaultPath() : ctx.historyPath;
}

QString ImageHash(const QByteArray& records) {
    return QString::fromLatin1(
        QCryptographicHash::hash(records, QCryptographicHash::Sha256).toHex());
}

QVector<QByteArray> SplitRecords(const QByteArray& image) {
    QVector<QByteArray> out;
    qsizetype at = 0;
    while (at + 9 <= image.size()) {
        const qsizetype n = 9 + quint8(image[at + 7]);
        out << image.mid(at, n);
        at += n;
    }
    return out;
}

QString ComputerName() {
    return QSysInfo::machineHostName();
}

QString UserName() {
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty()) name = qEnvironmentVariable("USERNAME");
    return name;
}

Writer::Writer(QString path) : m_path(std::move(path)) {}
Writer::~Writer() = default;
Writer::Writer(Writer&&) noexcept = default;
Writer& Writer::operator=(Writer&&) noexcept = default;

Db* Writer::Opened(QString* why) {
    if (!m_db) {
        auto db = std::make_unique<Db>();
        if (!db->Open(m_path, true)) {
            if (why) *why = db->Error();
            return nullptr;
        }
        m_db = std::move(db);
    }
    return m_db.get();
}

bool Writer::Begin(DownloadAttempt& attempt, QString* why) {
    attempt.outcome = kStarted;
    Db* db = Opened(why);
    // Written before the first frame; a killed program keeps it. A power cut may take it
    // (it says only that an attempt began; what a dialer holds is judged by the ends).
    return db && Write(*db, false, why, [&](Db& db) {
               sqlite3_stmt* st =
                   db.Prepare(QStringLiteral("INSERT INTO Attempts(%1) VALUES(NULL,%2)")
                                  .arg(QString::fromLatin1(kColumns), Placeholders()));
               if (!st) return false;
               BindAttempt(st, attempt, 0);
               const bool ok = sqlite3_step(st) == SQLITE_DONE || db.Fail();
               sqlite3_finalize(st);
               if (ok) attempt.id = sqlite3_last_insert_rowid(db.handle());
               return ok;
           });
}

bool Writer::Finish(DownloadAttempt& attempt, QString* why) {
    Db* db = Opened(why);
    // An attempt that failed stays known whatever happens to this computer (the dialer may
    // hold part of it); a success lost to a power cut leaves at most the started row.
    return db && Write(*db, attempt.outcome != kSucceeded, why, [&](Db& db) {
               // The started row is replaced whole; without one (or with it gone) a row is
               // added.
               const QString sql =
                   QStringLiteral("INSERT OR REPLACE INTO Attempts(%1) VALUES(?,%2)")
                       .arg(QString::fromLatin1(kColumns), Placeholders());
               sqlite3_stmt* st = db.Prepare(sql);
               if (!st) return false;
               if (attempt.id > 0)
                   sqlite3_bind_int64(st, 1, attempt.id);
               else
                   sqlite3_bind_null(st, 1);
               BindAttempt(st, attempt, 1);
               const bool ok = sqlite3_step(st) == SQLITE_DONE || db.Fail();
               sqlite3_finalize(st);
               if (ok) attempt.id = sqlite3_last_insert_rowid(db.handle());
               return ok;
           });
}

bool Begin(const QString& path, DownloadAttempt& attempt, QString* why) {
    return Writer(path).Begin(attempt, why);
}

bool Finish(const QString& path, DownloadAttempt& attempt, QString* why) {
    return Writer(path).Finish(attempt, why);
}

bool Query(const QString& path, const Filter& filter, QVector<DownloadAttempt>& out, QString* why) {
    out.clear();
    if (!QFileInfo::exists(path)) return true;
    Db db;
    if (!db.Open(path, false)) {
        if (why) *why = db.Error();
        return false;
    }
    QStringList where;
    QStringList values;
    if (!filter.serialNo.isEmpty()) {
        where << QStringLiteral("SerialNo = ?");
        values << filter.serialNo;
    }
    if (!filter.projectPath.isEmpty()) {
        where << QStringLiteral("ProjectPath = ?");
        values << filter.projectPath;
    }
    if (!filter.outcome.isEmpty()) {
        where << QStringLiteral("Outcome IN (%1)")
                     .arg(QStringList(filter.outcome.split(QLatin1Char(',')).size(),
                                      QStringLiteral("?"))
                              .join(QLatin1Char(',')));
        values << filter.outcome.split(QLatin1Char(','));
    }
    QString sql = QStringLiteral("SELECT %1 FROM Attempts").arg(QString::fromLatin1(kColumns));
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY Id DESC");
    if (filter.limit >= 0) sql += QStringLiteral(" LIMIT %1").arg(filter.limit);
    sqlite3_stmt* st = db.Prepare(sql);
    if (!st) {
        // A file without the table yet holds no attempt.
        if (db.Error().contains(QLatin1String("no such table"))) return true;
        if (why) *why = db.Error();
        return false;
    }
    for (int i = 0; i < values.size(); ++i)
        BindText(st, i + 1, values[i]);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        out << ReadAttempt(st);
    const bool ok = rc == SQLITE_DONE || db.Fail();
    sqlite3_finalize(st);
    if (!ok && why) *why = db.Error();
    return ok;
}

std::optional<DownloadAttempt> LastReached(const QString& path, const QString& serialNo) {
    if (serialNo.isEmpty()) return std::nullopt;
    QVector<DownloadAttempt> found;
    Filter f;
    f.serialNo = serialNo;
    f.outcome = kSucceeded + QLatin1Char(',') + kIncomplete;
    f.limit = 1;
    if (!Query(path, f, found, nullptr) || found.isEmpty()) return std::nullopt;
    return found.first();
}
} // namespace DownloadHistory
