#include "editing/KORVAUtil.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "editing/EditContext.h"
#include "editing/EditTransaction.h"
#include "editing/EditWindows.h"
#include "editing/ValidUtil.h"
#include "ml/MLText.h"
#include "store/KORVAMain.h"
#include "store/NodeTag.h"
#include "store/ProjectSchema.h"

namespace KORVAUtil {
namespace {
using NodeTags::kUserGroups;
using NodeTags::kUsers;
using ProjectSchema::kGroupName;
using ProjectSchema::kUserName;
using VBUtil::kCrLf;
const QString kStatus = QStringLiteral("Status");

using ADOUtil::FieldText;

bool OnRow(const RowSet* rs) {
    return rs && rs->IsOpen() && !rs->Eof() && !rs->Bof();
}

// Leaves of the project tree, by their tags: announced, the main window's tree follows.
void AddLeaf(EditContext& ctx, const QString& branchTag, const QString& caption,
             const QString& imageKey, const QString& tag) {
    Q_EMIT ctx.editEvents.leafAdded(branchTag, caption, imageKey, tag);
}

void RemoveLeaf(EditContext& ctx, const QString& tag) {
    Q_EMIT ctx.editEvents.leafRemoved(tag);
}

void RenameLeaf(EditContext& ctx, const QString& oldTag, const QString& caption,
                const QString& newTag) {
    Q_EMIT ctx.editEvents.leafRenamed(oldTag, caption, newTag);
}

void SelectLeaf(EditContext& ctx, const QString& tag) {
    Q_EMIT ctx.editEvents.leafSelected(tag);
}

// The first row whose field equals value with letter case ignored becomes current.
bool LocateIgnoringCase(RowSet* rs, const QString& field, const QString& value) {
    if (!rs || !rs->IsOpen()) return false;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        if (FieldText(rs, field).compare(value, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// Appends group to the contact's memberships (CR LF between, none after the last). Nothing to
// write when the contact already has it.
bool AppendMembership(RowSet* users, const QString& group, QString& why) {
    const QString old = FieldText(users, kGroupName);
    if (ListHoldsGroup(SplitGroupList(old), group)) return true;
    const QString list = old.isEmpty() ? group : old + kCrLf + group;
    return EditTransaction::SetField(users, kGroupName, list, why) &&
           EditTransaction::SaveRow(users, why);
}

} // namespace

void RowMissing(EditContext& ctx, const QString& key, const QString& title) {
    const MLText T{ctx.ml, QStringLiteral("KORVAUtil")};
    ctx.ui.MsgBox(T(QStringLiteral("找不到這筆資料["), 1, 9120) + key +
                      T(QStringLiteral("]，請按 F5 重新整理後再試一次。"), 2, 9120),
                  vbOKOnly | vbCritical,
                  title.isEmpty() ? T(QStringLiteral("找不到資料"), 3, 9120) : title);
}

QStringList SplitGroupList(const QString& list) {
    if (list.isEmpty()) return {};
    return list.split(kCrLf);
}

QString JoinGroupList(const QStringList& groups) {
    return groups.join(kCrLf);
}

bool ListHoldsGroup(const QStringList& groups, const QString& group) {
    return groups.contains(group, Qt::CaseInsensitive);
}

QStringList MembershipsOf(const OpenProject& project, const QString& userName) {
    if (!project.Users || !project.Users->IsOpen()) return {};
    auto rs = project.Users->Clone();
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        if (FieldText(rs.get(), kUserName).compare(userName, Qt::CaseInsensitive) == 0)
            return SplitGroupList(FieldText(rs.get(), kGroupName));
    return {};
}

QString ComboEntryText(const QString& name, const QString& description) {
    return description.isEmpty() ? name : name + u'(' + description + u')';
}

QString DefaultName(const RowSet* rs, const QString& field, const QString& prefix) {
    auto copy = rs && rs->IsOpen() ? rs->Clone() : nullptr;
    if (!copy || copy->RecordCount() == 0) return prefix + u'1';
    QStringList taken;
    for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext())
        taken << FieldText(copy.get(), field);
    for (int i = 1; i <= 99; ++i) {
        const QString name = prefix + QString::number(i);
        if (!taken.contains(name)) return name;
    }
    return {};
}

int CountNotifyTargets(EditContext& ctx) {
    int count = 0;
    if (RowSet* users = ctx.project.Users.get(); users && users->IsOpen()) {
        auto copy = users->Clone();
        for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext())
            count += int(SplitGroupList(FieldText(copy.get(), kGroupName)).size());
    }
    ctx.NotifyTargetCount = count;
    return count;
}

int CountUsers(const OpenProject& project) {
    int count = 0;
    if (project.Users && project.Users->IsOpen()) {
        auto copy = project.Users->Clone();
        for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext())
            if (!FieldText(copy.get(), kUserName).isEmpty()) ++count;
    }
    return count;
}

bool AddUserGroup(EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("KORVAUtil")};
    OpenProject& p = ctx.project;
    RowSet* groups = p.UserGroups.get();
    if (!groups) return false;
    const QString proposal = DefaultName(groups, kGroupName, QStringLiteral("UserGroup"));
    const QString name = ctx.ui.KeyInString(T(QStringLiteral("新增連絡人群組"), 1, 30),
                                            T(QStringLiteral("請輸入新連絡人群組名稱:"), 2, 30),
                                            proposal, QString(), ValidUtil::kMaxNameLength);
    if (name == KeyInCancelMarker()) return false;
    if (name.isEmpty()) {
        ctx.ui.MsgBox(T(QStringLiteral("新增連絡人群組名稱不得為空白。"), 1, 35) + kCrLf +
                          T(QStringLiteral("新增連絡人群組失敗。"), 2, 35),
                      vbOKOnly | vbCritical, T(QStringLiteral("新增連絡人群組失敗"), 3, 35));
        return false;
    }
    if (!ValidUtil::ValidUserGroupName(ctx, name)) return false;

