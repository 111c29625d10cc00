#include "editing/AddUserGroupForm.h"

#include "db/ADOUtil.h"
#include "editing/EditContext.h"
#include "editing/KORVAUtil.h"
#include "ml/MLText.h"
#include "store/ProjectSchema.h"

namespace {
using ADOUtil::FieldText;
} // namespace

void AddUserGroupForm::LoadFormObj(EditContext& ctx, const QString& tmpUserName) {
    const MLText T{ctx.ml, QStringLiteral("AddUserGroup")};
    lblUserName = tmpUserName;
    const QStringList held = KORVAUtil::MembershipsOf(ctx.project, tmpUserName);
    cmbUserGroups.FillGroups(ctx.project,
                             [&](const QString& g) { return KORVAUtil::ListHoldsGroup(held, g); });
    if (cmbUserGroups.items.isEmpty())
        cmbUserGroups.SetPlaceholder(T(QStringLiteral("無"), 1, 134));
}

void AddUserGroupForm::cmdAddGroup_Click(EditContext& ctx) {
    RowSet* groups = ctx.project.UserGroups.get();
    const int before = ADOUtil::GetRecordCount(groups);
    KORVAUtil::AddUserGroup(ctx);
    if (ADOUtil::GetRecordCount(groups) <= before) return;
    groups->MoveLast();
    const QString name = FieldText(groups, ProjectSchema::kGroupName);
    if (cmbUserGroups.placeholder) cmbUserGroups.Clear();
    cmbUserGroups.enabled = true;
    cmbUserGroups.Add(name,
                      KORVAUtil::ComboEntryText(name, FieldText(groups, ProjectSchema::kGroupDsc)));
    cmbUserGroups.index = int(cmbUserGroups.items.size()) - 1;
}

bool AddUserGroupForm::cmdOK_Click(EditContext& ctx) {
    const QString group = cmbUserGroups.SelectedName();
    if (group.isEmpty()) return false;
    return KORVAUtil::AddGroupToUser(ctx, lblUserName, group);
}
