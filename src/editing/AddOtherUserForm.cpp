#include "editing/AddOtherUserForm.h"

#include "db/ADOUtil.h"
#include "editing/EditContext.h"
#include "editing/KORVAUtil.h"
#include "store/ProjectSchema.h"

namespace {
QString Str(const RowSet* rs, const QString& field) {
    return ADOUtil::NullToStr(rs->Field(field));
}
} // namespace

void AddOtherUserForm::LoadFormObj(EditContext& ctx, const QString& tmpGroupName) {
    groupName = tmpGroupName;
    lblGroupName =
        GetMLText(ctx.ml, QStringLiteral("目前群組名稱:"), 1, 69, QStringLiteral("AddOtherUser")) +
        tmpGroupName;
    cmbAddUser.Clear();
    if (ctx.project.Users && ctx.project.Users->IsOpen()) {
        auto rs = ctx.project.Users->Clone();
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const QString name = Str(rs.get(), ProjectSchema::kUserName);
            if (name.isEmpty() ||
                KORVAUtil::ListHoldsGroup(
                    KORVAUtil::SplitGroupList(Str(rs.get(), ProjectSchema::kGroupName)),
                    tmpGroupName))
                continue;
            cmbAddUser.Add(name,
                           KORVAUtil::ComboEntryText(name, Str(rs.get(), ProjectSchema::kUserDsc)));
        }
    }
    if (cmbAddUser.items.isEmpty())
        cmbAddUser.SetPlaceholder(GetMLText(ctx.ml, QStringLiteral("無其它連絡人"), 1, 152,
                                            QStringLiteral("AddOtherUser")));
    else
        cmbAddUser.index = 0;
}

bool AddOtherUserForm::cmdOK_Click(EditContext& ctx) {
    const QString user = cmbAddUser.SelectedName();
    if (user.isEmpty()) return false;
    return KORVAUtil::AddUserToGroup(ctx, groupName, user);
}
