#include "editing/BulkEdit.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "editing/EditContext.h"
#include "editing/EditTransaction.h"
#include "editing/EditWindows.h"
#include "editing/KORVAUtil.h"
#include "ml/MLText.h"
#include "store/KORVAMain.h"
#include "store/NodeTag.h"
#include "store/ProjectSchema.h"

#include <functional>

namespace BulkEdit {
namespace {
using ADOUtil::FieldText;
using namespace ProjectSchema;
using Write = std::function<bool(RowSet* rs, QString& why)>;
using Check = std::function<bool(const QString& key)>;

QString FailTitle(EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("EditCommands")};
    return T(QStringLiteral("變更多筆資料失敗"), 1, 22056);
}

QString ZoneMissing(EditContext& ctx, const QString& no) {
    const MLText Z{ctx.ml, QStringLiteral("EditZoneList")};
    return Z(QStringLiteral("找不到這個警報點["), 1, 9117) + no +
           Z(QStringLiteral("]，請按 F5 重新整理後再試一次。"), 2, 9117);
}

// Makes the row named key current: a contact by name, a zone by number. A row that is gone
// is told as the single-row commands tell it.
bool Locate(EditContext& ctx, bool zones, const QString& key) {
    OpenProject& p = ctx.project;
    if (!zones) {
        if (ADOUtil::LocateRecord(p.Users.get(), kUserName, key)) return true;
        KORVAUtil::RowMissing(ctx, key, FailTitle(ctx));
        return false;
    }
    if (ADOUtil::LocateRecord(p.Zones.get(), kZoneNo, key)) return true;
    ctx.ui.MsgBox(ZoneMissing(ctx, key), vbOKOnly | vbCritical, FailTitle(ctx));
    return false;
}

// Every row is located and passes check (which tells its own refusal); then write runs on
// each row in one transaction. False when refused or when the engine failed.
bool Apply(EditContext& ctx, bool zones, const QStringList& keys, const Check& check,
           const Write& write) {
    OpenProject& p = ctx.project;
    if (keys.isEmpty() || !p.RowSetsOpen()) return false;
    for (const QString& key : keys)
        if (!Locate(ctx, zones, key) || (check && !check(key))) return false;
    return EditTransaction::Run(ctx, FailTitle(ctx), [&](QString& why) {
        RowSet* rs = zones ? p.Zones.get() : p.Users.get();
        for (const QString& key : keys) {
            if (!ADOUtil::LocateRecord(rs, zones ? kZoneNo : kUserName, key)) {
                why = key;
                return false;
            }
            if (!write(rs, why)) return false;
        }
        return true;
    });
}

// After a commit: the leaves are greyed by their rows' flags, the list is rebuilt and the
// notification targets recounted.
void Announce(EditContext& ctx, bool zones, const QStringList& keys, std::optional<bool> grey) {
    const QString branch = zones ? NodeTags::kZones : NodeTags::kUsers;
    if (grey)
        for (const QString& key : keys)
            Q_EMIT ctx.editEvents.leafGreyed(branch + u',' + key, *grey);
    Q_EMIT ctx.editEvents.contentChanged();
    KORVAUtil::CountNotifyTargets(ctx);
    KORVAMain::SetModified(ctx, true);
}

bool SetAndSave(RowSet* rs, const QString& field, const QVariant& value, QString& why) {
    return EditTransaction::SetField(rs, field, value, why) && EditTransaction::SaveRow(rs, why);
}

// The contact editor's check on the located contact, as its OK would run it.
bool UserRulesHold(EditContext& ctx) {
    EditTelListForm& f = ctx.forms.editTelList;
    return f.LoadFormObj(ctx) && f.CheckFormObj(ctx);
}

// The zone editor's check on the located zone with change made, as its OK would run it.
bool ZoneRulesHold(EditContext& ctx, const std::function<void(EditZoneListForm&)>& change) {
    EditZoneListForm& f = ctx.forms.editZoneList;
    if (!f.LoadFormObj(ctx)) return false;
    if (change) change(f);
    return f.CheckFormObj(ctx);
}

// A membership list rebuilt by edit; nothing to write when it stays the same.
bool RewriteGroups(RowSet* rs, const std::function<QStringList(QStringList)>& edit, QString& why) {
    const QStringList old = KORVAUtil::SplitGroupList(FieldText(rs, kGroupName));
    const QStringList rebuilt = edit(old);
    if (rebuilt == old) return true;
    return SetAndSave(rs, kGroupName, KORVAUtil::JoinGroupList(rebuilt), why);
}

bool GroupExists(EditContext& ctx, const QString& group) {
    if (ADOUtil::LocateRecord(ctx.project.UserGroups.get(), kGroupName, group)) return true;
    KORVAUtil::RowMissing(ctx, group, FailTitle(ctx));
    return false;
}
} // namespace

