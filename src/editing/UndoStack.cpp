#include "editing/UndoStack.h"

#include "base/VBUtil.h"
#include "editing/EditContext.h"
#include "editing/KORVAUtil.h"
#include "ml/MLText.h"
#include "store/KORVAMain.h"

#include <QSet>
#include <QUndoCommand>

namespace {
// One step: the tables before and after its edit. The edit was done when it is pushed, and
// UndoStack writes the tables before it moves the stack, so the command itself does nothing.
class SnapshotStep : public QUndoCommand {
public:
    SnapshotStep(const QString& text, ProjectSnapshot b, ProjectSnapshot a)
        : before(std::move(b)), after(std::move(a)) {
        setText(text);
    }
    void undo() override {}
    void redo() override {}
    ProjectSnapshot before;
    ProjectSnapshot after;
};

const SnapshotStep* StepAt(const QUndoStack& stack, int index) {
    return static_cast<const SnapshotStep*>(stack.command(index));
}
} // namespace

UndoStack::UndoStack(EditContext& ctx, QObject* parent) : QObject(parent), m_ctx(ctx) {
    m_stack.setUndoLimit(kLimit);
    m_ctx.history = this;
    connect(&m_ctx.storeEvents, &StoreEvents::projectOpened, this, &UndoStack::Reset);
    connect(&m_ctx.storeEvents, &StoreEvents::projectClosed, this, &UndoStack::Reset);
    connect(&m_ctx.storeEvents, &StoreEvents::projectSaved, this, [this] {
        m_stack.setClean();
        Q_EMIT changed();
    });
    connect(&m_stack, &QUndoStack::indexChanged, this, &UndoStack::changed);
    connect(&m_stack, &QUndoStack::cleanChanged, this, &UndoStack::changed);
}

UndoStack::~UndoStack() {
    if (m_ctx.history == this) m_ctx.history = nullptr;
}

// A project opened with unsaved work (a recovered working copy) has no clean step.
void UndoStack::Reset() {
    m_stack.clear();
    if (m_ctx.project.IsOpen() && m_ctx.project.IsModified) m_stack.resetClean();
    Q_EMIT changed();
}

void UndoStack::Push(const QString& text, ProjectSnapshot before, ProjectSnapshot after) {
    // Neighbouring steps share the tables they have in common.
    if (m_stack.index() > 0) before.ShareWith(StepAt(m_stack, m_stack.index() - 1)->after);
    after.ShareWith(before);
    m_stack.push(new SnapshotStep(text, std::move(before), std::move(after)));
    Follow();
}

bool UndoStack::Undo() {
    return m_stack.canUndo() && MoveTo(true);
}

bool UndoStack::Redo() {
    return m_stack.canRedo() && MoveTo(false);
}

bool UndoStack::MoveTo(bool undo) {
    const MLText T{m_ctx.ml, QStringLiteral("EditCommands")};
    const SnapshotStep* step = StepAt(m_stack, undo ? m_stack.index() - 1 : m_stack.index());
    QString why;
    const bool restored = ProjectSnapshots::Restore(m_ctx, undo ? step->before : step->after, why);
    if (restored) {
        if (undo)
            m_stack.undo();
        else
            m_stack.redo();
    }
    // The row sets were reopened either way: the views read them again.
    Q_EMIT m_ctx.storeEvents.projectRestored();
    KORVAUtil::CountNotifyTargets(m_ctx);
    if (!restored) {
        m_ctx.ui.MsgBox(T(QStringLiteral("無法復原或重做這個步驟，專案內容維持不變。"), 1, 22054) +
                            VBUtil::kCrLf + T(QStringLiteral("原因: ["), 2, 22054) + why + u']',
                        vbOKOnly | vbCritical, T(QStringLiteral("復原失敗"), 3, 22054));
        return false;
    }
    Follow();
    return true;
}

void UndoStack::Follow() {
    KORVAMain::SetModified(m_ctx, !m_stack.isClean());
    Q_EMIT changed();
}

qint64 UndoStack::Bytes() const {
    QSet<const TableImage*> seen;
    qint64 n = 0;
    for (int i = 0; i < m_stack.count(); ++i) {
        const SnapshotStep* step = StepAt(m_stack, i);
        for (const ProjectSnapshot* s : {&step->before, &step->after})
            for (const auto& t : s->tables)
                if (t && !seen.contains(t.get())) {
                    seen.insert(t.get());
                    n += t->Bytes();
                }
    }
    return n;
}
