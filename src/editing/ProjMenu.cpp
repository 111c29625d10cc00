#include "editing/ProjMenu.h"

#include "db/ADOUtil.h"
#include "editing/EditCommands.h"
#include "editing/EditContext.h"
#include "editing/EditWindows.h"
#include "editing/KORVAUtil.h"
#include "ml/MLText.h"
#include "store/NodeTag.h"
#include "store/ProjectSchema.h"

namespace ProjMenu {
namespace {
using NodeTags::kUserGroups;
using NodeTags::kUsers;
using NodeTags::kZones;

// The model's limit of notification targets, tested before a dialog that adds one opens.
bool TargetRoomLeft(EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    KORVAUtil::CountNotifyTargets(ctx);
    if (ctx.NotifyTargetCount + 1 <= ctx.project.MaxTelNo) return true;
    ctx.ui.MsgBox(T(QStringLiteral("通知對象[群組/連絡人]已超過最大筆數["), 1, 2005) +
                      QString::number(ctx.project.MaxTelNo) +
                      T(QStringLiteral("]，不得再增加通知對象[群組/連絡人]！"), 2, 2005),
                  vbOKOnly | vbExclamation,
                  T(QStringLiteral("通知對象[群組/連絡人]已超過最大筆數"), 3, 2005));
    return false;
}

// The row key of the selected leaf; empty for a branch or no selection.
QString SelectedKey(const EditContext& ctx) {
    return NodeTag::Parse(ctx.editEvents.SelectedTag()).key.value_or(QString());
}
} // namespace

ProjMenuState mnuProj_Click(EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    ProjMenuState s;
    if (!ctx.project.IsOpen()) return s;
    s.mnuProjAddGroupList.enabled = true;
    s.mnuProjAddTelList.enabled = true;

    const QString tag = ctx.editEvents.SelectedTag();
    if (tag.isEmpty()) return s;
    const NodeTag parsed = NodeTag::Parse(tag);
    const QString& kind = parsed.kind;

    if (parsed.IsBranch()) {
        if (kind == kUsers) {
            s.mnuProjEditGroupList.caption = T(QStringLiteral("編輯連絡人群組"), 1, 872);
            s.mnuProjDeleteGroupList.caption = T(QStringLiteral("刪除連絡人群組"), 1, 874);
            s.mnuProjAddGroupList.caption = T(QStringLiteral("新增連絡人群組"), 1, 876);
            s.mnuProjEditTelList.caption = T(QStringLiteral("編輯連絡人"), 1, 878);
            s.mnuProjDeleteTelList.caption = T(QStringLiteral("刪除連絡人"), 1, 880);
            s.mnuProjAddTelList.caption = T(QStringLiteral("新增連絡人"), 1, 882);
            s.mnuProjEditZoneList.caption = T(QStringLiteral("編輯警報點"), 1, 884);
        }
        // The root, the groups and the zones branch locate nothing.
        return s;
    }
    if (parsed.IsLeaf()) {
        const QString& key = *parsed.key;
        if (kind == kUserGroups) {
            s.mnuProjEditGroupList = {true, T(QStringLiteral("編輯連絡人群組["), 1, 1030) + key +
                                                T(QStringLiteral("]"), 2, 1030)};
            s.mnuProjDeleteGroupList = {true, T(QStringLiteral("刪除連絡人群組["), 1, 1032) + key +
                                                  T(QStringLiteral("]"), 2, 1032)};
        } else {
            s.mnuProjEditGroupList.caption = T(QStringLiteral("編輯連絡人群組"), 1, 872);
            s.mnuProjDeleteGroupList.caption = T(QStringLiteral("刪除連絡人群組"), 1, 874);
        }
        s.mnuProjAddGroupList.caption = T(QStringLiteral("新增連絡人群組"), 1, 876);
        // A contact leaf reaches its editor and its deletion from here as from the pop-up.
        if (kind == kUsers) {
            s.mnuProjEditTelList = {true, T(QStringLiteral("編輯連絡人["), 1, 9601) + key + u']'};
            s.mnuProjDeleteTelList = {true, T(QStringLiteral("刪除連絡人["), 1, 9602) + key + u']'};
        } else {
            s.mnuProjEditTelList.caption = T(QStringLiteral("編輯連絡人"), 1, 878);
            s.mnuProjDeleteTelList.caption = T(QStringLiteral("刪除連絡人"), 1, 880);
        }
        if (kind == kZones)
            s.mnuProjEditZoneList = {true, T(QStringLiteral("編輯警報點["), 1, 919) + key + u']'};
        else
            s.mnuProjEditZoneList.caption = T(QStringLiteral("編輯警報點"), 1, 922);
    }
    NodeTags::LocateCurRecord(ctx.project, parsed);
    return s;
}

// Each command is one undo step, named after the row it concerns.
namespace {
// The current row's field, as the opening rule located it; empty when there is none.
QString Current(const RowSet* rs, const QString& field) {
    return rs && rs->IsOpen() && !rs->Eof() && !rs->Bof() ? ADOUtil::FieldText(rs, field)
                                                          : QString();
}
} // namespace

void mnuProjAddGroupList_Click(EditContext& ctx) {
    const MLText S{ctx.ml, QStringLiteral("EditCommands")};
    const QString format = S(QStringLiteral("新增群組[%1]"), 1, 22010);
    EditCommands::Step(
        ctx, [&](const QString& leaf) { return format.arg(leaf); },
        [&] { KORVAUtil::AddUserGroup(ctx); });
}
void mnuProjAddTelList_Click(EditContext& ctx) {
    const MLText S{ctx.ml, QStringLiteral("EditCommands")};
    const QString format = S(QStringLiteral("新增連絡人[%1]"), 1, 22014);
    EditCommands::Step(
        ctx, [&](const QString& leaf) { return format.arg(leaf); },
        [&] { KORVAUtil::AddUser(ctx); });
}
void mnuProjDeleteGroupList_Click(EditContext& ctx) {
    const MLText S{ctx.ml, QStringLiteral("EditCommands")};
    const QString name = S(QStringLiteral("刪除群組[%1]"), 1, 22013)
                             .arg(Current(ctx.project.UserGroups.get(), ProjectSchema::kGroupName));
    EditCommands::Step(
        ctx, [&](const QString&) { return name; }, [&] { KORVAUtil::DeleteUserGroup(ctx); });
}
void mnuProjDeleteTelList_Click(EditContext& ctx) {
    const MLText S{ctx.ml, QStringLiteral("EditCommands")};
    const QString name = S(QStringLiteral("刪除連絡人[%1]"), 1, 22016)
                             .arg(Current(ctx.project.Users.get(), ProjectSchema::kUserName));
    EditCommands::Step(
        ctx, [&](const QString&) { return name; }, [&] { KORVAUtil::DeleteUser(ctx); });
}

// The editors open on the current row; when the selected leaf's row was not found, the user
// hears so instead of seeing an empty editor.
void mnuProjEditGroupList_Click(EditContext& ctx) {
    const MLText S{ctx.ml, QStringLiteral("EditCommands")};
    const QString old = Current(ctx.project.UserGroups.get(), ProjectSchema::kGroupName);
    const QString edited = S(QStringLiteral("編輯群組[%1]"), 1, 22011).arg(old);
    const QString renamed = S(QStringLiteral("重新命名群組[%1]"), 1, 22012);
    EditCommands::Step(
        ctx,
        [&](const QString& leaf) {
            return leaf.isEmpty() || leaf == old ? edited : renamed.arg(leaf);
        },
        [&] {
            if (ctx.forms.editGroupList.LoadFormObj(ctx, false))
                ctx.ui.ShowModal(Windows::frmEditGroupList);
            else
                KORVAUtil::RowMissing(ctx, SelectedKey(ctx));
        });
}

void mnuProjEditTelList_Click(EditContext& ctx) {
    const MLText S{ctx.ml, QStringLiteral("EditCommands")};
    const QString name = S(QStringLiteral("編輯連絡人[%1]"), 1, 22015)
                             .arg(Current(ctx.project.Users.get(), ProjectSchema::kUserName));
    EditCommands::Step(
        ctx, [&](const QString&) { return name; },
        [&] {
            if (ctx.forms.editTelList.LoadFormObj(ctx))
                ctx.ui.ShowModal(Windows::frmEditTelList);
            else
                KORVAUtil::RowMissing(ctx, SelectedKey(ctx));
        });
}

void mnuProjEditZoneList_Click(EditContext& ctx) {
    const MLText S{ctx.ml, QStringLiteral("EditCommands")};
    const QString name = S(QStringLiteral("編輯警報點[#%1]"), 1, 22017)
                             .arg(Current(ctx.project.Zones.get(), ProjectSchema::kZoneNo));
    EditCommands::Step(
        ctx, [&](const QString&) { return name; },
        [&] {
            if (ctx.forms.editZoneList.LoadFormObj(ctx))
                ctx.ui.ShowModal(Windows::frmEditZoneList);
            else
                KORVAUtil::RowMissing(ctx, SelectedKey(ctx));
        });
}

namespace {
struct Selection {
    bool valid = false;
    NodeTag parsed;
};

// The selected node's tag, split; a branch is told by its kind, never by its caption.
Selection Selected(const EditContext& ctx) {
    Selection s;
    const QString tag = ctx.editEvents.SelectedTag();
    if (tag.isEmpty()) return s;
    s.valid = true;
    s.parsed = NodeTag::Parse(tag);
    return s;
}
} // namespace

void mnuProjConentAddGroup_Click(EditContext& ctx, const std::optional<QString>& listItem) {
    const Selection sel = Selected(ctx);
    if (!sel.valid || !TargetRoomLeft(ctx)) return;
    QString contact;
    if (sel.parsed.kind == kUsers && sel.parsed.IsLeaf())
        contact = *sel.parsed.key;
    else if (sel.parsed.IsBranch() && sel.parsed.kind == kUsers && listItem)
        contact = *listItem;
    else
        return;
    const MLText S{ctx.ml, QStringLiteral("EditCommands")};
    const QString format = S(QStringLiteral("將[%1]加入群組[%2]"), 1, 22018);
    EditCommands::Step(
        ctx,
        [&](const QString&) {
            return format.arg(contact, ctx.forms.addUserGroup.cmbUserGroups.SelectedName());
        },
        [&] {
            ctx.forms.addUserGroup.LoadFormObj(ctx, contact);
            ctx.ui.ShowModal(Windows::frmAddUserGroup);
        });
}

// The group a pop-up command acts on: the selected group leaf, or the group picked in the
// list of the groups node.
static std::optional<QString> SelectedGroup(const EditContext& ctx,
                                            const std::optional<QString>& listItem) {
    const Selection sel = Selected(ctx);
    if (!sel.valid) return std::nullopt;
    if (sel.parsed.kind == kUserGroups && sel.parsed.IsLeaf()) return sel.parsed.key;
    if (sel.parsed.IsBranch() && sel.parsed.kind == kUserGroups && listItem) return *listItem;
    return std::nullopt;
}

void mnuProjConentAddUser_Click(EditContext& ctx, const std::optional<QString>& listItem) {
    const auto group = SelectedGroup(ctx, listItem);
    if (!group || !TargetRoomLeft(ctx)) return;
    const MLText S{ctx.ml, QStringLiteral("EditCommands")};
    const QString format = S(QStringLiteral("將[%1]加入群組[%2]"), 1, 22018);
    EditCommands::Step(
        ctx,
        [&](const QString&) {
            return format.arg(ctx.forms.addOtherUser.cmbAddUser.SelectedName(), *group);
        },
        [&] {
            ctx.forms.addOtherUser.LoadFormObj(ctx, *group);
            ctx.ui.ShowModal(Windows::frmAddOtherUser);
        });
}

void mnuProjConentMoveUser_Click(EditContext& ctx, const std::optional<QString>& listItem) {
    const auto group = SelectedGroup(ctx, listItem);
    if (!group) return;
    const MLText S{ctx.ml, QStringLiteral("EditCommands")};
    const QString format = S(QStringLiteral("將群組[%1]的連絡人轉移到[%2]"), 1, 22019);
    EditCommands::Step(
        ctx,
        [&](const QString&) {
            return format.arg(*group, ctx.forms.moveUsers.cmbMoveGroup.SelectedName());
        },
        [&] {
            ctx.forms.moveUsers.LoadFormObj(ctx, *group);
            ctx.ui.ShowModal(Windows::frmMoveUsers);
        });
}
} // namespace ProjMenu
