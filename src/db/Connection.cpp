#include "db/Connection.h"

#include <QByteArrayView>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstring>
#include <sqlite3.h>

QString ConnectionString::ToString() const {
    QString s =
        QStringLiteral("Provider=%1;Data Source=%2;").arg(QLatin1String(kProvider), dataSource);
    if (!userId.isEmpty()) s += QStringLiteral("User ID=") + userId + u';';
    if (!password.isEmpty())
        s += QStringLiteral("Jet OLEDB:Database Password=\"") + password + QStringLiteral("\";");
    return s;
}

DbHandle::~DbHandle() {
    Close();
}

void DbHandle::Close() {
    if (db) sqlite3_close_v2(db);
    db = nullptr;
}

QString QuoteIdentifier(const QString& name) {
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

bool BindValue(sqlite3_stmt* st, int index, const QVariant& v) {
    int rc;
    if (!v.isValid() || v.isNull()) {
        rc = sqlite3_bind_null(st, index);
    } else {
        switch (v.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(st, index, v.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(st, index, v.toLongLong());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(st, index, v.toDouble());
            break;
        case QMetaType::QDate: {
            const QByteArray t = v.toDate().toString(Qt::ISODate).toUtf8();
            rc = sqlite3_bind_text(st, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob(st, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray t = v.toString().toUtf8();
            rc = sqlite3_bind_text(st, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
        }
        }
    }
    return rc == SQLITE_OK;
}

namespace {
// Runs one statement whose first column of the first row is wanted (as text); rc receives
// the engine's result.
QString QueryText(sqlite3* db, const char* sql, int& rc) {
    sqlite3_stmt* st = nullptr;
    QString result;
    rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW && sqlite3_column_type(st, 0) != SQLITE_NULL)
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        if (rc == SQLITE_ROW || rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    sqlite3_finalize(st);
    return result;
}

// Code in the schema (triggers, views, virtual tables, generated columns) would run on every
// read; our files never hold any, so a file that does is refused before anything is read.
bool SchemaHoldsCode(sqlite3* db, int& rc) {
    sqlite3_stmt* st = nullptr;
    rc = sqlite3_prepare_v2(db, "SELECT type, name, upper(sql) FROM sqlite_schema", -1, &st,
                            nullptr);
    QStringList tables;
    bool code = false;
    int step = SQLITE_DONE;
    while (rc == SQLITE_OK && !code && (step = sqlite3_step(st)) == SQLITE_ROW) {
        const QByteArray type(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        const QByteArray sql(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
        if (type == "trigger" || type == "view" || sql.startsWith("CREATE VIRTUAL"))
            code = true;
        else if (type == "table")
            tables << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
    }
    if (rc == SQLITE_OK && step != SQLITE_ROW && step != SQLITE_DONE) rc = step;
    sqlite3_finalize(st);
    for (const QString& t : tables) {
        if (code || rc != SQLITE_OK) break;
        // table_xinfo's "hidden" column is 2 or 3 for a generated column.
        const QByteArray sql = ("PRAGMA table_xinfo(" + QuoteIdentifier(t) + u')').toUtf8();
        rc = sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        int step = SQLITE_DONE;
        while (rc == SQLITE_OK && (step = sqlite3_step(st)) == SQLITE_ROW)
            code = code || sqlite3_column_int(st, 6) >= 2;
        if (rc == SQLITE_OK && step != SQLITE_ROW && step != SQLITE_DONE) rc = step;
        sqlite3_finalize(st);
    }
    return code;
}

// Every text value of every table must be valid UTF-8 without a NUL: a damaged page can hand
// the engine bytes that still pass its own checks.
bool TextValuesSound(sqlite3* db, int& rc) {
    QStringList tables;
    {
        sqlite3_stmt* st = nullptr;
        rc = sqlite3_prepare_v2(
            db, "SELECT name FROM sqlite_schema WHERE type='table' AND name NOT LIKE 'sqlite_%'",
            -1, &st, nullptr);
        while (rc == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            tables << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    for (const QString& t : tables) {
        if (rc != SQLITE_OK) return true;
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = (QStringLiteral("SELECT * FROM ") + QuoteIdentifier(t)).toUtf8();
        rc = sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        int step = SQLITE_DONE;
        bool sound = true;
        while (sound && rc == SQLITE_OK && (step = sqlite3_step(st)) == SQLITE_ROW) {
            for (int c = 0; sound && c < sqlite3_column_count(st); ++c) {
                if (sqlite3_column_type(st, c) != SQLITE_TEXT) continue;
                const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                const int n = sqlite3_column_bytes(st, c);
                sound =
                    QByteArrayView(p, n).isValidUtf8() && std::memchr(p, 0, size_t(n)) == nullptr;
            }
        }
        if (rc == SQLITE_OK && sound && step != SQLITE_DONE) rc = step;
        sqlite3_finalize(st);
        if (!sound) return false;
    }
    return true;
}

DbFault FaultOf(int rc, const DbHandle& h) {
    switch (rc & 0xFF) {
    case SQLITE_CORRUPT:
        return DbFault::Damaged;
    case SQLITE_TOOBIG:
        return DbFault::Unsupported;
    case SQLITE_INTERRUPT:
        return h.timedOut ? DbFault::TooSlow : DbFault::NotDatabase;
    default:
        return DbFault::NotDatabase;
    }
}
} // namespace

QString StatementError(const DbHandle& h, int rc) {
    if ((rc & 0xFF) == SQLITE_INTERRUPT && h.timedOut)
        return QStringLiteral("The database took longer than %1 s and was stopped")
            .arg(Connection::kStatementDeadlineMs / 1000);
    return QString::fromUtf8(sqlite3_errmsg(h.db));
}

bool Connection::Fail(sqlite3* db, int rc, DbFault fault, const QString& what) {
    m_fault = fault;
    m_error = what;
    const char* msg = db ? sqlite3_errmsg(db) : nullptr;
    if (msg && *msg && rc != SQLITE_OK) m_error += QStringLiteral(": ") + QString::fromUtf8(msg);
    m_handle.reset(); // closes db
    return false;
}

bool Connection::SizeFitsHeader(const QString& path) {
    for (const char* side : {"-wal", "-journal"})
        if (QFileInfo::exists(path + QLatin1String(side))) return true;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return true; // the open says why
    const QByteArray h = f.read(100);
    if (h.size() < 100 || !h.startsWith(QByteArrayLiteral("SQLite format 3\0"))) return true;
    const auto be = [&](int at, int bytes) {
        quint64 v = 0;
        for (int i = 0; i < bytes; ++i)
            v = (v << 8) | uchar(h[at + i]);
        return v;
    };
    const quint64 pageSize = be(16, 2) == 1 ? 65536 : be(16, 2);
    const quint64 pages = be(28, 4);
    // The count is only valid while the change counter matches the version-valid-for number.
    if (pages == 0 || pageSize < 512 || be(24, 4) != be(92, 4)) return true;
    return quint64(f.size()) <= pageSize * pages;
}

bool Connection::Open(const ConnectionString& cs) {
    Close();
    m_error.clear();
    m_fault = DbFault::None;
    if (!cs.userId.isEmpty() || !cs.password.isEmpty()) {
        m_fault = DbFault::NotDatabase;
        m_error = QStringLiteral("This database engine has no user accounts or passwords.");
        return false;
    }
    const QString absolute = QFileInfo(cs.dataSource).absoluteFilePath();
    const QByteArray path = absolute.toUtf8();
    m_handle = std::make_shared<DbHandle>();
    m_handle->path = absolute;
    int rc = sqlite3_open_v2(path.constData(), &m_handle->db,
                             (cs.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                                 SQLITE_OPEN_NOMUTEX, // one thread uses a connection
                             nullptr);
    sqlite3* db = m_handle->db;
    if (rc != SQLITE_OK)
        return Fail(db, rc, DbFault::NotDatabase, QStringLiteral("Cannot open the database file"));

    // Defensive settings: no code from the file runs, no extension loads, no value grows
    // beyond what ours need, no statement runs for ever.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kMaxValueBytes);
    sqlite3_busy_timeout(db, 2000);
    DbHandle* h = m_handle.get();
    h->statementClock.start();
    sqlite3_trace_v2(
        db, SQLITE_TRACE_STMT,
        [](unsigned, void* handle, void*, void*) {
            static_cast<DbHandle*>(handle)->statementClock.start();
            return 0;
        },
        h);
    // Values read before a rollback may be gone: row sets that cache rows watch this count.
    sqlite3_rollback_hook(
        db, [](void* handle) { ++static_cast<DbHandle*>(handle)->rollbacks; }, h);
    sqlite3_progress_handler(
        db, 10000,
        [](void* handle) {
            auto* self = static_cast<DbHandle*>(handle);
            if (self->statementClock.elapsed() <= kStatementDeadlineMs) return 0;
            self->timedOut = true;
            return 1;
        },
        h);

    if (cs.exclusive) {
        QueryText(db, "PRAGMA locking_mode=EXCLUSIVE", rc);
        if (rc != SQLITE_OK)
            return Fail(db, rc, FaultOf(rc, *h),
                        QStringLiteral("The file is not a readable database"));
    }
    // Touching the schema tells a database from any other file (and rolls back a hot
    // journal); a project is one self-contained file, so the journal never stays WAL.
    QueryText(db, "PRAGMA schema_version", rc);
    if (rc != SQLITE_OK)
        return Fail(db, rc, FaultOf(rc, *h), QStringLiteral("The file is not a readable database"));
    if (!cs.readOnly) {
        QueryText(db, "PRAGMA journal_mode=DELETE", rc);
        if (rc != SQLITE_OK)
            return Fail(db, rc, FaultOf(rc, *h),
                        QStringLiteral("The file is not a readable database"));
        if (cs.checked) {
            QueryText(db, "PRAGMA foreign_keys=OFF", rc);
            return true;
        }
        // With the journal settled the file holds exactly the pages its header counts.
        const qint64 pageSize = QueryText(db, "PRAGMA page_size", rc).toLongLong();
        const qint64 pages = QueryText(db, "PRAGMA page_count", rc).toLongLong();
        const qint64 size = QFileInfo(absolute).size();
        if (rc == SQLITE_OK && size != 0 && size != pageSize * pages)
            return Fail(db, SQLITE_OK, DbFault::Damaged,
                        QStringLiteral("The database file is damaged: %1 bytes for %2 pages")
                            .arg(size)
                            .arg(pages));
    }
    const bool code = SchemaHoldsCode(db, rc);
    if (rc != SQLITE_OK)
        return Fail(db, rc, FaultOf(rc, *h), QStringLiteral("The file is not a readable database"));
    if (code)
        return Fail(db, SQLITE_OK, DbFault::Unsupported,
                    QStringLiteral("The database holds triggers, views, virtual tables or "
                                   "generated columns"));
    const QString integrity = QueryText(db, "PRAGMA integrity_check", rc);
    if (rc != SQLITE_OK || integrity != QLatin1String("ok"))
        return Fail(db, rc, rc == SQLITE_OK ? DbFault::Damaged : FaultOf(rc, *h),
                    QStringLiteral("The database file is damaged"));
    const bool sound = TextValuesSound(db, rc);
    if (rc != SQLITE_OK)
        return Fail(db, rc, FaultOf(rc, *h), QStringLiteral("The database could not be read"));
    if (!sound)
        return Fail(db, SQLITE_OK, DbFault::Damaged,
                    QStringLiteral("The database file is damaged: a text value is not valid"));
    QueryText(db, "PRAGMA foreign_keys=OFF", rc);
    return true;
}

void Connection::Close() {
    if (m_handle) m_handle->Close();
    m_handle.reset();
}

namespace {
void HoldLockOf(const DbHandle& handle, bool hold) {
    if (!handle.IsOpen()) return;
    int rc = SQLITE_OK;
    QueryText(handle.db, hold ? "PRAGMA locking_mode=EXCLUSIVE" : "PRAGMA locking_mode=NORMAL", rc);
    // Back in the normal mode the lock goes at the next access of the file.
    if (!hold) QueryText(handle.db, "PRAGMA schema_version", rc);
}
} // namespace

void Connection::HoldLock(bool hold) {
    if (m_handle) HoldLockOf(*m_handle, hold);
}

Connection::HeldLock::HeldLock(const Connection* conn) : m_handle(conn ? conn->Handle() : nullptr) {
    if (m_handle) HoldLockOf(*m_handle, true);
}

Connection::HeldLock::~HeldLock() {
    if (m_handle) HoldLockOf(*m_handle, false);
}

bool Connection::Execute(const QString& sql, const QVariantList& params) {
    if (!IsOpen()) {
        m_error = QStringLiteral("The connection is closed");
        return false;
    }
    // Every statement of the text runs, in order, until one fails; the parameters belong to
    // the first (a later statement cannot take them).
    const QByteArray text = sql.toUtf8();
    const char* next = text.constData();
    const char* const end = next + text.size();
    int rc = SQLITE_DONE;
    for (bool first = true; next < end && rc == SQLITE_DONE; first = false) {
        sqlite3_stmt* st = nullptr;
        const char* tail = end;
        rc = sqlite3_prepare_v2(m_handle->db, next, int(end - next), &st, &tail);
        next = tail;
        if (rc != SQLITE_OK) break;
        if (!st) { // only blanks or a comment were left
            rc = SQLITE_DONE;
            continue;
        }
        if (!first && !params.isEmpty() && sqlite3_bind_parameter_count(st) > 0) {
            sqlite3_finalize(st);
            m_error = QStringLiteral("Parameters are bound to the first statement only");
            return false;
        }
        for (int i = 0; first && i < params.size() && rc == SQLITE_OK; ++i)
            if (!BindValue(st, i + 1, params[i])) rc = SQLITE_TOOBIG;
        while (rc == SQLITE_OK || rc == SQLITE_ROW)
            rc = sqlite3_step(st);
        if (rc != SQLITE_DONE) m_error = StatementError(*m_handle, rc);
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) return false;
    }
    if (rc != SQLITE_DONE) m_error = StatementError(*m_handle, rc);
    return rc == SQLITE_DONE;
}

bool Connection::TableExists(const QString& table) const {
    if (!IsOpen()) return false;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(
            m_handle->db,
            "SELECT 1 FROM sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE", -1, &st,
            nullptr) != SQLITE_OK)
        return false;
    BindValue(st, 1, table);
    const bool found = sqlite3_step(st) == SQLITE_ROW;
    sqlite3_finalize(st);
    return found;
}
