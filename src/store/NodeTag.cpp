#include "store/NodeTag.h"

#include "db/ADOUtil.h"
#include "store/OpenProject.h"
#include "store/ProjectSchema.h"

NodeTag NodeTag::Parse(const QString& tag) {
    const qsizetype comma = tag.indexOf(u',');
    if (comma < 0) return {tag, std::nullopt};
    return {tag.left(comma), tag.mid(comma + 1)};
}

namespace NodeTags {

bool LocateCurRecord(OpenProject& project, const NodeTag& tag) {
    if (!tag.key) return false;
    if (tag.kind == kUserGroups)
        return ADOUtil::LocateRecord(project.UserGroups.get(), ProjectSchema::kGroupName, *tag.key);
    if (tag.kind == kUsers)
        return ADOUtil::LocateRecord(project.Users.get(), ProjectSchema::kUserName, *tag.key);
    if (tag.kind == kZones)
        return ADOUtil::LocateRecord(project.Zones.get(), ProjectSchema::kZoneNo, *tag.key);
    return true;
}

} // namespace NodeTags