    const bool added = EditTransaction::Run(
        ctx, T(QStringLiteral("新增連絡人群組失敗"), 3, 35), [&](QString& why) {
            RowSet* rs = p.UserGroups.get();
            return EditTransaction::AddNew(rs, why) &&
                   EditTransaction::SetField(rs, kGroupName, name, why) &&
                   EditTransaction::SetField(rs, ProjectSchema::kGroupDsc, QString(), why) &&
                   EditTransaction::SaveRow(rs, why);
        });
    if (!added) return false;

    AddLeaf(ctx, kUserGroups, name, QStringLiteral("UserGroups"), kUserGroups + u',' + name);
    Q_EMIT ctx.editEvents.contentChanged();
    // The description is entered at once, in the group editor on the new group.
    if (ADOUtil::LocateRecord(p.UserGroups.get(), kGroupName, name) &&
        ctx.forms.editGroupList.LoadFormObj(ctx, true))
        ctx.ui.ShowModal(Windows::frmEditGroupList);
    Q_EMIT ctx.editEvents.contentChanged();
    KORVAMain::SetModified(ctx, true);
    return true;
}

namespace {
// The confirmation of a group's delete: what it touches, the zones and members naming it exactly.
QString DeleteGroupQuestion(const EditContext& ctx, const QString& name) {
    const MLText T{ctx.ml, QStringLiteral("KORVAUtil")};
    const OpenProject& p = ctx.project;
    QStringList zoneLines;
    if (RowSet* zones = p.Zones.get(); zones && zones->IsOpen()) {
        for (zones->MoveFirst(); !zones->Eof(); zones->MoveNext())
            if (FieldText(zones, kGroupName) == name)
                zoneLines << FieldText(zones, ProjectSchema::kZoneNo) + QStringLiteral(" ,") +
                                 FieldText(zones, ProjectSchema::kZoneName);
    }
    QStringList userLines;
    if (RowSet* users = p.Users.get(); users && users->IsOpen()) {
        for (users->MoveFirst(); !users->Eof(); users->MoveNext())
            for (const QString& element : SplitGroupList(FieldText(users, kGroupName)))
                if (element == name)
                    userLines << FieldText(users, kUserName) + QStringLiteral(" ,") +
                                     FieldText(users, ProjectSchema::kPhoneNumber) +
                                     QStringLiteral(" ,") +
                                     FieldText(users, ProjectSchema::kUserDsc);
    }
    QString question = T(QStringLiteral("確定是否要刪除這個連絡人群組["), 1, 109) + name +
                       QStringLiteral("]?") + kCrLf;
    if (!zoneLines.isEmpty())
        question += T(QStringLiteral("下列警報點對應本連絡人群組之參照將被移除:"), 1, 104) + kCrLf +
                    zoneLines.join(kCrLf);
    question += kCrLf;
    if (!userLines.isEmpty())
        question += T(QStringLiteral("下列隸屬於本連絡人群組之連絡人["), 1, 139) +
                    QString::number(userLines.size()) + T(QStringLiteral("]將被移除:"), 2, 139) +
                    kCrLf + userLines.join(kCrLf);
    return question;
}

// The delete's cascade, inside its transaction: zones lose the group as their target, members
// their membership (letter case ignored), then the group's row goes.
bool CascadeGroupDelete(OpenProject& p, const QString& name, QString& why) {
    RowSet* zones = p.Zones.get();
    for (zones->MoveFirst(); !zones->Eof(); zones->MoveNext()) {
        if (FieldText(zones, kGroupName) != name) continue;
        if (!EditTransaction::SetField(zones, kGroupName, QString(), why) ||
            !EditTransaction::SaveRow(zones, why))
            return false;
    }
    RowSet* users = p.Users.get();
    for (users->MoveFirst(); !users->Eof(); users->MoveNext()) {
        const QStringList old = SplitGroupList(FieldText(users, kGroupName));
        QStringList kept;
        for (const QString& element : old)
            if (element.compare(name, Qt::CaseInsensitive) != 0) kept << element;
        if (kept.size() == old.size()) continue;
        if (!EditTransaction::SetField(users, kGroupName, JoinGroupList(kept), why) ||
            !EditTransaction::SaveRow(users, why))
            return false;
    }
    RowSet* rs = p.UserGroups.get();
    if (!rs->Delete()) {
        why = rs->LastError();
        return false;
    }
    return true;
}

} // namespace

