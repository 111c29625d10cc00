#include "editing/MoveUsersForm.h"

#include "editing/EditContext.h"
#include "editing/KORVAUtil.h"

void MoveUsersForm::LoadFormObj(EditContext& ctx, const QString& tmpGroupName) {
    groupName = tmpGroupName;
    lblGroupName =
        GetMLText(ctx.ml, QStringLiteral("目前群組名稱:"), 1, 69, QStringLiteral("MoveUsers")) +
        tmpGroupName;
    cmbMoveGroup.FillGroups(ctx.project, [&](const QString& g) {
        return g.compare(tmpGroupName, Qt::CaseInsensitive) == 0;
    });
    if (cmbMoveGroup.items.isEmpty())
        cmbMoveGroup.SetPlaceholder(
            GetMLText(ctx.ml, QStringLiteral("無其它群組"), 1, 150, QStringLiteral("MoveUsers")));
}

bool MoveUsersForm::cmdOK_Click(EditContext& ctx) {
    const QString target = cmbMoveGroup.SelectedName();
    if (target.isEmpty()) return false;
    return KORVAUtil::MoveGroupMembers(ctx, groupName, target);
}
