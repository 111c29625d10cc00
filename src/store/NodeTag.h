#pragma once
// Node tags of the project tree: a kind word (one of the names below), optionally followed by
// "," and the row key (UserName, GroupName or decimal ZoneNo). Nothing keeps a pointer to a
// row: the tag of a node locates the current row of its table.
#include <QString>
#include <array>

struct OpenProject;

namespace NodeTags {
// The kind words: the root and the three branches, whose leaves are rows of these tables.
inline const QString kProjName = QStringLiteral("ProjName");
inline const QString kUsers = QStringLiteral("Users");
inline const QString kUserGroups = QStringLiteral("UserGroups");
inline const QString kZones = QStringLiteral("Zones");

// Slots 1 to 4 of a tag: items[0] is slot 1 (the kind word), items[1] slot 2 (the key).
using TagItems = std::array<QString, 4>;

// Splits a tag into the kind word and the key: everything after the first comma is the key,
// so a name with commas still names its row. Returns the number of items (0 for an empty
// tag, which leaves items untouched; 1 for a branch or the root; 2 for a leaf).
int ParseNodeTag(const QString& tag, TagItems& items);
// For a leaf (count 2 or more) makes the named row the current row of its table by an exact
// first-match scan; false when no row matches (the table is then past its end). An unknown
// kind word moves nothing and gives true; a count below 2 gives false.
bool LocateCurRecord(OpenProject& project, const TagItems& items, int count);
} // namespace NodeTags