bool DeleteUserGroup(EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("KORVAUtil")};
    OpenProject& p = ctx.project;
    RowSet* groups = p.UserGroups.get();
    if (!OnRow(groups)) {
        ctx.ui.MsgBox(T(QStringLiteral("GroupList資料表的CurrentRecord未指到可用的資料。"), 1, 64) +
                          kCrLf + T(QStringLiteral("刪除連絡人群組失敗。"), 2, 64),
                      vbOKOnly | vbCritical, T(QStringLiteral("刪除連絡人群組失敗"), 3, 64));
        return false;
    }
    const QString name = FieldText(groups, kGroupName);
    if (groups->Clone()->RecordCount() <= 1) {
        ctx.ui.MsgBox(T(QStringLiteral("不可刪除群組！"), 1, 93) +
                          T(QStringLiteral("群組至少留一組，不可全刪除。"), 2, 93),
                      vbOKOnly | vbExclamation, T(QStringLiteral("不可刪除群組"), 3, 93));
        return false;
    }

    const QString question = DeleteGroupQuestion(ctx, name);
    if (ctx.ui.MsgBox(question, vbYesNo | vbExclamation,
                      T(QStringLiteral("是否確定刪除這個連絡人群組"), 3, 109)) != vbYes)
        return false;

    ctx.ui.SetBusy(true);
    ctx.ui.SetStatusText(kStatus, T(QStringLiteral("正在刪除有關這個連絡人群組["), 2, 115) + name +
                                      T(QStringLiteral("]中的相關資料..."), 3, 115));
    const bool deleted =
        EditTransaction::Run(ctx, T(QStringLiteral("刪除連絡人群組失敗"), 3, 64),
                             [&](QString& why) { return CascadeGroupDelete(p, name, why); });
    if (deleted) {
        p.UserGroups->MoveFirst();
        RemoveLeaf(ctx, kUserGroups + u',' + name);
        Q_EMIT ctx.editEvents.contentChanged();
        KORVAMain::SetModified(ctx, true);
    }
    ctx.ui.SetStatusText(kStatus, QString());
    ctx.ui.SetBusy(false);
    return deleted;
}

