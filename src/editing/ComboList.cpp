#include "editing/ComboList.h"

#include "db/ADOUtil.h"
#include "editing/KORVAUtil.h"
#include "store/OpenProject.h"
#include "store/ProjectSchema.h"

void ComboList::FillGroups(const OpenProject& p, const std::function<bool(const QString&)>& skip) {
    Clear();
    if (!p.UserGroups || !p.UserGroups->IsOpen()) return;
    auto rs = p.UserGroups->Clone();
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        const QString name = ADOUtil::NullToStr(rs->Field(ProjectSchema::kGroupName));
        if (name.isEmpty() || skip(name)) continue;
        Add(name, KORVAUtil::ComboEntryText(
                      name, ADOUtil::NullToStr(rs->Field(ProjectSchema::kGroupDsc))));
    }
    if (!items.isEmpty()) index = 0;
}
