#include "editing/EditCommands.h"

#include "db/ADOUtil.h"
#include "editing/BulkEdit.h"
#include "editing/EditContext.h"
#include "ml/MLText.h"
#include "store/KORVAMain.h"
#include "store/ProjectSchema.h"
#include "store/StoreWindows.h"

namespace EditCommands {
namespace {
// Runs a bulk edit of count rows as one step named by the format with the count (and arg).
bool BulkStep(EditContext& ctx, const QString& format, qsizetype count, const QString& arg,
              const std::function<bool()>& edit) {
    return Step(
        ctx,
        [&](const QString&) {
            return arg.isNull() ? format.arg(count) : format.arg(QString::number(count), arg);
        },
        [&] { edit(); });
}
} // namespace

bool Step(EditContext& ctx, const std::function<QString(const QString& leafName)>& name,
          const std::function<void()>& edit) {
    EditHistory* h = ctx.history;
    if (!h || h->running > 0 || !ctx.project.IsOpen()) {
        edit();
        return false;
    }
    const ProjectSnapshot before = ProjectSnapshots::Take(ctx.project, h->latest);
    // The name of a leaf the edit adds or renames names the step.
    QString leaf;
    const auto added =
        QObject::connect(&ctx.editEvents, &EditEvents::leafAdded,
                         [&leaf](const QString&, const QString& caption, const QString&,
                                 const QString&) { leaf = caption; });
    const auto renamed = QObject::connect(
        &ctx.editEvents, &EditEvents::leafRenamed,
        [&leaf](const QString&, const QString& caption, const QString&) { leaf = caption; });
    ++h->running;
    edit();
    --h->running;
    QObject::disconnect(added);
    QObject::disconnect(renamed);
    if (ctx.history != h || !ctx.project.IsOpen()) return false;
    const ProjectSnapshot after = ProjectSnapshots::Take(ctx.project, h->latest);
    if (!before.IsValid() || !after.IsValid()) return false;
    if (before == after) {
        // An edit that wrote what was there marks nothing: the marker follows the history.
        KORVAMain::SetModified(ctx, !h->IsClean());
        return false;
    }
    h->Push(name(leaf), before, after);
    return true;
}

bool EditBasic(EditContext& ctx, const std::function<void()>& show) {
    const MLText T{ctx.ml, QStringLiteral("EditCommands")};
    const QString name = T(QStringLiteral("編輯專案摘要資訊"), 1, 22020);
    return Step(
        ctx, [&](const QString&) { return name; },
        [&] {
            if (show)
                show();
            else
                ctx.ui.ShowModal(Windows::frmProjBasic);
        });
}

bool ImportCsv(EditContext& ctx, CsvExchange::Table table) {
    const MLText T{ctx.ml, QStringLiteral("EditCommands")};
    const QString name = table == CsvExchange::Table::Contacts
                             ? T(QStringLiteral("匯入連絡人"), 1, 22021)
                             : T(QStringLiteral("匯入警報點"), 1, 22022);
    return Step(
        ctx, [&](const QString&) { return name; }, [&] { CsvExchange::ImportCommand(ctx, table); });
}

bool DeleteUsers(EditContext& ctx, const QStringList& names) {
    const MLText T{ctx.ml, QStringLiteral("EditCommands")};
    return BulkStep(ctx, T(QStringLiteral("刪除 %1 個連絡人"), 1, 22030), names.size(), {},
                    [&] { return BulkEdit::DeleteUsers(ctx, names); });
}

bool SetUsersDisabled(EditContext& ctx, const QStringList& names, bool disabled) {
    const MLText T{ctx.ml, QStringLiteral("EditCommands")};
    const QString format = disabled ? T(QStringLiteral("暫停使用 %1 個連絡人"), 1, 22032)
                                    : T(QStringLiteral("啟用 %1 個連絡人"), 1, 22031);
    return BulkStep(ctx, format, names.size(), {},
                    [&] { return BulkEdit::SetUsersDisabled(ctx, names, disabled); });
}

bool AddUsersToGroup(EditContext& ctx, const QStringList& names,
                     const std::optional<QString>& group) {
    const MLText T{ctx.ml, QStringLiteral("EditCommands")};
    if (names.isEmpty()) return false;
    const auto chosen =
        group
            ? group
            : BulkEdit::PickGroup(
                  ctx, T(QStringLiteral("加入群組"), 1, 22051),
                  T(QStringLiteral("請挑選 %1 個連絡人要加入的群組:"), 2, 22051).arg(names.size()),
                  QString(), false);
    if (!chosen) return false;
    return BulkStep(ctx, T(QStringLiteral("將 %1 個連絡人加入群組[%2]"), 1, 22033), names.size(),
                    *chosen, [&] { return BulkEdit::AddUsersToGroup(ctx, names, *chosen); });
}

bool MoveUsers(EditContext& ctx, const QStringList& names, const QString& fromGroup,
               const std::optional<QString>& toGroup) {
    const MLText T{ctx.ml, QStringLiteral("EditCommands")};
    if (names.isEmpty()) return false;
    const auto chosen =
        toGroup ? toGroup
                : BulkEdit::PickGroup(ctx, T(QStringLiteral("轉移到其它群組"), 1, 22052),
                                      T(QStringLiteral("將 %1 個連絡人從群組[%2]轉移到:"), 2, 22052)
                                          .arg(QString::number(names.size()), fromGroup),
                                      fromGroup, false);
    if (!chosen) return false;
    return BulkStep(ctx, T(QStringLiteral("將 %1 個連絡人轉移到群組[%2]"), 1, 22034), names.size(),
                    *chosen, [&] { return BulkEdit::MoveUsers(ctx, names, fromGroup, *chosen); });
}

bool RemoveUsersFromGroup(EditContext& ctx, const QStringList& names, const QString& group) {
    const MLText T{ctx.ml, QStringLiteral("EditCommands")};
    return BulkStep(ctx, T(QStringLiteral("將 %1 個連絡人移出群組[%2]"), 1, 22035), names.size(),
                    group, [&] { return BulkEdit::RemoveUsersFromGroup(ctx, names, group); });
}

bool SetZonesTarget(EditContext& ctx, const QStringList& zoneNos,
                    const std::optional<QString>& target) {
    const MLText T{ctx.ml, QStringLiteral("EditCommands")};
    if (zoneNos.isEmpty()) return false;
    const auto chosen =
        target
            ? target
            : BulkEdit::PickGroup(
                  ctx, T(QStringLiteral("設定通知對象"), 1, 22053),
                  T(QStringLiteral("請挑選 %1 個警報點的通知對象:"), 2, 22053).arg(zoneNos.size()),
                  QString(), true);
    if (!chosen) return false;
    return BulkStep(ctx, T(QStringLiteral("設定 %1 個警報點的通知對象[%2]"), 1, 22036),
                    zoneNos.size(), *chosen,
                    [&] { return BulkEdit::SetZonesTarget(ctx, zoneNos, *chosen); });
}

bool SetZonesDisabled(EditContext& ctx, const QStringList& zoneNos, bool disabled) {
    const MLText T{ctx.ml, QStringLiteral("EditCommands")};
    const QString format = disabled ? T(QStringLiteral("暫停使用 %1 個警報點"), 1, 22038)
                                    : T(QStringLiteral("啟用 %1 個警報點"), 1, 22037);
    return BulkStep(ctx, format, zoneNos.size(), {},
                    [&] { return BulkEdit::SetZonesDisabled(ctx, zoneNos, disabled); });
}

bool ClearZonesReset(EditContext& ctx, const QStringList& zoneNos) {
    const MLText T{ctx.ml, QStringLiteral("EditCommands")};
    return BulkStep(ctx, T(QStringLiteral("清除 %1 個警報點的警報復歸訊息"), 1, 22039),
                    zoneNos.size(), {}, [&] { return BulkEdit::ClearZonesReset(ctx, zoneNos); });
}

bool Undo(EditContext& ctx) {
    return ctx.history && ctx.history->running == 0 && ctx.history->Undo();
}
bool Redo(EditContext& ctx) {
    return ctx.history && ctx.history->running == 0 && ctx.history->Redo();
}
bool CanUndo(const EditContext& ctx) {
    return ctx.history && ctx.history->CanUndo();
}
bool CanRedo(const EditContext& ctx) {
    return ctx.history && ctx.history->CanRedo();
}

QString UndoCaption(const EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("EditCommands")};
    if (!CanUndo(ctx)) return T(QStringLiteral("復原"), 1, 22001);
    return T(QStringLiteral("復原 %1"), 2, 22001).arg(ctx.history->UndoText());
}

QString RedoCaption(const EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("EditCommands")};
    if (!CanRedo(ctx)) return T(QStringLiteral("重做"), 1, 22002);
    return T(QStringLiteral("重做 %1"), 2, 22002).arg(ctx.history->RedoText());
}
} // namespace EditCommands
