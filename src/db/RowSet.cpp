#include "db/RowSet.h"

#include "db/Connection.h"

#include <QDate>
#include <QHash>
#include <algorithm>
#include <sqlite3.h>

namespace {
enum class Kind { Any, Bool, Date, Int };

Kind KindOf(const char* decl) {
    const QByteArray d = QByteArray(decl ? decl : "").toUpper();
    if (d.contains("BOOL")) return Kind::Bool;
    if (d.contains("DATE")) return Kind::Date;
    if (d.contains("INT")) return Kind::Int;
    return Kind::Any;
}

QVariant ReadColumn(sqlite3_stmt* st, int col, Kind kind) {
    switch (sqlite3_column_type(st, col)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(st, col);
        if (kind == Kind::Bool) return QVariant(v != 0);
        if (v >= INT_MIN && v <= INT_MAX) return QVariant(int(v));
        return QVariant(v);
    }
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, col));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(st, col)),
                                   sqlite3_column_bytes(st, col)));
    default: {
        const QString t =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, col)),
                              sqlite3_column_bytes(st, col));
        if (kind == Kind::Date) {
            const QDate d = QDate::fromString(t, Qt::ISODate);
            if (d.isValid()) return QVariant(d);
        }
        if (kind == Kind::Bool) {
            if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return QVariant(true);
            if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return QVariant(false);
        }
        return QVariant(t);
    }
    }
}

// A value as the column stores it: yes/no as 0/1, dates as YYYY-MM-DD text.
QVariant ToStored(const QVariant& v, Kind kind) {
    if (!v.isValid() || v.isNull()) return {};
    if (kind == Kind::Bool) {
        if (v.typeId() == QMetaType::QString) {
            const QString t = v.toString().trimmed();
            if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return 1;
            if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return 0;
            bool ok = false;
            const double n = t.toDouble(&ok);
            return ok ? QVariant(n != 0 ? 1 : 0) : v;
        }
        return QVariant(v.toBool() ? 1 : 0);
    }
    if (kind == Kind::Date && v.typeId() == QMetaType::QDateTime) return v.toDateTime().date();
    return v;
}

struct Stmt {
    sqlite3_stmt* st = nullptr;
    ~Stmt() { sqlite3_finalize(st); }
};

constexpr int kFirstBatch = 8; // a search that stops early reads little
constexpr int kMaxBatch = 512;
} // namespace

struct RowSet::Shared {
    QString table; // empty: a query snapshot
    QStringList columns;
    QVector<Kind> kinds;
    QVector<qint64> keys;            // table: rowids in stored order; query: row indexes
    QVector<QVector<QVariant>> rows; // query snapshot values
    int version = 0;
    sqlite3_stmt* readRow = nullptr;         // prepared on the first read
    sqlite3_stmt* readRange = nullptr;       // rowid, then every column, of a rowid range
    QHash<QByteArray, sqlite3_stmt*> writes; // prepared once per statement text
    QHash<QString, int> columnOf;            // every spelling asked for -> column, or -1
    ~Shared() {
        sqlite3_finalize(readRow);
        sqlite3_finalize(readRange);
        for (sqlite3_stmt* st : std::as_const(writes))
            sqlite3_finalize(st);
    }
};

RowSet::~RowSet() = default;

