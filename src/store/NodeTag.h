#pragma once
// Node tags of the project tree: a kind word (one of the names below), optionally followed by
// "," and the row key (UserName, GroupName or decimal ZoneNo). Nothing keeps a pointer to a
// row: the tag of a node locates the current row of its table.
#include <QString>
#include <optional>

struct OpenProject;

// A tag split into the kind word and, for a leaf, the row key: everything after the first
// comma, so a name with commas still names its row. An empty tag has an empty kind.
struct NodeTag {
    QString kind;
    std::optional<QString> key; // set for a leaf (possibly empty)

    static NodeTag Parse(const QString& tag);
    bool IsLeaf() const { return key.has_value(); }
    // The root or a branch: a kind word without a key.
    bool IsBranch() const { return !kind.isEmpty() && !key; }
};

namespace NodeTags {
// The kind words: the root and the three branches, whose leaves are rows of these tables.
inline const QString kProjName = QStringLiteral("ProjName");
inline const QString kUsers = QStringLiteral("Users");
inline const QString kUserGroups = QStringLiteral("UserGroups");
inline const QString kZones = QStringLiteral("Zones");

// For a leaf (one with a key) makes the named row the current row of its table by an exact
// first-match scan; false when no row matches (the table is then past its end). An unknown
// kind word moves nothing and gives true; a tag without a key gives false.
bool LocateCurRecord(OpenProject& project, const NodeTag& tag);
} // namespace NodeTags
