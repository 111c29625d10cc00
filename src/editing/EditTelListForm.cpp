#include "editing/EditTelListForm.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "editing/EditContext.h"
#include "editing/EditWindows.h"
#include "editing/KORVAUtil.h"
#include "editing/ValidUtil.h"
#include "ml/MLText.h"
#include "store/ProjectSchema.h"

namespace {
using ADOUtil::FieldText;
} // namespace

bool EditTelListForm::LoadFormObj(EditContext& ctx) {
    RowSet* rs = ctx.project.Users.get();
    if (!rs || !rs->IsOpen() || rs->Eof() || rs->Bof()) return false;
    workingCount = KORVAUtil::CountNotifyTargets(ctx);
    addedCount = 0;
    removedCount = 0;
    focusControl.clear();
    lblTelUser = FieldText(rs, ProjectSchema::kUserName);
    txtTelNo = FieldText(rs, ProjectSchema::kPhoneNumber);
    txtTelDsc = FieldText(rs, ProjectSchema::kUserDsc);
    loadedDsc = txtTelDsc;
    const QVariant flag = rs->Field(ProjectSchema::kIsDisable);
    chkIsDisable = flag.isValid() && !flag.isNull() && flag.toBool();
    oldName = lblTelUser;
    oldGroupName = FieldText(rs, ProjectSchema::kGroupName);
    mklvGroupName(ctx);
    cmdDeleteEnabled = !lvGroupName.isEmpty();
    return true;
}

void EditTelListForm::mklvGroupName(EditContext& ctx) {
    lvGroupName.clear();
    selected = -1;
    const OpenProject& p = ctx.project;
    if (!p.Users || !p.UserGroups || !p.Users->IsOpen() || !p.UserGroups->IsOpen()) return;
    QStringList list;
    auto users = p.Users->Clone();
    for (users->MoveFirst(); !users->Eof(); users->MoveNext()) {
        if (FieldText(users.get(), ProjectSchema::kUserName)
                .compare(lblTelUser, Qt::CaseInsensitive) == 0) {
            list = KORVAUtil::SplitGroupList(FieldText(users.get(), ProjectSchema::kGroupName));
            break;
        }
    }
    auto groups = p.UserGroups->Clone();
    for (groups->MoveFirst(); !groups->Eof(); groups->MoveNext()) {
        const QString name = FieldText(groups.get(), ProjectSchema::kGroupName);
        if (KORVAUtil::ListHoldsGroup(list, name))
            lvGroupName.append({name, FieldText(groups.get(), ProjectSchema::kGroupDsc), false});
    }
    if (!lvGroupName.isEmpty()) selected = 0;
}

void EditTelListForm::cmdAdd_Click(EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("EditTelList")};
    if (workingCount + 1 > ctx.project.MaxTelNo) {
        ctx.ui.MsgBox(T(QStringLiteral("通知對象[群組/連絡人]已超過最大筆數["), 1, 2004) +
                          QString::number(ctx.project.MaxTelNo) +
                          T(QStringLiteral("]，不得再增加通知對象[群組/連絡人]！"), 2, 2004),
                      vbOKOnly | vbExclamation,
                      T(QStringLiteral("通知對象[群組/連絡人]已超過最大筆數"), 3, 2004));
        return;
    }
    AllUserGroupsForm& picker = ctx.forms.allUserGroups;
    picker.LoadFormObj(ctx);
    ctx.ui.ShowModal(Windows::frmAllUserGroups);
    if (!picker.resultName.isEmpty()) {
        bool held = false;
        for (const GroupEntry& e : lvGroupName)
            if (e.name == picker.resultName) held = true;
        if (!held) {
            lvGroupName.append({picker.resultName, picker.resultDsc, false});
            selected = int(lvGroupName.size()) - 1;
            ++addedCount;
            ++workingCount;
        }
    }
    cmdDeleteEnabled = !lvGroupName.isEmpty();
}

