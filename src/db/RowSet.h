#pragma once
// The classic updatable row set: a keyset cursor over a whole table (rows others add are not
// seen, changed values are) or a read-only snapshot of a query, with a current row.
// A table's rows are read ahead in batches while moving forward; a batch is read again after
// any write through the connection (this row set's own writes excepted, which it follows) or
// a rollback, and every move other than MoveNext reads afresh.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

class Connection;
struct DbHandle;
struct sqlite3_stmt;

class RowSet {
public:
    static constexpr int adPosUnknown = -1;
    static constexpr int adPosBOF = -2;
    static constexpr int adPosEOF = -3;

    // A bare table name opens the table; any SQL text opens its result. Null on failure
    // (ErrorOut receives the reason when given).
    static std::unique_ptr<RowSet> OpenTable(const Connection& conn, const QString& table,
                                             bool clientCursor = false,
                                             QString* errorOut = nullptr);
    static std::unique_ptr<RowSet> OpenQuery(const Connection& conn, const QString& sql,
                                             const QVariantList& params = {},
                                             bool clientCursor = false,
                                             QString* errorOut = nullptr);
    ~RowSet();

    bool IsOpen() const;
    void Close();

    bool Bof() const;
    bool Eof() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    int AbsolutePosition() const;           // 1-based, or adPosBOF / adPosEOF
    bool SetAbsolutePosition(int position); // 1..count, adPosBOF or adPosEOF
    bool SupportsApproxPosition() const { return m_approx; }
    void SetSupportsApproxPosition(bool on) { m_approx = on; }
    int RecordCount() const;
    // The current row's identity, and the move back to it (false when it is gone).
    qint64 Bookmark() const;
    bool SetBookmark(qint64 bookmark);
    bool IsClientCursor() const { return m_clientCursor; }
    bool IsUpdatable() const;
    std::unique_ptr<RowSet> Clone() const;

    QStringList FieldNames() const;
    bool HasField(const QString& name) const;
    // A field of the current row; an invalid QVariant is null. Yes/no fields read as bool,
    // date fields as QDate.
    QVariant Field(const QString& name) const;
    // The same by column: a loop over many rows looks its columns up once (-1: no such field).
    int FieldIndex(const QString& name) const { return ColumnIndex(name); }
    QVariant FieldAt(int column) const;
    bool SetField(const QString& name, const QVariant& value);

    bool AddNew(); // a new row becomes current; Update saves it
    bool Update(); // saves the current row's changes
    void CancelUpdate();
    bool Delete(); // deletes the current row; it stays current until a move
    bool EditPending() const { return m_mode != Mode::None; }
    QString LastError() const { return m_error; }

private:
    struct Shared;
    enum class Mode { None, Edit, Add };
    RowSet() = default;
    void Sync() const; // follow deletions and appends made through clones
    bool FlushBeforeMove();
    bool OnRow() const; // a readable current row exists
    bool LoadCurrent() const;
    bool BatchFresh() const; // no write or rollback on the connection since the batch's read
    bool ReadBatch() const;  // from the current row on
    void DropBatch() const;
    void Restamp(bool wasFresh, qint64 rewritten = -1) const; // after a write of our own
    sqlite3_stmt* Prepared(const QByteArray& sql);
    sqlite3_stmt* ReadStatement(sqlite3_stmt*& st, const char* condition, bool withKey) const;
    void SetPos(int pos) const;
    int ColumnIndex(const QString& name) const;

    std::shared_ptr<DbHandle> m_db;
    std::shared_ptr<Shared> m_shared;
    bool m_open = false;
    bool m_clientCursor = false;
    bool m_approx = true;
    mutable int m_pos = 0;    // index into the keys; -1 before first, size after last
    mutable qint64 m_key = 0; // rowid of the current row, for following clones
    mutable int m_seenVersion = 0;
    mutable bool m_onDeleted = false; // the current row was deleted; m_pos is its successor
    mutable bool m_atEnd = false;     // after the last row, whatever the keyset becomes
    Mode m_mode = Mode::None;
    QVector<QVariant> m_pending; // edited values, per column
    QVector<bool> m_pendingSet;
    mutable QVector<QVariant> m_cache; // the current row as last read
    mutable bool m_cacheValid = false;
    mutable qint64 m_cacheKey = 0;       // its rowid
    mutable QVector<qint64> m_batchKeys; // rowids read ahead, ascending
    mutable QVector<QVector<QVariant>> m_batchRows;
    mutable qint64 m_batchChanges = -1;   // the connection's change count at that read
    mutable quint64 m_batchRollbacks = 0; // and its rollback count
    mutable int m_batchSize = 0;          // rows of the next batch; grows moving forward
    QString m_error;
};
