#include "editing/EditGroupListForm.h"

#include "db/ADOUtil.h"
#include "editing/EditContext.h"
#include "editing/KORVAUtil.h"
#include "editing/ValidUtil.h"
#include "ml/MLText.h"
#include "store/ProjectSchema.h"

bool EditGroupListForm::LoadFormObj(EditContext& ctx, bool tmpIsAddMode) {
    RowSet* rs = ctx.project.UserGroups.get();
    if (!rs || !rs->IsOpen() || rs->Eof() || rs->Bof()) return false;
    lblGroupName = ADOUtil::NullToStr(rs->Field(ProjectSchema::kGroupName));
    txtGroupDsc = ADOUtil::NullToStr(rs->Field(ProjectSchema::kGroupDsc));
    oldName = lblGroupName;
    cmdRenameEnabled = !tmpIsAddMode;
    return true;
}

bool EditGroupListForm::SaveFormObj(EditContext& ctx) {
    return KORVAUtil::RenameUserGroup(ctx, oldName, lblGroupName, txtGroupDsc);
}

void EditGroupListForm::cmdRename_Click(EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("EditGroupList")};
    const QString name = ctx.ui.KeyInString(T(QStringLiteral("變更連絡人群組名稱"), 1, 185),
                                            T(QStringLiteral("請輸入新連絡人群組名稱:"), 2, 185),
                                            lblGroupName, QString(), ValidUtil::kMaxNameLength);
    if (name == KeyInCancelMarker() || name == lblGroupName) return;
    if (ValidUtil::ValidUserGroupName(ctx, name)) lblGroupName = name;
}

bool EditGroupListForm::cmdOK_Click(EditContext& ctx) {
    if (!CheckFormObj()) return false;
    // A write that failed has been reported and undone; the dialog stays for another try.
    return SaveFormObj(ctx);
}
