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

std::shared_ptr<const TableImage> Read(sqlite3* db, const QString& table) {
    Statement s(db, QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid").arg(Quoted(table)));
    if (!s.st) return nullptr;
    auto image = std::make_shared<TableImage>();
    image->table = table;
    const int n = sqlite3_column_count(s.st);
    for (int c = 1; c < n; ++c)
        image->columns << QString::fromUtf8(sqlite3_column_name(s.st, c));
    int rc;
    while ((rc = sqlite3_step(s.st)) == SQLITE_ROW) {
        image->rowids << sqlite3_column_int64(s.st, 0);
        for (int c = 1; c < n; ++c) {
            TableImage::Cell cell;
            cell.type = sqlite3_column_type(s.st, c);
            switch (cell.type) {
            case SQLITE_INTEGER:
                cell.integer = sqlite3_column_int64(s.st, c);
                break;
            case SQLITE_FLOAT:
                cell.real = sqlite3_column_double(s.st, c);
                break;
            case SQLITE_TEXT:
            case SQLITE_BLOB: {
                const void* p = cell.type == SQLITE_TEXT
                                    ? static_cast<const void*>(sqlite3_column_text(s.st, c))
                                    : sqlite3_column_blob(s.st, c);
                cell.bytes = QByteArray(static_cast<const char*>(p), sqlite3_column_bytes(s.st, c));
                break;
            }
            default:
                break;
            }
            image->cells << cell;
        }
    }
    if (rc != SQLITE_DONE) return nullptr;
    return image;
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
                sqlite3_bind_int64(s.st, c + 2, cell.integer);
                break;
            case SQLITE_FLOAT:
                sqlite3_bind_double(s.st, c + 2, cell.real);
                break;
            case SQLITE_TEXT:
                sqlite3_bind_text(s.st, c + 2, cell.bytes.constData(), int(cell.bytes.size()),
                                  SQLITE_TRANSIENT);
                break;
            case SQLITE_BLOB:
                sqlite3_bind_blob(s.st, c + 2, cell.bytes.constData(), int(cell.bytes.size()),
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

QString CellText(const TableImage::Cell& cell) {
    switch (cell.type) {
    case SQLITE_INTEGER:
        return QStringLiteral("i:") + QString::number(cell.integer);
    case SQLITE_FLOAT:
        return QStringLiteral("f:") + QString::number(cell.real, 'g', 17);
    case SQLITE_TEXT:
        return QStringLiteral("t:") + QString::fromLatin1(cell.bytes.toHex());
    case SQLITE_BLOB:
        return QStringLiteral("b:") + QString::fromLatin1(cell.bytes.toHex());
    default:
        return QStringLiteral("n");
    }
}
} // namespace

qint64 TableImage::Bytes() const {
    qint64 n = qint64(sizeof(TableImage)) + rowids.size() * qint64(sizeof(qint64)) +
               cells.size() * qint64(sizeof(Cell));
    for (const Cell& c : cells)
        n += c.bytes.capacity();
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
                out += u'|' + CellText(t->cells[r * width + c]);
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
