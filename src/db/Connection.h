#pragma once
// One connection to a database file (SQLite underneath), opened defensively: a file from
// anyone can neither run code nor take us anywhere but the failure path.
#include <QElapsedTimer>
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
    bool readOnly = false; // opened for reading only: nothing is written, not even the journal mode
    // A byte copy of a file this process has just opened with every check: only its journal
    // is settled, nothing is checked again (an open for reading only checks everything).
    bool checked = false;
    // A private file no other connection opens meanwhile: its lock is taken on the first read
    // and kept, instead of once per statement.
    bool exclusive = false;
    QString ToString() const;
};

// Why an open failed, so that the person is told the right thing.
enum class DbFault {
    None,
    NotDatabase, // not a database at all, or one that cannot be read
    Damaged,     // a database whose pages or values are broken
    Unsupported, // a database holding what ours never hold (code in the schema, huge values)
    TooSlow,     // a statement ran past the deadline and was stopped
};

// The open handle, shared by the connection and its row sets so that a row set outliving
// its connection sees "closed" instead of a dangling pointer.
struct DbHandle {
    sqlite3* db = nullptr;
    QString path;
    QElapsedTimer statementClock; // since the current statement started running
    bool timedOut = false;        // a statement was stopped at the deadline
    quint64 rollbacks = 0;        // transactions rolled back, for readers caching rows
    ~DbHandle();
    void Close();
    bool IsOpen() const { return db != nullptr; }
};

class Connection {
public:
    // The largest value (text or blob) a statement may make or read; ours are a few hundred
    // bytes, and the limit keeps a hostile file from filling the memory.
    static constexpr int kMaxValueBytes = 256 * 1024;
    // A statement running longer than this is stopped.
    static constexpr int kStatementDeadlineMs = 3000;

    Connection() = default;
    ~Connection() { Close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool Open(const ConnectionString& cs);
    // False when the file is a database whose header counts fewer pages than the file holds
    // and no journal or log beside it could explain the difference: damaged, and not worth
    // copying (a hole of a gigabyte is read as zeros). Reads only the header.
    static bool SizeFitsHeader(const QString& path);
    void Close();
    bool IsOpen() const { return m_handle && m_handle->IsOpen(); }
    QString ErrorDescription() const { return m_error; }
    DbFault Fault() const { return m_fault; }
    QString Path() const { return m_handle ? m_handle->path : QString(); }
    const std::shared_ptr<DbHandle>& Handle() const { return m_handle; }

    // Runs the statements of sql in order, the first with bound values; false (and
    // ErrorDescription) when one fails, the later ones then not run.
    bool Execute(const QString& sql, const QVariantList& params = {});
    bool BeginTransaction() { return Execute(QStringLiteral("BEGIN IMMEDIATE")); }
    bool Commit() { return Execute(QStringLiteral("COMMIT")); }
    bool Rollback() { return Execute(QStringLiteral("ROLLBACK")); }
    bool TableExists(const QString& table) const;
    // Many reads in a row of a file no other connection uses meanwhile: while held, the
    // file's lock is taken at the first read and kept instead of once per statement; let go,
    // it is released at once.
    void HoldLock(bool hold);
    // Holds the lock for a scope (not nested within another hold). conn may be null; a
    // connection closed meanwhile (events run in the scope) is left alone at its end.
    class HeldLock {
    public:
        explicit HeldLock(const Connection* conn);
        ~HeldLock();
        HeldLock(const HeldLock&) = delete;
        HeldLock& operator=(const HeldLock&) = delete;

    private:
        std::shared_ptr<DbHandle> m_handle;
    };

private:
    bool Fail(sqlite3* db, int rc, DbFault fault, const QString& what);
    std::shared_ptr<DbHandle> m_handle;
    QString m_error;
    DbFault m_fault = DbFault::None;
};

// Binds a value to a statement parameter (1-based): null, bool as 0/1, dates as YYYY-MM-DD.
struct sqlite3_stmt;
bool BindValue(sqlite3_stmt* st, int index, const QVariant& v);
QString QuoteIdentifier(const QString& name);
// The reason a statement failed, in words; one stopped at the deadline says so.
QString StatementError(const DbHandle& handle, int rc);