std::unique_ptr<RowSet> RowSet::OpenTable(const Connection& conn, const QString& table,
                                          bool clientCursor, QString* errorOut) {
    auto setError = [&](const QString& e) {
        if (errorOut) *errorOut = e;
        return nullptr;
    };
    if (!conn.IsOpen()) return setError(QStringLiteral("The connection is closed"));
    sqlite3* db = conn.Handle()->db;
    auto shared = std::make_shared<Shared>();
    shared->table = table;
    const QString quoted = QuoteIdentifier(table);
    {
        Stmt probe;
        const QByteArray sql =
            (QStringLiteral("SELECT * FROM ") + quoted + QStringLiteral(" LIMIT 0")).toUtf8();
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &probe.st, nullptr) != SQLITE_OK)
            return setError(QString::fromUtf8(sqlite3_errmsg(db)));
        for (int c = 0; c < sqlite3_column_count(probe.st); ++c) {
            shared->columns << QString::fromUtf8(sqlite3_column_name(probe.st, c));
            shared->kinds << KindOf(sqlite3_column_decltype(probe.st, c));
        }
    }
    {
        Stmt keys;
        const QByteArray sql =
            (QStringLiteral("SELECT rowid FROM ") + quoted + QStringLiteral(" ORDER BY rowid"))
                .toUtf8();
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &keys.st, nullptr) != SQLITE_OK)
            return setError(QString::fromUtf8(sqlite3_errmsg(db)));
        int rc;
        while ((rc = sqlite3_step(keys.st)) == SQLITE_ROW)
            shared->keys << sqlite3_column_int64(keys.st, 0);
        if (rc != SQLITE_DONE) return setError(StatementError(*conn.Handle(), rc));
    }

    std::unique_ptr<RowSet> rs(new RowSet);
    rs->m_db = conn.Handle();
    rs->m_shared = std::move(shared);
    rs->m_open = true;
    rs->m_clientCursor = clientCursor;
    rs->SetPos(0);
    return rs;
}

std::unique_ptr<RowSet> RowSet::OpenQuery(const Connection& conn, const QString& sql,
                                          const QVariantList& params, bool clientCursor,
                                          QString* errorOut) {
    auto setError = [&](const QString& e) {
        if (errorOut) *errorOut = e;
        return nullptr;
    };
    if (!conn.IsOpen()) return setError(QStringLiteral("The connection is closed"));
    sqlite3* db = conn.Handle()->db;
    Stmt q;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &q.st, nullptr) != SQLITE_OK)
        return setError(QString::fromUtf8(sqlite3_errmsg(db)));
    if (!sqlite3_stmt_readonly(q.st))
        return setError(QStringLiteral("Only queries that read can be opened as a row set"));
    for (int i = 0; i < params.size(); ++i)
        BindValue(q.st, i + 1, params[i]);
    auto shared = std::make_shared<Shared>();
    for (int c = 0; c < sqlite3_column_count(q.st); ++c) {
        shared->columns << QString::fromUtf8(sqlite3_column_name(q.st, c));
        shared->kinds << KindOf(sqlite3_column_decltype(q.st, c));
    }
    int rc;
    while ((rc = sqlite3_step(q.st)) == SQLITE_ROW) {
        QVector<QVariant> row;
        row.reserve(shared->columns.size());
        for (int c = 0; c < shared->columns.size(); ++c)
            row << ReadColumn(q.st, c, shared->kinds[c]);
        shared->keys << shared->rows.size();
        shared->rows << row;
    }
    if (rc != SQLITE_DONE) return setError(StatementError(*conn.Handle(), rc));

    std::unique_ptr<RowSet> rs(new RowSet);
    rs->m_db = conn.Handle();
    rs->m_shared = std::move(shared);
    rs->m_open = true;
    rs->m_clientCursor = clientCursor;
    rs->m_approx = false;
    rs->SetPos(0);
    return rs;
}

bool RowSet::IsOpen() const {
    return m_open && m_db && m_db->IsOpen();
}

void RowSet::Close() {
    m_open = false;
    m_shared.reset();
    m_db.reset();
    m_mode = Mode::None;
}

bool RowSet::IsUpdatable() const {
    return IsOpen() && !m_shared->table.isEmpty();
}

void RowSet::Sync() const {
    if (!m_shared || m_seenVersion == m_shared->version) return;
    m_seenVersion = m_shared->version;
    const auto& keys = m_shared->keys;
    if (m_pos < 0) return;
    if (m_atEnd) {
        m_pos = int(keys.size());
        return;
    }
    // Keys are rowids in ascending order: find ours again, or where it was.
    const auto it = std::lower_bound(keys.begin(), keys.end(), m_key);
    m_pos = int(it - keys.begin());
    m_onDeleted = !(it != keys.end() && *it == m_key);
}

