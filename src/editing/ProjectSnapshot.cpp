#include "editing/ProjectSnapshot.h"

#include "db/Connection.h"
#include "editing/EditContext.h"
#include "editing/EditTransaction.h"
#include "store/ProjectSchema.h"

#include <sqlite3.h>

namespace {
const std::array<QString, 4>& TableNames() {
    using namespace ProjectSchema;
    static const std::array<QString, 4> names{kBasic, kUserGroups, kUsers, kZones};
    return names;
}

QString Quoted(const QString& name) {
    return u'"' + QString(name).replace(u'"', QLatin1String("\"\"")) + u'"';
}

// A statement that finalizes itself.
struct Statement {
    sqlite3_stmt* st = nullptr;
    Statement(sqlite3* db, const QString& sql) {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK)
            st = nullptr;
    }
    ~Statement() { sqlite3_finalize(st); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
};

qint64 RowCount(sqlite3* db, const QString& table) {
    Statement s(db, QStringLiteral("SELECT count(*) FROM %1").arg(Quoted(table)));
    return s.st && sqlite3_step(s.st) == SQLITE_ROW ? sqlite3_column_int64(s.st, 0) : 0;
}

std::shared_ptr<const TableImage> Read(sqlite3* db, const QString& table) {
    Statement s(db, QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid").arg(Quoted(table)));
    if (!s.st) return nullptr;
    auto image = std::make_shared<TableImage>();
    image->table = table;
    const int n = sqlite3_column_count(s.st);
    for (int c = 1; c < n; ++c)
        image->columns << QString::fromUtf8(sqlite3_column_name(s.st, c));
    // Room for every row at once: growing by copies would cost more than the count.
    const qint64 rows = RowCount(db, table);
    image->rowids.reserve(rows);
    image->cells.reserve(rows * (n - 1));
    int rc;
    while ((rc = sqlite3_step(s.st)) == SQLITE_ROW) {
        image->rowids << sqlite3_column_int64(s.st, 0);
        for (int c = 1; c < n; ++c) {
            // One value per cell read straight from the row (the column calls would each take
            // the connection's lock again); the statement stays on this thread.
            sqlite3_value* v = sqlite3_column_value(s.st, c);
            TableImage::Cell& cell = image->cells.emplace_back();
            cell.type = sqlite3_value_type(v);
            switch (cell.type) {
            case SQLITE_INTEGER:
                cell.value = sqlite3_value_int64(v);
                break;
            case SQLITE_FLOAT:
                cell.value = std::bit_cast<qint64>(sqlite3_value_double(v));
                break;
            case SQLITE_TEXT:
            case SQLITE_BLOB: {
                const void* p = cell.type == SQLITE_TEXT
                                    ? static_cast<const void*>(sqlite3_value_text(v))
                                    : sqlite3_value_blob(v);
                cell.value = image->bytes.size();
                cell.size = sqlite3_value_bytes(v);
                image->bytes.append(static_cast<const char*>(p), cell.size);
                break;
            }
            default:
                break;
            }
        }
    }
    if (rc != SQLITE_DONE) return nullptr;
    return image;
}

qint64 DataVersion(sqlite3* db) {
    Statement s(db, QStringLiteral("PRAGMA data_version"));
    return s.st && sqlite3_step(s.st) == SQLITE_ROW ? sqlite3_column_int64(s.st, 0) : -1;
}

bool Exec(sqlite3* db, const QString& sql, QString& why) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) == SQLITE_OK)
        return true;
    why = QString::fromUtf8(err ? err : sqlite3_errmsg(db));
    sqlite3_free(err);
    return false;
}

// Empties the table and inserts the image's rows with their row ids.
bool Write(sqlite3* db, const TableImage& image, QString& why) {
    if (!Exec(db, QStringLiteral("DELETE FROM %1").arg(Quoted(image.table)), why)) return false;
    if (image.rowids.isEmpty()) return true;
    QStringList cols{QStringLiteral("rowid")}, marks{QStringLiteral("?")};
    for (const QString& c : image.columns) {
        cols << Quoted(c);
        marks << QStringLiteral("?");
    }
    Statement s(db, QStringLiteral("INSERT INTO %1(%2) VALUES(%3)")
                        .arg(Quoted(image.table), cols.join(u','), marks.join(u',')));
    if (!s.st) {
        why = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    const int width = int(image.columns.size());
    for (int r = 0; r < image.rowids.size(); ++r) {
        sqlite3_reset(s.st);
        sqlite3_bind_int64(s.st, 1, image.rowids[r]);
        for (int c = 0; c < width; ++c) {
            const TableImage::Cell& cell = image.cells[r * width + c];
            switch (cell.type) {
            case SQLITE_INTEGER:
                sqlite3_bind_int64(s.st, c + 2, cell.value);
                break;
            case SQLITE_FLOAT:
                sqlite3_bind_double(s.st, c + 2, cell.Real());
                break;
            case SQLITE_TEXT:
                sqlite3_bind_text(s.st, c + 2, image.Value(cell).data(), int(cell.size),
                                  SQLITE_TRANSIENT);
                break;
            case SQLITE_BLOB:
                sqlite3_bind_blob(s.st, c + 2, image.Value(cell).data(), int(cell.size),
                                  SQLITE_TRANSIENT);
                break;
            default:
                sqlite3_bind_null(s.st, c + 2);
                break;
            }
        }
        if (sqlite3_step(s.st) != SQLITE_DONE) {
            why = QString::fromUtf8(sqlite3_errmsg(db));
            return false;
        }
    }
    return true;
}

QString CellText(const TableImage& image, const TableImage::Cell& cell) {
    switch (cell.type) {
    case SQLITE_INTEGER:
        return QStringLiteral("i:") + QString::number(cell.value);
    case SQLITE_FLOAT:
        return QStringLiteral("f:") + QString::number(cell.Real(), 'g', 17);
    case SQLITE_TEXT:
        return QStringLiteral("t:") + QString::fromLatin1(image.Value(cell).toByteArray().toHex());
    case SQLITE_BLOB:
        return QStringLiteral("b:") + QString::fromLatin1(image.Value(cell).toByteArray().toHex());
    default:
        return QStringLiteral("n");
    }
}
} // namespace

