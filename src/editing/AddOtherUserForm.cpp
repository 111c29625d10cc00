#include "editing/AddOtherUserForm.h"

#include "db/ADOUtil.h"
#include "editing/EditContext.h"
#include "editing/KORVAUtil.h"
#include "ml/MLText.h"
#include "store/ProjectSchema.h"

namespace {
using ADOUtil::FieldText;
} // namespace

void AddOtherUserForm::LoadFormObj(EditContext& ctx, const QString& tmpGroupName) {
    const MLText T{ctx.ml, QStringLiteral("AddOtherUser")};
    groupName = tmpGroupName;
    lblGroupName = T(QStringLiteral("目前群組名稱:"), 1, 69) + tmpGroupName;
    cmbAddUser.Clear();
    if (ctx.project.Users && ctx.project.Users->IsOpen()) {
        auto rs = ctx.project.Users->Clone();
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const QString name = FieldText(rs.get(), ProjectSchema::kUserName);
            if (name.isEmpty() ||
                KORVAUtil::ListHoldsGroup(
                    KORVAUtil::SplitGroupList(FieldText(rs.get(), ProjectSchema::kGroupName)),
                    tmpGroupName))
                continue;
            cmbAddUser.Add(name, KORVAUtil::ComboEntryText(
                                     name, FieldText(rs.get(), ProjectSchema::kUserDsc)));
        }
    }
    if (cmbAddUser.items.isEmpty())
        cmbAddUser.SetPlaceholder(T(QStringLiteral("無其它連絡人"), 1, 152));
    else
        cmbAddUser.index = 0;
}

bool AddOtherUserForm::cmdOK_Click(EditContext& ctx) {
    const QString user = cmbAddUser.SelectedName();
    if (user.isEmpty()) return false;
    return KORVAUtil::AddUserToGroup(ctx, groupName, user);
}