bool RenameUserGroup(EditContext& ctx, const QString& oldName, const QString& newName,
                     const QString& description) {
    const MLText T{ctx.ml, QStringLiteral("KORVAUtil")};
    OpenProject& p = ctx.project;
    const QString failTitle = T(QStringLiteral("變更連絡人群組失敗"), 1, 9111);
    RowSet* groups = p.UserGroups.get();
    // The editor was opened on the group; find it again should anything have moved the row.
    if (!OnRow(groups) || FieldText(groups, kGroupName) != oldName) {
        if (!ADOUtil::LocateRecord(groups, kGroupName, oldName)) {
            RowMissing(ctx, oldName, failTitle);
            return false;
        }
    }
    const bool renamed = newName != oldName;
    const bool saved = EditTransaction::Run(ctx, failTitle, [&](QString& why) {
        if (renamed) {
            RowSet* users = p.Users.get();
            for (users->MoveFirst(); !users->Eof(); users->MoveNext()) {
                QStringList list = SplitGroupList(FieldText(users, kGroupName));
                bool member = false;
                for (QString& element : list)
                    if (element == oldName) {
                        element = newName;
                        member = true;
                    }
                if (!member) continue; // a row that does not change is not written
                if (!EditTransaction::SetField(users, kGroupName, JoinGroupList(list), why) ||
                    !EditTransaction::SaveRow(users, why))
                    return false;
            }
            RowSet* zones = p.Zones.get();
            for (zones->MoveFirst(); !zones->Eof(); zones->MoveNext()) {
                if (FieldText(zones, kGroupName) != oldName) continue;
                if (!EditTransaction::SetField(zones, kGroupName, newName, why) ||
                    !EditTransaction::SaveRow(zones, why))
                    return false;
            }
            if (!EditTransaction::SetField(groups, kGroupName, newName, why)) return false;
        }
        return EditTransaction::SetField(groups, ProjectSchema::kGroupDsc, description, why) &&
               EditTransaction::SaveRow(groups, why);
    });
    if (!saved) return false;

    // Zone leaves show no target, so only the group's leaf changes.
    if (renamed)
        RenameLeaf(ctx, kUserGroups + u',' + oldName, newName, kUserGroups + u',' + newName);
    Q_EMIT ctx.editEvents.contentChanged();
    // The content list moves the current rows; the editor's group stays the current one.
    ADOUtil::LocateRecord(p.UserGroups.get(), kGroupName, newName);
    KORVAMain::SetModified(ctx, true);
    return true;
}

bool WithinUserLimits(EditContext& ctx, int users, int targets) {
    const MLText T{ctx.ml, QStringLiteral("KORVAUtil")};
    const OpenProject& p = ctx.project;
    const QString max = QString::number(p.MaxTelNo);
    if (users > p.MaxTelNo) {
        ctx.ui.MsgBox(T(QStringLiteral("連絡人已超過最大筆數["), 1, 2003) + max +
                          T(QStringLiteral("]，不得再增加連絡人！"), 2, 2003),
                      vbOKOnly | vbExclamation, T(QStringLiteral("連絡人已超過最大筆數"), 3, 2003));
        return false;
    }
    if (targets > p.MaxTelNo) {
        ctx.ui.MsgBox(T(QStringLiteral("通知對象[群組/連絡人]已超過最大筆數["), 1, 208) + max +
                          T(QStringLiteral("]，不得再增加通知對象[群組/連絡人]！"), 2, 208),
                      vbOKOnly | vbExclamation,
                      T(QStringLiteral("通知對象[群組/連絡人]已超過最大筆數"), 3, 208));
        return false;
    }
    return true;
}