qint64 TableImage::Bytes() const {
    qint64 n = qint64(sizeof(TableImage)) + rowids.size() * qint64(sizeof(qint64)) +
               cells.size() * qint64(sizeof(Cell)) + bytes.capacity();
    return n;
}

bool ProjectSnapshot::IsValid() const {
    for (const auto& t : tables)
        if (!t) return false;
    return true;
}

bool ProjectSnapshot::operator==(const ProjectSnapshot& other) const {
    for (size_t i = 0; i < tables.size(); ++i) {
        if (tables[i] == other.tables[i]) continue;
        if (!tables[i] || !other.tables[i] || !(*tables[i] == *other.tables[i])) return false;
    }
    return true;
}

void ProjectSnapshot::ShareWith(const ProjectSnapshot& other) {
    for (size_t i = 0; i < tables.size(); ++i)
        if (tables[i] && other.tables[i] && tables[i] != other.tables[i] &&
            *tables[i] == *other.tables[i])
            tables[i] = other.tables[i];
}

qint64 ProjectSnapshot::Bytes() const {
    qint64 n = 0;
    for (const auto& t : tables)
        if (t) n += t->Bytes();
    return n;
}

QString ProjectSnapshot::Dump() const {
    QString out;
    for (const auto& t : tables) {
        if (!t) continue;
        const int width = int(t->columns.size());
        out += t->table + u'|' + t->columns.join(u'|') + u'\n';
        for (int r = 0; r < t->rowids.size(); ++r) {
            out += t->table + u'|' + QString::number(t->rowids[r]);
            for (int c = 0; c < width; ++c)
                out += u'|' + CellText(*t, t->cells[r * width + c]);
            out += u'\n';
        }
    }
    return out;
}

namespace ProjectSnapshots {
ProjectSnapshot Take(const OpenProject& project) {
    ProjectSnapshot s;
    if (!project.conn || !project.conn->IsOpen()) return s;
    sqlite3* db = project.conn->Handle()->db;
    for (size_t i = 0; i < TableNames().size(); ++i)
        s.tables[i] = Read(db, TableNames()[i]);
    return s;
}

ProjectSnapshot Take(const OpenProject& project, SnapshotCache& cache) {
    if (!project.conn || !project.conn->IsOpen()) return {};
    const std::shared_ptr<DbHandle>& handle = project.conn->Handle();
    sqlite3* db = handle->db;
    const qint64 changes = sqlite3_total_changes64(db);
    const qint64 version = DataVersion(db);
    if (cache.image.IsValid() && cache.handle.lock() == handle && cache.changes == changes &&
        cache.dataVersion == version && version >= 0)
        return cache.image;
    cache = {Take(project), handle, changes, version};
    return cache.image;
}

bool Restore(EditContext& ctx, const ProjectSnapshot& image, QString& why) {
    OpenProject& p = ctx.project;
    if (!image.IsValid() || !p.conn || !p.conn->IsOpen()) {
        why = QStringLiteral("The project database is not open");
        return false;
    }
    const ProjectSnapshot now = Take(p);
    sqlite3* db = p.conn->Handle()->db;
    for (const auto& rs : {p.Basic.get(), p.UserGroups.get(), p.Users.get(), p.Zones.get()})
        if (rs) rs->CancelUpdate();
    if (!Exec(db, QStringLiteral("BEGIN IMMEDIATE"), why)) return false;
    bool ok = true;
    for (size_t i = 0; ok && i < image.tables.size(); ++i)
        if (!now.tables[i] || !(*now.tables[i] == *image.tables[i]))
            ok = Write(db, *image.tables[i], why);
    if (ok) ok = Exec(db, QStringLiteral("COMMIT"), why);
    if (!ok) {
        QString ignored;
        Exec(db, QStringLiteral("ROLLBACK"), ignored);
    }
    EditTransaction::ReopenRowSets(p);
    return ok;
}
} // namespace ProjectSnapshots
