#pragma once
// The edits of the open project as the windows call them: one function per edit, each run as
// one undo step, and the history's own commands. A window never builds a step: it calls one
// function here (or a Project menu command, which runs through Step the same way).
#include "editing/CsvExchange.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct EditContext;

namespace EditCommands {
// Runs edit as one undo step. The step is named by name() once the edit is over (the names of
// the leaves it added or renamed are given to it). A step that changed nothing (cancelled,
// refused by a rule, failed) is not kept. An edit run inside another is part of that one.
// True when a step was kept.
bool Step(EditContext& ctx, const std::function<QString(const QString& leafName)>& name,
          const std::function<void()>& edit);

// The project-information dialog (its Unicode switch included), shown by `show` (the Ui's
// modal window when not given).
bool EditBasic(EditContext& ctx, const std::function<void()>& show = {});
// A whole CSV import.
bool ImportCsv(EditContext& ctx, CsvExchange::Table table);

// Several rows of the content list at once (contacts by name, zones by number).
bool DeleteUsers(EditContext& ctx, const QStringList& names);
bool SetUsersDisabled(EditContext& ctx, const QStringList& names, bool disabled);
// Asks for the group (unless given) and adds it to each contact.
bool AddUsersToGroup(EditContext& ctx, const QStringList& names,
                     const std::optional<QString>& group = std::nullopt);
// Asks for the group (unless given) the contacts move to from fromGroup.
bool MoveUsers(EditContext& ctx, const QStringList& names, const QString& fromGroup,
               const std::optional<QString>& toGroup = std::nullopt);
bool RemoveUsersFromGroup(EditContext& ctx, const QStringList& names, const QString& group);
// Asks for the target (unless given: a group name or "ALL").
bool SetZonesTarget(EditContext& ctx, const QStringList& zoneNos,
                    const std::optional<QString>& target = std::nullopt);
bool SetZonesDisabled(EditContext& ctx, const QStringList& zoneNos, bool disabled);
bool ClearZonesReset(EditContext& ctx, const QStringList& zoneNos);

// The history.
bool Undo(EditContext& ctx);
bool Redo(EditContext& ctx);
bool CanUndo(const EditContext& ctx);
bool CanRedo(const EditContext& ctx);
// "Undo Delete contact [Mary Chen]"; the bare word when there is nothing to undo.
QString UndoCaption(const EditContext& ctx);
QString RedoCaption(const EditContext& ctx);
} // namespace EditCommands
