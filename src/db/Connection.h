#pragma once
// One connection to a database file (SQLite underneath), opened defensively: a file from
// anyone can neither run code nor take us anywhere but the failure path.
#include <QString>
#include <QVariant>
#include <memory>

struct sqlite3;

// The classic connection string: "Provider=...;Data Source=...;" and the optional user and
// password parts. Kept as parts so that a path or password with a semicolon opens as given.
struct ConnectionString {
    static constexpr const char* kProvider = "SQLite3";
    QString dataSource;
    QString userId;
    QString password;
    QString ToString() const;
};

// The open handle, shared by the connection and its row sets so that a row set outliving
// its connection sees "closed" instead of a dangling pointer.
struct DbHandle {
    sqlite3* db = nullptr;
    QString path;
    ~DbHandle();
    void Close();
    bool IsOpen() const { return db != nullptr; }
};

class Connection {
public:
    Connection() = default;
    ~Connection() { Close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool Open(const ConnectionString& cs);
    void Close();
    bool IsOpen() const { return m_handle && m_handle->IsOpen(); }
    QString ErrorDescription() const { return m_error; }
    QString Path() const { return m_handle ? m_handle->path : QString(); }
    const std::shared_ptr<DbHandle>& Handle() const { return m_handle; }

    // Runs one statement with bound values; false (and ErrorDescription) on failure.
    bool Execute(const QString& sql, const QVariantList& params = {});
    bool BeginTransaction() { return Execute(QStringLiteral("BEGIN IMMEDIATE")); }
    bool Commit() { return Execute(QStringLiteral("COMMIT")); }
    bool Rollback() { return Execute(QStringLiteral("ROLLBACK")); }
    bool TableExists(const QString& table) const;

private:
    std::shared_ptr<DbHandle> m_handle;
    QString m_error;
};

// Binds a value to a statement parameter (1-based): null, bool as 0/1, dates as YYYY-MM-DD.
struct sqlite3_stmt;
bool BindValue(sqlite3_stmt* st, int index, const QVariant& v);
QString QuoteIdentifier(const QString& name);
