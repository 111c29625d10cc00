#pragma once
// korvactl's commands over the download history: history (the attempts) and diff (two
// projects, or a project and the last image sent to a dialer, compared by content).
#include <QString>
#include <QStringList>

struct AppContext;
class TerminalUi;

namespace HistoryCommands {
struct Options {
    QString historyPath; // empty: the per-user file
    QString device;      // --device SN
    QString project;     // --project FILE (absolute)
    bool json = false;
};

bool Handles(const QString& command);
// Exit codes: history 0, or 2 when the history cannot be read; diff 0 equal, 1 different,
// 2 on an error. files: the positional arguments after the command, absolute.
int History(AppContext& ctx, TerminalUi& ui, const Options& o);
int Diff(AppContext& ctx, TerminalUi& ui, const QStringList& files, const Options& o);
} // namespace HistoryCommands