bool RowSet::Bof() const {
    if (!IsOpen()) return true;
    Sync();
    if (m_mode == Mode::Add) return false;
    return m_shared->keys.isEmpty() || m_pos < 0;
}

bool RowSet::Eof() const {
    if (!IsOpen()) return true;
    Sync();
    if (m_mode == Mode::Add) return false;
    return m_shared->keys.isEmpty() || m_pos >= m_shared->keys.size();
}

bool RowSet::OnRow() const {
    if (!IsOpen()) return false;
    Sync();
    return !m_onDeleted && m_pos >= 0 && m_pos < m_shared->keys.size();
}

bool RowSet::FlushBeforeMove() {
    if (m_mode == Mode::None) return true;
    return Update();
}

void RowSet::SetPos(int pos) const {
    m_pos = pos;
    m_cacheValid = false;
    m_onDeleted = false;
    m_atEnd = pos >= m_shared->keys.size();
    if (pos >= 0 && !m_atEnd) m_key = m_shared->keys[pos];
}

void RowSet::MoveFirst() {
    if (!IsOpen() || !FlushBeforeMove()) return;
    Sync();
    DropBatch();
    SetPos(0);
}

void RowSet::MoveLast() {
    if (!IsOpen() || !FlushBeforeMove()) return;
    Sync();
    DropBatch();
    SetPos(std::max(0, int(m_shared->keys.size()) - 1));
}

void RowSet::MoveNext() {
    if (!IsOpen() || !FlushBeforeMove()) return;
    Sync();
    const int n = int(m_shared->keys.size());
    // On a deleted row, its successor already sits at m_pos.
    int next = m_onDeleted ? m_pos : m_pos + 1;
    SetPos(std::min(next, n));
}

void RowSet::MovePrevious() {
    if (!IsOpen() || !FlushBeforeMove()) return;
    Sync();
    DropBatch();
    SetPos(std::max(m_pos - 1, -1));
}

int RowSet::AbsolutePosition() const {
    if (!IsOpen()) return adPosUnknown;
    Sync();
    if (Bof()) return adPosBOF;
    if (Eof()) return adPosEOF;
    if (m_mode == Mode::Add) return adPosUnknown;
    return m_pos + 1;
}

bool RowSet::SetAbsolutePosition(int position) {
    if (!IsOpen() || !FlushBeforeMove()) return false;
    Sync();
    const int n = int(m_shared->keys.size());
    DropBatch();
    if (position == adPosBOF)
        SetPos(-1);
    else if (position == adPosEOF)
        SetPos(n);
    else if (position >= 1 && position <= n)
        SetPos(position - 1);
    else
        return false;
    return true;
}

qint64 RowSet::Bookmark() const {
    if (!OnRow()) return -1;
    return m_shared->keys[m_pos];
}

bool RowSet::SetBookmark(qint64 bookmark) {
    if (!IsOpen() || !FlushBeforeMove()) return false;
    Sync();
    const auto& keys = m_shared->keys;
    const auto it = std::lower_bound(keys.begin(), keys.end(), bookmark);
    if (it == keys.end() || *it != bookmark) return false;
    DropBatch();
    SetPos(int(it - keys.begin()));
    return true;
}

int RowSet::RecordCount() const {
    if (!IsOpen()) return 0;
    return int(m_shared->keys.size());
}

std::unique_ptr<RowSet> RowSet::Clone() const {
    if (!IsOpen()) return nullptr;
    std::unique_ptr<RowSet> rs(new RowSet);
    rs->m_db = m_db;
    rs->m_shared = m_shared;
    rs->m_open = true;
    rs->m_clientCursor = m_clientCursor;
    rs->m_approx = m_approx;
    rs->m_seenVersion = m_shared->version;
    rs->SetPos(0);
    return rs;
}

QStringList RowSet::FieldNames() const {
    return m_shared ? m_shared->columns : QStringList();
}

