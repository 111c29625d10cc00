#pragma once
// Contact groups and contacts: adding, renaming, deleting, the group memberships and the
// notification-target count. Every operation writes into the open project at once, keeps the
// project tree's one leaf in step, rebuilds the content list and marks the project modified.
// An operation of several writes is one transaction: it is applied whole or not at all.
//
// A contact's groups are kept in Users.GroupName as names joined by CR LF, with no separator
// after the last; an empty text means no group. A zone's target (Zones.GroupName) is one
// group name, "ALL" or empty.
#include <QString>
#include <QStringList>

struct EditContext;
struct OpenProject;
class RowSet;

namespace KORVAUtil {
// The elements of a membership list; an empty text has none.
QStringList SplitGroupList(const QString& list);
QString JoinGroupList(const QStringList& groups);
// Whether the list names the group, letter case ignored.
bool ListHoldsGroup(const QStringList& groups, const QString& group);
// The stored memberships of the contact named userName (letter case ignored).
QStringList MembershipsOf(const OpenProject& project, const QString& userName);
// How a group or contact is shown in a combo box: the name alone, or name(description).
QString ComboEntryText(const QString& name, const QString& description);

// prefix + i for the smallest i from 1 to 99 that no row's field equals; prefix + "1" for an
// empty table; empty when all 99 are taken. The row set's current row does not move.
QString DefaultName(const RowSet* rs, const QString& field, const QString& prefix);

// Tells that the row named key is gone (the tree no longer matches the file), titled title,
// or "找不到資料" when title is empty.
void RowMissing(EditContext& ctx, const QString& key, const QString& title = {});

// Recounts the notification targets (one per element of every non-empty membership list)
// into ctx.NotifyTargetCount and returns it.
int CountNotifyTargets(EditContext& ctx);
// The contacts with a name.
int CountUsers(const OpenProject& project);

// Asks for a name, validates it, appends the group, adds its leaf and opens the group editor
// on it. False when cancelled or refused.
bool AddUserGroup(EditContext& ctx);
// Deletes the group at the current UserGroups row after confirmation: its zones lose their
// target, its contacts lose the membership (letter case ignored). The last group stays.
bool DeleteUserGroup(EditContext& ctx);
// Confirms the group editor: the description, and with a new name the rename of every
// membership and zone target that names the old one exactly.
bool RenameUserGroup(EditContext& ctx, const QString& oldName, const QString& newName,
                     const QString& description);

// Whether the model can hold this many contacts and notification targets; otherwise the
// limit's message (contacts first) and false.
bool WithinUserLimits(EditContext& ctx, int users, int targets);
// Checks the model's limits, asks for the name and first group, appends the contact, adds its
// leaf and opens the contact editor on it. False when refused or cancelled.
bool AddUser(EditContext& ctx);
// Deletes the contact at the current Users row after confirmation.
bool DeleteUser(EditContext& ctx);
// Confirms the contact editor (the telephone number was checked before). groups in the
// editor's order; the two counts are the entries removed and added while it was open.
bool SaveUser(EditContext& ctx, const QString& oldName, const QString& newName,
              const QString& phone, const QString& description, bool disabled,
              const QStringList& groups, int removedCount, int addedCount);

// Moves every contact of fromGroup (letter case ignored) into toGroup; a contact that already
// has toGroup just leaves fromGroup.
bool MoveGroupMembers(EditContext& ctx, const QString& fromGroup, const QString& toGroup);
// Adds group to the memberships of the contact named userName (letter case ignored).
bool AddUserToGroup(EditContext& ctx, const QString& group, const QString& userName);
bool AddGroupToUser(EditContext& ctx, const QString& userName, const QString& group);
} // namespace KORVAUtil
