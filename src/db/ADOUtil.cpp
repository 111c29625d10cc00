#include "db/ADOUtil.h"

#include "base/AppInfo.h"
#include "base/Ui.h"
#include "db/FileUtil.h"

#include <QDate>
#include <sqlite3.h>

namespace ADOUtil {

std::unique_ptr<Connection> OpenMDBConn(Ui& ui, const QString& path, const QString& userId,
                                        const QString& password, bool checked) {
    if (!FileUtil::FileExists(path)) return nullptr;
    ConnectionString cs;
    cs.dataSource = path;
    cs.userId = userId;
    cs.password = password;
    cs.checked = checked;
    auto conn = std::make_unique<Connection>();
    if (conn->Open(cs)) return conn;
    ui.MsgBox(QStringLiteral("OpenMDBConn Failed!\r\nConnect String:") + cs.ToString(),
              vbOKOnly | vbCritical, QStringLiteral("OpenMDBConn Failed"));
    ui.MsgBox(conn->ErrorDescription(), vbOKOnly, AppTitle());
    return nullptr;
}

namespace {
// Runs one statement that may write, with bound values.
bool RunStatement(const Connection& connection, const QString& sql, const QVariantList& params) {
    if (!connection.IsOpen()) return false;
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sql.toUtf8();
    int rc = sqlite3_prepare_v2(connection.Handle()->db, text.constData(), int(text.size()), &st,
                                nullptr);
    if (rc == SQLITE_OK) {
        for (int i = 0; i < params.size(); ++i)
            BindValue(st, i + 1, params[i]);
        do {
            rc = sqlite3_step(st);
        } while (rc == SQLITE_ROW);
    }
    sqlite3_finalize(st);
    return rc == SQLITE_DONE;
}
} // namespace

// The first six letters, upper-cased, decide: SELECT opens a read-only query; UPDATE, DELETE
// or INSERT runs the statement, whose row set is then empty, as the classic one after an
// action query; any other text is a table name.
std::unique_ptr<RowSet> OpenRecordset(const Connection* connection, const QString& source,
                                      bool useClientCursor, const QVariantList& params) {
    if (!connection || source.isEmpty()) return nullptr;
    const QString head = source.left(6).toUpper();
    if (head == QLatin1String("SELECT"))
        return RowSet::OpenQuery(*connection, source, params, useClientCursor);
    if (head == QLatin1String("UPDATE") || head == QLatin1String("DELETE") ||
        head == QLatin1String("INSERT")) {
        if (!RunStatement(*connection, source, params)) return nullptr;
        return RowSet::OpenQuery(*connection, QStringLiteral("SELECT NULL LIMIT 0"), {},
                                 useClientCursor);
    }
    return RowSet::OpenTable(*connection, source, useClientCursor);
}

int GetRecordCount(RowSet* rs) {
    if (!rs || !rs->IsOpen()) return 0;
    if (rs->Eof() && rs->Bof()) return 0;
    if (rs->SupportsApproxPosition()) return rs->RecordCount();
    int count = 0;
    if (rs->IsClientCursor()) {
        auto clone = rs->Clone();
        clone->MoveFirst();
        while (!clone->Eof()) {
            ++count;
            clone->MoveNext();
        }
        return count;
    }
    const int remembered = rs->AbsolutePosition();
    rs->MoveFirst();
    while (!rs->Eof()) {
        ++count;
        rs->MoveNext();
    }
    if (remembered == RowSet::adPosEOF) {
        rs->MoveLast();
        rs->MoveNext();
    } else if (remembered == RowSet::adPosBOF) {
        rs->MoveFirst();
        rs->MovePrevious();
    } else {
        rs->SetAbsolutePosition(remembered);
    }
    return count;
}

bool LocateRecord(RowSet* rs, const QString& fieldName, const QString& value) {
    if (!rs || !rs->IsOpen()) return false;
    if (rs->Eof() && rs->Bof()) return false;
    rs->MoveFirst();
    while (!rs->Eof()) {
        if (NullToStr(rs->Field(fieldName)) == value) return true;
        rs->MoveNext();
    }
    return false;
}

bool RowFinder::Locate(const QString& value) {
    if (!m_rs || !m_rs->IsOpen()) return false;
    if (!m_built) {
        for (m_rs->MoveFirst(); !m_rs->Eof(); m_rs->MoveNext()) {
            const QString text = NullToStr(m_rs->Field(m_field));
            if (!m_rows.contains(text)) m_rows.insert(text, m_rs->Bookmark()); // the first wins
        }
        m_built = true;
    }
    const auto it = m_rows.constFind(value);
    if (it != m_rows.constEnd() && m_rs->SetBookmark(*it)) return true;
    m_rs->SetAbsolutePosition(RowSet::adPosEOF);
    return false;
}

QString FieldText(const RowSet* rowSet, const QString& fieldName) {
    return NullToStr(rowSet->Field(fieldName));
}

QString FieldText(const RowSet* rowSet, int column) {
    return NullToStr(rowSet->FieldAt(column));
}

bool FieldFlag(const RowSet* rowSet, int column) {
    const QVariant v = rowSet->FieldAt(column);
    return v.isValid() && !v.isNull() && v.toBool();
}

QString NullToStr(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return {};
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    default:
        return value.toString();
    }
}

} // namespace ADOUtil
