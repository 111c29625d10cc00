#pragma once
// Edits of several rows at once: contacts by name, zones by number. Each checks every row
// with the rule functions of the single-row commands first and refuses the whole edit, with
// that rule's message, when one row would break it; then writes all rows in one transaction
// and brings the tree's leaves in line. Each is one undo step (EditCommands runs them).
#include <QString>
#include <QStringList>
#include <optional>

struct EditContext;

namespace BulkEdit {
// One confirmation naming how many and at most the first ten names.
bool DeleteUsers(EditContext& ctx, const QStringList& names);
// The contact editor's rule (the telephone number) holds for each contact.
bool SetUsersDisabled(EditContext& ctx, const QStringList& names, bool disabled);
// The model's limits hold with every new membership.
bool AddUsersToGroup(EditContext& ctx, const QStringList& names, const QString& group);
// The contacts leave fromGroup for toGroup; one that has toGroup already just leaves.
bool MoveUsers(EditContext& ctx, const QStringList& names, const QString& fromGroup,
               const QString& toGroup);
bool RemoveUsersFromGroup(EditContext& ctx, const QStringList& names, const QString& group);
// The zone editor's rule (the message lengths) holds for each zone as it would be saved.
bool SetZonesTarget(EditContext& ctx, const QStringList& zoneNos, const QString& target);
bool SetZonesDisabled(EditContext& ctx, const QStringList& zoneNos, bool disabled);
bool ClearZonesReset(EditContext& ctx, const QStringList& zoneNos);

// The group picker for the bulk commands: title, prompt, and the groups (all but skip; with
// allGroups also the zone editor's all-groups entry). The chosen name ("ALL" for that entry);
// none when cancelled or there is nothing to choose.
std::optional<QString> PickGroup(EditContext& ctx, const QString& title, const QString& prompt,
                                 const QString& skip, bool allGroups);
} // namespace BulkEdit
