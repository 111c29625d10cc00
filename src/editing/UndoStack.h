#pragma once
// The open project's undo history on Qt's QUndoStack (Qt Gui, hence beside the core): each
// step holds the four tables before and after its edit. It follows the project's life:
// opening or closing a project empties it, saving marks the clean step, and the modified
// flag follows the clean state. Undo and redo write only the working copy.
#include "editing/EditHistory.h"

#include <QObject>
#include <QUndoStack>

struct EditContext;

class UndoStack : public QObject, public EditHistory {
    Q_OBJECT
public:
    // Steps kept; older ones are dropped first.
    static constexpr int kLimit = 200;

    // Becomes ctx.history while it lives.
    explicit UndoStack(EditContext& ctx, QObject* parent = nullptr);
    ~UndoStack() override;

    void Push(const QString& text, ProjectSnapshot before, ProjectSnapshot after) override;
    bool Undo() override;
    bool Redo() override;
    bool CanUndo() const override { return m_stack.canUndo(); }
    bool CanRedo() const override { return m_stack.canRedo(); }
    QString UndoText() const override { return m_stack.undoText(); }
    QString RedoText() const override { return m_stack.redoText(); }
    int Count() const override { return m_stack.count(); }
    bool IsClean() const override { return m_stack.isClean(); }
    int Index() const { return m_stack.index(); }
    // The memory the steps hold, a table shared by neighbouring steps counted once.
    qint64 Bytes() const;
    const QUndoStack& Stack() const { return m_stack; }

Q_SIGNALS:
    // The steps, the position or the clean state changed: captions and items follow.
    void changed();

private:
    bool MoveTo(bool undo);
    void Follow();
    void Reset();

    EditContext& m_ctx;
    QUndoStack m_stack;
};