bool DeleteUsers(EditContext& ctx, const QStringList& names) {
    const MLText T{ctx.ml, QStringLiteral("EditCommands")};
    if (names.isEmpty() || !ctx.project.RowSetsOpen()) return false;
    constexpr int kNamesShown = 10;
    QString question =
        T(QStringLiteral("確定是否要刪除這 %1 個連絡人?"), 1, 22050).arg(names.size()) +
        VBUtil::kCrLf + names.mid(0, kNamesShown).join(VBUtil::kCrLf);
    if (names.size() > kNamesShown)
        question += VBUtil::kCrLf +
                    T(QStringLiteral("……及其他 %1 個"), 2, 22050).arg(names.size() - kNamesShown);
    if (ctx.ui.MsgBox(question, vbYesNo | vbExclamation,
                      T(QStringLiteral("是否確定刪除這些連絡人"), 3, 22050)) != vbYes)
        return false;
    const bool done = Apply(ctx, false, names, {}, [](RowSet* rs, QString& why) {
        if (rs->Delete()) return true;
        why = rs->LastError();
        return false;
    });
    if (!done) return false;
    ctx.project.Users->MoveFirst();
    for (const QString& name : names)
        Q_EMIT ctx.editEvents.leafRemoved(NodeTags::kUsers + u',' + name);
    Announce(ctx, false, {}, std::nullopt);
    return true;
}

bool SetUsersDisabled(EditContext& ctx, const QStringList& names, bool disabled) {
    const bool done = Apply(
        ctx, false, names, [&](const QString&) { return UserRulesHold(ctx); },
        [&](RowSet* rs, QString& why) { return SetAndSave(rs, kIsDisable, disabled, why); });
    if (done) Announce(ctx, false, names, disabled);
    return done;
}

bool AddUsersToGroup(EditContext& ctx, const QStringList& names, const QString& group) {
    if (names.isEmpty() || !ctx.project.RowSetsOpen() || !GroupExists(ctx, group)) return false;
    // The memberships this adds, against the model's limits.
    int added = 0;
    for (const QString& name : names) {
        if (!Locate(ctx, false, name)) return false;
        if (!KORVAUtil::ListHoldsGroup(
                KORVAUtil::SplitGroupList(FieldText(ctx.project.Users.get(), kGroupName)), group))
            ++added;
    }
    const int targets = KORVAUtil::CountNotifyTargets(ctx) + added;
    if (!KORVAUtil::WithinUserLimits(ctx, KORVAUtil::CountUsers(ctx.project), targets))
        return false;
    const bool done = Apply(ctx, false, names, {}, [&](RowSet* rs, QString& why) {
        return RewriteGroups(
            rs,
            [&](QStringList list) {
                if (!KORVAUtil::ListHoldsGroup(list, group)) list << group;
                return list;
            },
            why);
    });
    if (done) Announce(ctx, false, {}, std::nullopt);
    return done;
}