int RowSet::ColumnIndex(const QString& name) const {
    if (!m_shared) return -1;
    const auto known = m_shared->columnOf.constFind(name);
    if (known != m_shared->columnOf.constEnd()) return *known;
    int at = -1;
    for (int i = 0; at < 0 && i < m_shared->columns.size(); ++i)
        if (m_shared->columns[i].compare(name, Qt::CaseInsensitive) == 0) at = i;
    m_shared->columnOf.insert(name, at);
    return at;
}

bool RowSet::HasField(const QString& name) const {
    return ColumnIndex(name) >= 0;
}

// The current row comes from the batch read ahead, read again from this row on when the
// batch does not hold it or anything may have changed since.
bool RowSet::LoadCurrent() const {
    if (!OnRow()) return false;
    if (m_shared->table.isEmpty()) {
        m_cache = m_shared->rows[int(m_shared->keys[m_pos])];
        return true;
    }
    const qint64 key = m_shared->keys[m_pos];
    const bool fresh = BatchFresh();
    if (m_cacheValid && m_cacheKey == key && fresh) return true;
    m_cacheValid = false;
    auto at = std::lower_bound(m_batchKeys.cbegin(), m_batchKeys.cend(), key);
    if (!fresh || at == m_batchKeys.cend() || *at != key) {
        if (!ReadBatch()) return false;
        at = std::lower_bound(m_batchKeys.cbegin(), m_batchKeys.cend(), key);
        if (at == m_batchKeys.cend() || *at != key) return false; // deleted behind our back
    }
    m_cache = m_batchRows[int(at - m_batchKeys.cbegin())];
    m_cacheValid = true;
    m_cacheKey = key;
    return true;
}

bool RowSet::BatchFresh() const {
    return m_batchChanges == sqlite3_total_changes64(m_db->db) &&
           m_batchRollbacks == m_db->rollbacks;
}

void RowSet::DropBatch() const {
    m_batchKeys.clear();
    m_batchRows.clear();
    m_batchChanges = -1;
    m_batchSize = kFirstBatch;
}

bool RowSet::ReadBatch() const {
    const auto& keys = m_shared->keys;
    const int n = std::min(std::max(m_batchSize, kFirstBatch), int(keys.size()) - m_pos);
    m_batchKeys.clear();
    m_batchRows.clear();
    m_batchChanges = sqlite3_total_changes64(m_db->db);
    m_batchRollbacks = m_db->rollbacks;
    m_batchSize = std::min(std::max(m_batchSize, kFirstBatch) * 2, kMaxBatch);
    if (n <= 0) return false;
    m_batchKeys.reserve(n);
    m_batchRows.reserve(n);
    sqlite3_stmt* st =
        ReadStatement(m_shared->readRange, " WHERE rowid BETWEEN ?1 AND ?2 ORDER BY rowid", true);
    if (!st) return false;
    sqlite3_reset(st);
    sqlite3_bind_int64(st, 1, keys[m_pos]);
    sqlite3_bind_int64(st, 2, keys[m_pos + n - 1]);
    const int columns = int(m_shared->columns.size());
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QVector<QVariant> row(columns);
        for (int c = 0; c < columns; ++c)
            row[c] = ReadColumn(st, c + 1, m_shared->kinds[c]);
        m_batchKeys << sqlite3_column_int64(st, 0);
        m_batchRows << std::move(row);
    }
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) {
        DropBatch();
        return false;
    }
    return true;
}

