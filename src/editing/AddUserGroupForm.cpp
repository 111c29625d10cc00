#include "editing/AddUserGroupForm.h"

#include "db/ADOUtil.h"
#include "editing/EditContext.h"
#include "editing/KORVAUtil.h"
#include "store/ProjectSchema.h"

namespace {
QString Str(const RowSet* rs, const QString& field) {
    return ADOUtil::NullToStr(rs->Field(field));
}
} // namespace

void AddUserGroupForm::LoadFormObj(EditContext& ctx, const QString& tmpUserName) {
    lblUserName = tmpUserName;
    const QStringList held = KORVAUtil::MembershipsOf(ctx.project, tmpUserName);
    cmbUserGroups.FillGroups(ctx.project,
                             [&](const QString& g) { return KORVAUtil::ListHoldsGroup(held, g); });
    if (cmbUserGroups.items.isEmpty())
        cmbUserGroups.SetPlaceholder(
            GetMLText(ctx.ml, QStringLiteral("無"), 1, 134, QStringLiteral("AddUserGroup")));
}

void AddUserGroupForm::cmdAddGroup_Click(EditContext& ctx) {
    RowSet* groups = ctx.project.UserGroups.get();
    const int before = ADOUtil::GetRecordCount(groups);
    KORVAUtil::AddUserGroup(ctx);
    if (ADOUtil::GetRecordCount(groups) <= before) return;
    groups->MoveLast();
    const QString name = Str(groups, ProjectSchema::kGroupName);
    if (cmbUserGroups.placeholder) cmbUserGroups.Clear();
    cmbUserGroups.enabled = true;
    cmbUserGroups.Add(name, KORVAUtil::ComboEntryText(name, Str(groups, ProjectSchema::kGroupDsc)));
    cmbUserGroups.index = int(cmbUserGroups.items.size()) - 1;
}

bool AddUserGroupForm::cmdOK_Click(EditContext& ctx) {
    const QString group = cmbUserGroups.SelectedName();
    if (group.isEmpty()) return false;
    return KORVAUtil::AddGroupToUser(ctx, lblUserName, group);
}
