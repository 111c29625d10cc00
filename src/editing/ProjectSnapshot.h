#pragma once
// An exact image of the four project tables (Basic, UserGroups, Users, Zones): every row with
// its row id, in row id order, every value with its stored type and bytes. Undo keeps one
// before and one after each edit; a table an edit left alone is shared, not copied.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <memory>

struct EditContext;
struct OpenProject;

struct TableImage {
    struct Cell {
        int type = 5; // SQLITE_INTEGER, _FLOAT, _TEXT, _BLOB or _NULL
        qint64 integer = 0;
        double real = 0;
        QByteArray bytes; // text (UTF-8 as stored) or blob
        bool operator==(const Cell&) const = default;
    };
    QString table;
    QStringList columns;
    QVector<qint64> rowids;
    QVector<Cell> cells; // rowids.size() x columns.size(), row by row
    bool operator==(const TableImage&) const = default;
    qint64 Bytes() const;
};

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

namespace ProjectSnapshots {
// The working copy's four tables as they are now; invalid when one could not be read.
ProjectSnapshot Take(const OpenProject& project);
// Writes the image back in one transaction (only the tables that differ), then reopens the
// four row sets so that they see the restored rows. False, with the reason, when the engine
// refused; the working copy is then left as it was.
bool Restore(EditContext& ctx, const ProjectSnapshot& image, QString& why);
} // namespace ProjectSnapshots
