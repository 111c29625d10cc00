#pragma once
// What the project store announces: the windows listening bring themselves in line.
#include <QObject>

class StoreEvents : public QObject {
    Q_OBJECT
Q_SIGNALS:
    // A project was opened and its row sets are ready.
    void projectOpened();
    // The open project was closed (or could no longer be worked on): nothing is open.
    void projectClosed();
    // The recent-files list changed.
    void recentFilesChanged();
    // The open project's modified flag changed.
    void modifiedChanged(bool modified);
    // The working copy was copied to the project file at path.
    void projectSaved(const QString& path);
    // The project's tables were put back to an earlier or later state (undo, redo) and its
    // row sets reopened: every view of its rows is rebuilt.
    void projectRestored();
};