bool AddUser(EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("KORVAUtil")};
    OpenProject& p = ctx.project;
    if (!p.Users) return false;
    const QString proposal = DefaultName(p.Users.get(), kUserName, QStringLiteral("User"));
    CountNotifyTargets(ctx);
    const int users = CountUsers(p);
    if (!WithinUserLimits(ctx, users + 1, ctx.NotifyTargetCount + 1)) return false;

    AddUserForm& dlg = ctx.forms.addUser;
    dlg.LoadFormObj(ctx, proposal);
    ctx.ui.ShowModal(Windows::frmAddUser);
    // Blanks around a typed name would make two names that look alike.
    const QString name = dlg.resultName.trimmed();
    const QString group = dlg.resultGroup;
    if (name.isEmpty()) return false;
    if (!ValidUtil::ValidUserName(ctx, name)) return false;

    const bool added =
        EditTransaction::Run(ctx, T(QStringLiteral("新增連絡人失敗"), 1, 9112), [&](QString& why) {
            RowSet* rs = p.Users.get();
            return EditTransaction::AddNew(rs, why) &&
                   EditTransaction::SetField(rs, kUserName, name, why) &&
                   EditTransaction::SetField(rs, ProjectSchema::kPhoneNumber, QString(), why) &&
                   EditTransaction::SetField(rs, ProjectSchema::kUserDsc, QString(), why) &&
                   EditTransaction::SetField(rs, kGroupName, group, why) &&
                   EditTransaction::SaveRow(rs, why);
        });
    if (!added) return false;

    AddLeaf(ctx, kUsers, name, QStringLiteral("UserName"), kUsers + u',' + name);
    ctx.ui.DoEvents();
    CountNotifyTargets(ctx);
    Q_EMIT ctx.editEvents.contentChanged();
    // The telephone number is entered at once, in the contact editor on the new contact.
    if (ADOUtil::LocateRecord(p.Users.get(), kUserName, name) &&
        ctx.forms.editTelList.LoadFormObj(ctx))
        ctx.ui.ShowModal(Windows::frmEditTelList);
    Q_EMIT ctx.editEvents.contentChanged();
    KORVAMain::SetModified(ctx, true);
    return true;
}

bool DeleteUser(EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("KORVAUtil")};
    OpenProject& p = ctx.project;
    RowSet* users = p.Users.get();
    if (!OnRow(users)) {
        ctx.ui.MsgBox(T(QStringLiteral("TelList資料表的CurrentRecord未指到可用的資料。"), 1, 238) +
                          kCrLf + T(QStringLiteral("刪除連絡人名稱失敗。"), 2, 238),
                      vbOKOnly | vbCritical, T(QStringLiteral("刪除連絡人名稱失敗"), 3, 238));
        return false;
    }
    const QString name = FieldText(users, kUserName);
    const QString phone = FieldText(users, ProjectSchema::kPhoneNumber);
    if (ctx.ui.MsgBox(T(QStringLiteral("確定是否要刪除這個連絡人["), 1, 248) + name + u':' + phone +
                          QStringLiteral("]?"),
                      vbYesNo | vbExclamation,
                      T(QStringLiteral("是否確定刪除這個連絡人"), 3, 248)) != vbYes)
        return false;

    ctx.ui.SetBusy(true);
    ctx.ui.SetStatusText(kStatus, T(QStringLiteral("正在刪除這筆連絡人資料["), 2, 254) + name +
                                      T(QStringLiteral("]中..."), 3, 254));
    const bool deleted = EditTransaction::Run(ctx, T(QStringLiteral("刪除連絡人名稱失敗"), 3, 238),
                                              [&](QString& why) {
                                                  RowSet* rs = p.Users.get();
                                                  if (rs->Delete()) return true;
                                                  why = rs->LastError();
                                                  return false;
                                              });
    if (deleted) {
        p.Users->MoveFirst();
        RemoveLeaf(ctx, kUsers + u',' + name);
        Q_EMIT ctx.editEvents.contentChanged();
        // The contact took all of its memberships with it.
        CountNotifyTargets(ctx);
        KORVAMain::SetModified(ctx, true);
    }
    ctx.ui.SetStatusText(kStatus, QString());
    ctx.ui.SetBusy(false);
    return deleted;
}

