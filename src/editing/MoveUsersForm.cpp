#include "editing/MoveUsersForm.h"

#include "db/ADOUtil.h"
#include "editing/EditContext.h"
#include "editing/KORVAUtil.h"
#include "ml/MLText.h"

void MoveUsersForm::LoadFormObj(EditContext& ctx, const QString& tmpGroupName) {
    const MLText T{ctx.ml, QStringLiteral("MoveUsers")};
    groupName = tmpGroupName;
    lblGroupName = T(QStringLiteral("目前群組名稱:"), 1, 69) + tmpGroupName;
    memberCount = 0;
    if (RowSet* users = ctx.project.Users.get(); ADOUtil::GetRecordCount(users) > 0) {
        auto copy = users->Clone();
        for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext())
            if (KORVAUtil::ListHoldsGroup(KORVAUtil::SplitGroupList(ADOUtil::NullToStr(
                                              copy->Field(QStringLiteral("GroupName")))),
                                          tmpGroupName))
                ++memberCount;
    }
    Label1 = T(QStringLiteral("將群組[%1]的全部連絡人 (%2 位) 轉移到:"), 1, 7331)
                 .arg(tmpGroupName)
                 .arg(memberCount);
    cmbMoveGroup.FillGroups(ctx.project, [&](const QString& g) {
        return g.compare(tmpGroupName, Qt::CaseInsensitive) == 0;
    });
    if (cmbMoveGroup.items.isEmpty())
        cmbMoveGroup.SetPlaceholder(T(QStringLiteral("無其它群組"), 1, 150));
}

bool MoveUsersForm::cmdOK_Click(EditContext& ctx) {
    const QString target = cmbMoveGroup.SelectedName();
    if (target.isEmpty()) return false;
    return KORVAUtil::MoveGroupMembers(ctx, groupName, target);
}
