#pragma once
// The undo history of the open project as the editing layer sees it. The stack itself (Qt's
// QUndoStack, which lives in Qt Gui) implements this beside the core; the core only pushes
// finished steps and asks to move through them (EditCommands is the one door).
#include "editing/ProjectSnapshot.h"

#include <QString>

class EditHistory {
public:
    virtual ~EditHistory() = default;
    // A finished edit that changed the project: the tables before and after it.
    virtual void Push(const QString& text, ProjectSnapshot before, ProjectSnapshot after) = 0;
    // Restores the state before the last step done (after the next one undone); false, with
    // its message shown, when the working copy refused (the step then stays where it was).
    virtual bool Undo() = 0;
    virtual bool Redo() = 0;
    virtual bool CanUndo() const = 0;
    virtual bool CanRedo() const = 0;
    virtual QString UndoText() const = 0; // the step's name, empty when none
    virtual QString RedoText() const = 0;
    virtual int Count() const = 0;
    virtual bool IsClean() const = 0; // the project is as it was last saved or opened

    int running = 0;      // edits in progress: one inside another is part of the outer step
    SnapshotCache latest; // the tables as the last step left them
};