bool SaveUser(EditContext& ctx, const QString& oldName, const QString& newName,
              const QString& phone, const QString& description, bool disabled,
              const QStringList& groups, int removedCount, int addedCount) {
    const MLText T{ctx.ml, QStringLiteral("KORVAUtil")};
    OpenProject& p = ctx.project;
    const QString failTitle = T(QStringLiteral("儲存連絡人失敗"), 1, 9113);
    if (!NodeTags::LocateCurRecord(p, {kUsers, oldName})) {
        RowMissing(ctx, oldName, failTitle);
        return false;
    }
    const bool saved = EditTransaction::Run(ctx, failTitle, [&](QString& why) {
        RowSet* rs = p.Users.get();
        if (newName != oldName && !EditTransaction::SetField(rs, kUserName, newName, why))
            return false;
        if (!phone.isEmpty() &&
            !EditTransaction::SetField(rs, ProjectSchema::kPhoneNumber, phone, why))
            return false;
        return EditTransaction::SetField(rs, ProjectSchema::kUserDsc, description, why) &&
               EditTransaction::SetField(rs, kGroupName, JoinGroupList(groups), why) &&
               EditTransaction::SetField(rs, ProjectSchema::kIsDisable, disabled, why) &&
               EditTransaction::SaveRow(rs, why);
    });
    if (!saved) return false;

    const QString tag = kUsers + u',' + newName;
    if (newName != oldName) RenameLeaf(ctx, kUsers + u',' + oldName, newName, tag);
    // The leaf is drawn grey while the contact is disabled.
    Q_EMIT ctx.editEvents.leafGreyed(tag, disabled);
    SelectLeaf(ctx, tag);
    Q_EMIT ctx.editEvents.contentChanged();
    ctx.NotifyTargetCount = ctx.NotifyTargetCount - removedCount + addedCount;
    KORVAMain::SetModified(ctx, true);
    return true;
}

bool MoveGroupMembers(EditContext& ctx, const QString& fromGroup, const QString& toGroup) {
    const MLText T{ctx.ml, QStringLiteral("KORVAUtil")};
    OpenProject& p = ctx.project;
    const bool moved =
        EditTransaction::Run(ctx, T(QStringLiteral("轉移連絡人失敗"), 1, 9114), [&](QString& why) {
            RowSet* users = p.Users.get();
            for (users->MoveFirst(); !users->Eof(); users->MoveNext()) {
                const QStringList old = SplitGroupList(FieldText(users, kGroupName));
                const bool hadTarget = ListHoldsGroup(old, toGroup);
                QStringList rebuilt;
                for (const QString& element : old) {
                    if (element.compare(fromGroup, Qt::CaseInsensitive) != 0) {
                        rebuilt << element;
                    } else if (!hadTarget && !ListHoldsGroup(rebuilt, toGroup)) {
                        rebuilt << toGroup;
                    }
                }
                if (rebuilt.isEmpty() || rebuilt == old) continue;
                if (!EditTransaction::SetField(users, kGroupName, JoinGroupList(rebuilt), why) ||
                    !EditTransaction::SaveRow(users, why))
                    return false;
            }
            return true;
        });
    if (!moved) return false;
    ADOUtil::LocateRecord(p.UserGroups.get(), kGroupName, toGroup);
    SelectLeaf(ctx, kUserGroups + u',' + toGroup);
    Q_EMIT ctx.editEvents.contentChanged();
    CountNotifyTargets(ctx);
    KORVAMain::SetModified(ctx, true);
    return true;
}

namespace {
// Adds group to the contact's memberships; with groupCurrent the group's row is made current
// before the list is rebuilt.
bool AddMembership(EditContext& ctx, const QString& userName, const QString& group,
                   bool groupCurrent) {
    const MLText T{ctx.ml, QStringLiteral("KORVAUtil")};
    OpenProject& p = ctx.project;
    const QString failTitle = T(QStringLiteral("加入連絡人群組失敗"), 1, 9115);
    if (!LocateIgnoringCase(p.Users.get(), kUserName, userName)) {
        RowMissing(ctx, userName, failTitle);
        return false;
    }
    if (!EditTransaction::Run(ctx, failTitle, [&](QString& why) {
            return AppendMembership(p.Users.get(), group, why);
        }))
        return false;
    if (groupCurrent) ADOUtil::LocateRecord(p.UserGroups.get(), kGroupName, group);
    Q_EMIT ctx.editEvents.contentChanged();
    CountNotifyTargets(ctx);
    KORVAMain::SetModified(ctx, true);
    return true;
}
} // namespace

bool AddUserToGroup(EditContext& ctx, const QString& group, const QString& userName) {
    return AddMembership(ctx, userName, group, true);
}

bool AddGroupToUser(EditContext& ctx, const QString& userName, const QString& group) {
    return AddMembership(ctx, userName, group, false);
}
} // namespace KORVAUtil