// A write of our own changed only the row it names (or none kept): the batch stays, with that
// row read again.
void RowSet::Restamp(bool wasFresh, qint64 rewritten) const {
    m_cacheValid = false;
    if (!wasFresh) return;
    const auto at = std::lower_bound(m_batchKeys.begin(), m_batchKeys.end(), rewritten);
    if (rewritten >= 0 && at != m_batchKeys.end() && *at == rewritten) {
        sqlite3_stmt* st = ReadStatement(m_shared->readRow, " WHERE rowid=?1", false);
        if (st) sqlite3_reset(st);
        if (st) sqlite3_bind_int64(st, 1, rewritten);
        if (!st || sqlite3_step(st) != SQLITE_ROW) {
            if (st) sqlite3_reset(st);
            DropBatch();
            return;
        }
        QVector<QVariant>& row = m_batchRows[int(at - m_batchKeys.begin())];
        for (int c = 0; c < m_shared->columns.size(); ++c)
            row[c] = ReadColumn(st, c, m_shared->kinds[c]);
        sqlite3_reset(st);
    }
    m_batchChanges = sqlite3_total_changes64(m_db->db);
    m_batchRollbacks = m_db->rollbacks;
}

// A table's read statement, prepared on its first use: every column, after the rowid when
// withKey, of the rows the condition picks.
sqlite3_stmt* RowSet::ReadStatement(sqlite3_stmt*& st, const char* condition, bool withKey) const {
    if (st) return st;
    const QByteArray sql =
        (QStringLiteral("SELECT ") + (withKey ? QStringLiteral("rowid, *") : QStringLiteral("*")) +
         QStringLiteral(" FROM ") + QuoteIdentifier(m_shared->table) + QLatin1String(condition))
            .toUtf8();
    if (sqlite3_prepare_v2(m_db->db, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        st = nullptr;
    }
    return st;
}

sqlite3_stmt* RowSet::Prepared(const QByteArray& sql) {
    sqlite3_stmt*& st = m_shared->writes[sql];
    if (!st &&
        sqlite3_prepare_v2(m_db->db, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        st = nullptr;
        m_shared->writes.remove(sql);
        return nullptr;
    }
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    return st;
}

QVariant RowSet::Field(const QString& name) const {
    return FieldAt(ColumnIndex(name));
}

QVariant RowSet::FieldAt(int c) const {
    if (c < 0 || !IsOpen() || c >= m_shared->columns.size()) return {};
    if (m_mode != Mode::None && m_pendingSet.value(c)) return m_pending[c];
    if (m_mode == Mode::Add) return {};
    if (!LoadCurrent()) return {};
    return m_cache.at(c); // at(): the row stays shared with its batch, never copied
}

bool RowSet::SetField(const QString& name, const QVariant& value) {
    const int c = ColumnIndex(name);
    if (c < 0) {
        m_error = QStringLiteral("No field named ") + name;
        return false;
    }
    if (!IsUpdatable()) {
        m_error = QStringLiteral("The row set cannot be updated");
        return false;
    }
    if (m_mode == Mode::None) {
        if (!OnRow()) {
            m_error = QStringLiteral("There is no current row");
            return false;
        }
        m_mode = Mode::Edit;
        m_pending = QVector<QVariant>(m_shared->columns.size());
        m_pendingSet = QVector<bool>(m_shared->columns.size(), false);
    }
    m_pending[c] = ToStored(value, m_shared->kinds[c]);
    if (m_shared->kinds[c] == Kind::Bool && m_pending[c].isValid())
        m_pending[c] = QVariant(m_pending[c].toInt() != 0);
    m_pendingSet[c] = true;
    return true;
}

bool RowSet::AddNew() {
    if (!IsUpdatable()) {
        m_error = QStringLiteral("The row set cannot be updated");
        return false;
    }
    if (!FlushBeforeMove()) return false;
    m_mode = Mode::Add;
    m_pending = QVector<QVariant>(m_shared->columns.size());
    m_pendingSet = QVector<bool>(m_shared->columns.size(), false);
    return true;
}

void RowSet::CancelUpdate() {
    const bool wasAdd = m_mode == Mode::Add;
    m_mode = Mode::None;
    m_pending.clear();
    m_pendingSet.clear();
    if (wasAdd && IsOpen()) {
        Sync();
        SetPos(std::max(0, int(m_shared->keys.size()) - 1));
    }
}

bool RowSet::Update() {
    if (m_mode == Mode::None) return true;
    if (!IsUpdatable()) {
        m_error = QStringLiteral("The row set cannot be updated");
        return false;
    }
    sqlite3* db = m_db->db;
    QStringList cols;
    QVariantList values;
    for (int c = 0; c < m_shared->columns.size(); ++c) {
        if (!m_pendingSet[c]) continue;
        cols << QuoteIdentifier(m_shared->columns[c]);
        values << ToStored(m_pending[c], m_shared->kinds[c]);
    }
    QString sql;
    const QString table = QuoteIdentifier(m_shared->table);
    if (m_mode == Mode::Add) {
        if (cols.isEmpty()) {
            sql = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" DEFAULT VALUES");
        } else {
            QStringList marks;
            for (int i = 0; i < cols.size(); ++i)
                marks << QStringLiteral("?%1").arg(i + 1);
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(table, cols.join(u','), marks.join(u','));
        }
    } else {
        Sync();
        if (!OnRow()) {
            m_error = QStringLiteral("The row no longer exists");
            CancelUpdate();
            return false;
        }
        if (cols.isEmpty()) {
            CancelUpdate();
            return true;
        }
        QStringList sets;
        for (int i = 0; i < cols.size(); ++i)
            sets << QStringLiteral("%1=?%2").arg(cols[i]).arg(i + 1);
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?%3")
                  .arg(table, sets.join(u','))
                  .arg(cols.size() + 1);
        values << m_shared->keys[m_pos];
    }
    const bool fresh = BatchFresh();
    sqlite3_stmt* st = Prepared(sql.toUtf8());
    int rc = st ? SQLITE_OK : sqlite3_errcode(db);
    if (st) {
        // A value the engine refuses to bind (over its length limit) fails the write; it is
        // never stored as NULL.
        for (int i = 0; i < values.size() && rc == SQLITE_OK; ++i)
            if (!BindValue(st, i + 1, values[i])) rc = SQLITE_TOOBIG;
        if (rc == SQLITE_OK) rc = sqlite3_step(st);
    }
    if (rc != SQLITE_DONE) m_error = StatementError(*m_db, rc);
    if (st) sqlite3_reset(st);
    if (rc != SQLITE_DONE) return false; // the edit stays pending: the caller may correct it
    Restamp(fresh, m_mode == Mode::Edit ? m_shared->keys[m_pos] : -1);
    if (m_mode == Mode::Add) {
        const qint64 rowid = sqlite3_last_insert_rowid(db);
        auto& keys = m_shared->keys;
        const auto it = std::lower_bound(keys.begin(), keys.end(), rowid);
        const int at = int(it - keys.begin());
        keys.insert(at, rowid);
        ++m_shared->version;
        m_seenVersion = m_shared->version;
        SetPos(at);
    }
    m_mode = Mode::None;
    m_pending.clear();
    m_pendingSet.clear();
    return true;
}

bool RowSet::Delete() {
    if (m_mode == Mode::Add) {
        CancelUpdate();
        return true;
    }
    if (!IsUpdatable() || !OnRow()) {
        m_error = QStringLiteral("There is no current row to delete");
        return false;
    }
    m_mode = Mode::None;
    const bool fresh = BatchFresh();
    const QByteArray sql = (QStringLiteral("DELETE FROM ") + QuoteIdentifier(m_shared->table) +
                            QStringLiteral(" WHERE rowid=?1"))
                               .toUtf8();
    sqlite3_stmt* st = Prepared(sql);
    int rc = st ? SQLITE_OK : sqlite3_errcode(m_db->db);
    if (st) {
        sqlite3_bind_int64(st, 1, m_shared->keys[m_pos]);
        rc = sqlite3_step(st);
    }
    if (rc != SQLITE_DONE) m_error = StatementError(*m_db, rc);
    if (st) sqlite3_reset(st);
    if (rc != SQLITE_DONE) return false;
    Restamp(fresh);
    m_shared->keys.removeAt(m_pos);
    ++m_shared->version;
    m_seenVersion = m_shared->version;
    m_onDeleted = true; // m_pos now names the successor; m_key keeps the deleted rowid
    return true;
}
