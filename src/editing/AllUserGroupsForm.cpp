#include "editing/AllUserGroupsForm.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "editing/EditContext.h"
#include "editing/KORVAUtil.h"
#include "ml/MLText.h"
#include "store/ProjectSchema.h"

bool AllUserGroupsForm::EditorHolds(const EditContext& ctx, const QString& name) const {
    for (const GroupEntry& e : ctx.forms.editTelList.lvGroupName)
        if (e.name.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

void AllUserGroupsForm::Warn(EditContext& ctx, bool onAccept) {
    const MLText T{ctx.ml, QStringLiteral("frmAllUserGroups")};
    const QString& contact = ctx.forms.editTelList.lblTelUser;
    if (onAccept)
        ctx.ui.MsgBox(T(QStringLiteral("群組不可重覆挑選!"), 1, 173) + VBUtil::kCrLf +
                          T(QStringLiteral("群組早已加入至 "), 2, 173) + contact,
                      vbOKOnly | vbExclamation, T(QStringLiteral("群組不可重覆挑選!"), 3, 173));
    else
        ctx.ui.MsgBox(T(QStringLiteral("群組不可重覆挑選!"), 1, 161) + VBUtil::kCrLf +
                          T(QStringLiteral("群組早已加入至 "), 2, 161) + contact,
                      vbOKOnly | vbExclamation, T(QStringLiteral("群組不可重覆挑選!"), 3, 161));
}

void AllUserGroupsForm::LoadFormObj(EditContext& ctx) {
    resultName.clear();
    resultDsc.clear();
    mklvUserGroupsContent(ctx);
}

void AllUserGroupsForm::mklvUserGroupsContent(EditContext& ctx) {
    lvUserGroups.clear();
    selected = -1;
    RowSet* groups = ctx.project.UserGroups.get();
    if (!groups || !groups->IsOpen()) return;
    const auto& held = ctx.forms.editTelList.lvGroupName;
    auto copy = groups->Clone();
    for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext()) {
        GroupEntry e{ADOUtil::NullToStr(copy->Field(ProjectSchema::kGroupName)),
                     ADOUtil::NullToStr(copy->Field(ProjectSchema::kGroupDsc)), false};
        for (const GroupEntry& h : held)
            if (h.name == e.name) e.grey = true;
        if (!e.grey && selected < 0) selected = int(lvUserGroups.size());
        lvUserGroups.append(e);
    }
}

void AllUserGroupsForm::lvUserGroups_ItemClick(EditContext& ctx, int row) {
    if (row < 0 || row >= lvUserGroups.size()) return;
    selected = row;
    if (EditorHolds(ctx, lvUserGroups[row].name)) Warn(ctx, false);
}

bool AllUserGroupsForm::lvUserGroups_DblClick(EditContext& ctx, int row) {
    if (row < 0 || row >= lvUserGroups.size()) return false;
    selected = row;
    if (EditorHolds(ctx, lvUserGroups[row].name)) {
        Warn(ctx, true);
        return false;
    }
    resultName = lvUserGroups[row].name;
    resultDsc = lvUserGroups[row].dsc;
    return true;
}

bool AllUserGroupsForm::cmbOK_Click() {
    if (selected < 0 || selected >= lvUserGroups.size() || lvUserGroups[selected].name.isEmpty())
        return false;
    resultName = lvUserGroups[selected].name;
    resultDsc = lvUserGroups[selected].dsc;
    return true;
}

void AllUserGroupsForm::cmbCancel_Click() {
    resultName.clear();
    resultDsc.clear();
}

void AllUserGroupsForm::cmdAddGroup_Click(EditContext& ctx) {
    if (!KORVAUtil::AddUserGroup(ctx)) return;
    RowSet* groups = ctx.project.UserGroups.get();
    groups->MoveLast();
    lvUserGroups.append({ADOUtil::NullToStr(groups->Field(ProjectSchema::kGroupName)),
                         ADOUtil::NullToStr(groups->Field(ProjectSchema::kGroupDsc)), false});
    selected = int(lvUserGroups.size()) - 1;
}
