#include "store/NodeTag.h"

#include "db/ADOUtil.h"
#include "store/OpenProject.h"
#include "store/ProjectSchema.h"

namespace NodeTags {

int ParseNodeTag(const QString& tag, TagItems& items) {
    if (tag.isEmpty()) return 0;
    const qsizetype comma = tag.indexOf(u',');
    if (comma < 0) {
        items[0] = tag;
        return 1;
    }
    items[0] = tag.left(comma);
    items[1] = tag.mid(comma + 1);
    return 2;
}

bool LocateCurRecord(OpenProject& project, const TagItems& items, int count) {
    if (count < 2) return false;
    if (items[0] == kUserGroups)
        return ADOUtil::LocateRecord(project.UserGroups.get(), QStringLiteral("GroupName"),
                                     items[1]);
    if (items[0] == kUsers)
        return ADOUtil::LocateRecord(project.Users.get(), QStringLiteral("UserName"), items[1]);
    if (items[0] == kZones)
        return ADOUtil::LocateRecord(project.Zones.get(), QStringLiteral("ZoneNo"), items[1]);
    return true;
}

} // namespace NodeTags
