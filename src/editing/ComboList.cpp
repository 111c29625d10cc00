#include "editing/ComboList.h"

#include "db/ADOUtil.h"
#include "editing/KORVAUtil.h"
#include "store/OpenProject.h"

void ComboList::FillGroups(const OpenProject& p, const std::function<bool(const QString&)>& skip) {
    Clear();
    if (!p.UserGroups || !p.UserGroups->IsOpen()) return;
    auto rs = p.UserGroups->Clone();
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        const QString name = ADOUtil::NullToStr(rs->Field(QStringLiteral("GroupName")));
        if (name.isEmpty() || skip(name)) continue;
        Add(name, KORVAUtil::ComboEntryText(
                      name, ADOUtil::NullToStr(rs->Field(QStringLiteral("GroupDsc")))));
    }
    if (!items.isEmpty()) index = 0;
}
