#pragma once
// An exact image of the four project tables (Basic, UserGroups, Users, Zones): every row with
// its row id, in row id order, every value with its stored type and bytes. Undo keeps one
// before and one after each edit; a table an edit left alone is shared, not copied.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <bit>
#include <memory>

struct DbHandle;
struct EditContext;
struct OpenProject;

struct TableImage {
    struct Cell {
        int type = 5; // SQLITE_INTEGER, _FLOAT, _TEXT, _BLOB or _NULL
        int size = 0; // a text's (UTF-8 as stored) or blob's length
        // An integer, a real's bits, or where a text or blob starts in bytes.
        qint64 value = 0;
        bool operator==(const Cell&) const = default;
        double Real() const { return std::bit_cast<double>(value); }
    };
    QString table;
    QStringList columns;
    QVector<qint64> rowids;
    QVector<Cell> cells; // rowids.size() x columns.size(), row by row
    QByteArray bytes;    // every text and blob, in cell order
    // Equal cells at equal offsets over equal bytes: the same values.
    bool operator==(const TableImage&) const = default;
    qint64 Bytes() const;
    QByteArrayView Value(const Cell& cell) const {
        return QByteArrayView(bytes).sliced(cell.value, cell.size);
    }
};
Q_DECLARE_TYPEINFO(TableImage::Cell, Q_PRIMITIVE_TYPE);

struct ProjectSnapshot {
    std::array<std::shared_ptr<const TableImage>, 4> tables;

    bool IsValid() const;
    bool operator==(const ProjectSnapshot& other) const;
    // Tables equal to other's are shared with it, so that neighbouring steps hold one copy.
    void ShareWith(const ProjectSnapshot& other);
    // The memory held by the tables (shared ones counted in full).
    qint64 Bytes() const;
    // One line per row, "table|rowid|type:value|...", for comparing states exactly.
    QString Dump() const;
};

// The last image taken and the working copy's write count at that moment: while no row has
// been written since (on this connection or by another), a take gives it back unread.
struct SnapshotCache {
    ProjectSnapshot image;
    std::weak_ptr<DbHandle> handle; // the connection the count belongs to
    qint64 changes = -1;            // rows this connection wrote since it opened
    qint64 dataVersion = -1;        // moves when another connection commits
};

namespace ProjectSnapshots {
// The working copy's four tables as they are now; invalid when one could not be read.
ProjectSnapshot Take(const OpenProject& project);
// The same, read again only when a row may have been written since the cache was filled.
ProjectSnapshot Take(const OpenProject& project, SnapshotCache& cache);
// Writes the image back in one transaction (only the tables that differ), then reopens the
// four row sets so that they see the restored rows. False, with the reason, when the engine
// refused; the working copy is then left as it was.
bool Restore(EditContext& ctx, const ProjectSnapshot& image, QString& why);
} // namespace ProjectSnapshots