void EditTelListForm::cmdDelete_Click() {
    if (selected < 0 || selected >= lvGroupName.size()) return;
    lvGroupName.removeAt(selected);
    ++removedCount;
    --workingCount;
    selected = lvGroupName.isEmpty() ? -1 : qMin(selected, int(lvGroupName.size()) - 1);
    cmdDeleteEnabled = !lvGroupName.isEmpty();
}

void EditTelListForm::cmdTelUserRename_Click(EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("EditTelList")};
    const QString name = ctx.ui.KeyInString(T(QStringLiteral("變更連絡人"), 1, 278),
                                            T(QStringLiteral("請輸入新連絡人名稱:"), 2, 278),
                                            lblTelUser, QString(), ValidUtil::kMaxNameLength);
    if (name == KeyInCancelMarker() || name == lblTelUser) return;
    if (ValidUtil::ValidUserName(ctx, name)) lblTelUser = name;
}

bool EditTelListForm::IsTelNumber(const QString& t) {
    const qsizetype start = t.startsWith(u'+') ? 1 : 0;
    if (t.size() <= start) return false;
    for (qsizetype i = start; i < t.size(); ++i)
        if (t[i] < u'0' || t[i] > u'9') return false;
    return true;
}

bool EditTelListForm::CheckTelNo(EditContext& ctx, const QString& text) {
    const MLText T{ctx.ml, QStringLiteral("EditTelList")};
    // Checked in the form it is stored in, separators removed; the message names them.
    const QString t = ValidUtil::StoredTelNo(text);
    if (t.isEmpty()) {
        ctx.ui.MsgBox(T(QStringLiteral("本電話簿不得為空！請再次輸入電話號碼。"), 1, 250),
                      vbOKOnly | vbCritical, T(QStringLiteral("本電話簿不得為空"), 2, 250));
        return false;
    }
    bool ok = true;
    if (!IsTelNumber(t)) {
        ctx.ui.MsgBox(
            T(QStringLiteral(" 電話號碼只能輸入數字！請再次輸入電話號碼。"), 1, 257) +
                VBUtil::kCrLf +
                T(QStringLiteral(
                      "可用字元：數字，開頭可加一個「+」；空格及「-」「.」「(」「)」會自動移除。"),
                  1, 20300),
            vbOKOnly | vbCritical, T(QStringLiteral("電話號碼只能輸入數字"), 2, 257));
        ok = false;
    }
    if (t.size() > kMaxTelDigits) {
        ctx.ui.MsgBox(T(QStringLiteral(" 電話號碼不得大於20個數字！請再次輸入電話號碼。"), 1, 255),
                      vbOKOnly | vbCritical, T(QStringLiteral("電話號碼不得大於20個數字"), 2, 255));
        ok = false;
    }
    return ok;
}

bool EditTelListForm::CheckFormObj(EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("EditTelList")};
    focusControl.clear();
    if (!CheckTelNo(ctx, txtTelNo)) {
        focusControl = QStringLiteral("txtTelNo");
        return false;
    }
    if (!ValidUtil::ValidText(ctx, txtTelDsc, loadedDsc, T(QStringLiteral("說明"), 1, 21010),
                              ValidUtil::kMaxDescriptionLength)) {
        focusControl = QStringLiteral("txtTelDsc");
        return false;
    }
    return true;
}

QStringList EditTelListForm::GroupNames() const {
    QStringList names;
    for (const GroupEntry& e : lvGroupName)
        names << e.name;
    return names;
}

bool EditTelListForm::cmdOK_Click(EditContext& ctx) {
    if (!CheckFormObj(ctx)) return false;
    txtTelNo = ValidUtil::StoredTelNo(txtTelNo);
    return KORVAUtil::SaveUser(ctx, oldName, lblTelUser, txtTelNo, txtTelDsc, chkIsDisable,
                               GroupNames(), removedCount, addedCount);
}
