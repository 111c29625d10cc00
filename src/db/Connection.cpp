#include "db/Connection.h"

#include <QDate>
#include <QFileInfo>
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

bool Connection::Open(const ConnectionString& cs) {
    Close();
    m_error.clear();
    if (!cs.userId.isEmpty() || !cs.password.isEmpty()) {
        m_error = QStringLiteral("This database engine has no user accounts or passwords.");
        return false;
    }
    sqlite3* db = nullptr;
    const QByteArray path = QFileInfo(cs.dataSource).absoluteFilePath().toUtf8();
    int rc = sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    auto fail = [&](const QString& what) {
        m_error = what;
        if (db) {
            const char* msg = sqlite3_errmsg(db);
            if (msg && *msg && rc != SQLITE_OK)
                m_error += QStringLiteral(": ") + QString::fromUtf8(msg);
            sqlite3_close_v2(db);
        }
        return false;
    };
    if (rc != SQLITE_OK) return fail(QStringLiteral("Cannot open the database file"));

    // Defensive settings: no code from the file runs, no extension loads.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_busy_timeout(db, 2000);

    // Touching the schema tells a database from any other file; the quick check refuses a
    // damaged one; a project is one self-contained file, so the journal never becomes WAL.
    for (const char* sql : {"PRAGMA schema_version", "PRAGMA quick_check(1)",
                            "PRAGMA journal_mode=DELETE", "PRAGMA foreign_keys=OFF"}) {
        sqlite3_stmt* st = nullptr;
        rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        bool ok = rc == SQLITE_OK;
        QString result;
        if (ok) {
            rc = sqlite3_step(st);
            ok = rc == SQLITE_ROW || rc == SQLITE_DONE;
            if (rc == SQLITE_ROW && sqlite3_column_type(st, 0) == SQLITE_TEXT)
                result =
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        }
        sqlite3_finalize(st);
        if (!ok) return fail(QStringLiteral("The file is not a readable database"));
        if (qstrcmp(sql, "PRAGMA quick_check(1)") == 0 && result != QLatin1String("ok")) {
            rc = SQLITE_CORRUPT;
            return fail(QStringLiteral("The database file is damaged"));
        }
    }
    m_handle = std::make_shared<DbHandle>();
    m_handle->db = db;
    m_handle->path = QString::fromUtf8(path);
    return true;
}

void Connection::Close() {
    if (m_handle) m_handle->Close();
    m_handle.reset();
}

bool Connection::Execute(const QString& sql, const QVariantList& params) {
    if (!IsOpen()) {
        m_error = QStringLiteral("The connection is closed");
        return false;
    }
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sql.toUtf8();
    int rc = sqlite3_prepare_v2(m_handle->db, text.constData(), int(text.size()), &st, nullptr);
    if (rc == SQLITE_OK) {
        for (int i = 0; i < params.size(); ++i)
            BindValue(st, i + 1, params[i]);
        do {
            rc = sqlite3_step(st);
        } while (rc == SQLITE_ROW);
    }
    if (rc != SQLITE_DONE) m_error = QString::fromUtf8(sqlite3_errmsg(m_handle->db));
    sqlite3_finalize(st);
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
