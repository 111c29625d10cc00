#pragma once
// What the editing operations announce about the project tree's leaves, and the one thing
// they ask of it: the tag of the selected node. The main window's models listen.
#include <QObject>
#include <QString>
#include <functional>

class EditEvents : public QObject {
    Q_OBJECT
public:
    // Answered by the project tree: the selected node's tag; empty when nothing is selected.
    std::function<QString()> selectedTag;
    QString SelectedTag() const { return selectedTag ? selectedTag() : QString(); }

Q_SIGNALS:
    // A leaf was added under the branch with branchTag; it is then shown and selected.
    void leafAdded(const QString& branchTag, const QString& caption, const QString& imageKey,
                   const QString& tag);
    void leafRemoved(const QString& tag);
    // The leaf's caption and tag changed (a rename or a zone saved under a new name).
    void leafRenamed(const QString& oldTag, const QString& caption, const QString& newTag);
    void leafSelected(const QString& tag);
    // A leaf is shown grey when its row is disabled.
    void leafGreyed(const QString& tag, bool grey);
    // The rows behind the selected node changed: the content list is rebuilt.
    void contentChanged();
};