bool MoveUsers(EditContext& ctx, const QStringList& names, const QString& fromGroup,
               const QString& toGroup) {
    if (names.isEmpty() || !ctx.project.RowSetsOpen() || !GroupExists(ctx, toGroup)) return false;
    if (fromGroup.compare(toGroup, Qt::CaseInsensitive) == 0) return false;
    // As the move of a whole group does it: the new group takes the old one's place.
    const bool done = Apply(ctx, false, names, {}, [&](RowSet* rs, QString& why) {
        return RewriteGroups(
            rs,
            [&](const QStringList& old) {
                const bool hadTarget = KORVAUtil::ListHoldsGroup(old, toGroup);
                QStringList rebuilt;
                for (const QString& element : old) {
                    if (element.compare(fromGroup, Qt::CaseInsensitive) != 0)
                        rebuilt << element;
                    else if (!hadTarget && !KORVAUtil::ListHoldsGroup(rebuilt, toGroup))
                        rebuilt << toGroup;
                }
                return rebuilt;
            },
            why);
    });
    if (done) Announce(ctx, false, {}, std::nullopt);
    return done;
}

bool RemoveUsersFromGroup(EditContext& ctx, const QStringList& names, const QString& group) {
    const bool done = Apply(ctx, false, names, {}, [&](RowSet* rs, QString& why) {
        return RewriteGroups(
            rs,
            [&](const QStringList& old) {
                QStringList kept;
                for (const QString& element : old)
                    if (element.compare(group, Qt::CaseInsensitive) != 0) kept << element;
                return kept;
            },
            why);
    });
    if (done) Announce(ctx, false, {}, std::nullopt);
    return done;
}

bool SetZonesTarget(EditContext& ctx, const QStringList& zoneNos, const QString& target) {
    if (target.compare(QStringLiteral("ALL"), Qt::CaseSensitive) != 0 && !GroupExists(ctx, target))
        return false;
    const bool done = Apply(
        ctx, true, zoneNos, [&](const QString&) { return ZoneRulesHold(ctx, {}); },
        [&](RowSet* rs, QString& why) { return SetAndSave(rs, kGroupName, target, why); });
    if (done) Announce(ctx, true, {}, std::nullopt);
    return done;
}

bool SetZonesDisabled(EditContext& ctx, const QStringList& zoneNos, bool disabled) {
    const bool done = Apply(
        ctx, true, zoneNos, [&](const QString&) { return ZoneRulesHold(ctx, {}); },
        [&](RowSet* rs, QString& why) { return SetAndSave(rs, kIsDisable, disabled, why); });
    if (done) Announce(ctx, true, zoneNos, disabled);
    return done;
}

bool ClearZonesReset(EditContext& ctx, const QStringList& zoneNos) {
    const bool done = Apply(
        ctx, true, zoneNos,
        [&](const QString&) {
            return ZoneRulesHold(ctx, [](EditZoneListForm& f) { f.txtResetSMS.clear(); });
        },
        [&](RowSet* rs, QString& why) { return SetAndSave(rs, kResetSMS, QString(), why); });
    if (done) Announce(ctx, true, {}, std::nullopt);
    return done;
}

std::optional<QString> PickGroup(EditContext& ctx, const QString& title, const QString& prompt,
                                 const QString& skip, bool allGroups) {
    const MLText M{ctx.ml, QStringLiteral("MoveUsers")};
    PickGroupForm& f = ctx.forms.pickGroup;
    f.caption = title;
    f.Label1 = prompt;
    f.cmbGroup.FillGroups(ctx.project, [&](const QString& g) {
        return !skip.isEmpty() && g.compare(skip, Qt::CaseInsensitive) == 0;
    });
    if (allGroups)
        f.cmbGroup.Add(QStringLiteral("ALL"), EditZoneListForm::AllGroupsCaption(ctx.ml));
    if (f.cmbGroup.items.isEmpty())
        f.cmbGroup.SetPlaceholder(M(QStringLiteral("無其它群組"), 1, 150));
    if (f.cmbGroup.index < 0 && !f.cmbGroup.items.isEmpty()) f.cmbGroup.index = 0;
    if (!ctx.ui.ShowModal(Windows::frmPickGroup)) return std::nullopt;
    const QString chosen = f.cmbGroup.SelectedName();
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}
} // namespace BulkEdit
