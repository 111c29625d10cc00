#pragma once
// korvactl download with several ports: every dialer of a bench gets the project at once, each
// through a child korvactl of its own (MultiDownload), with one progress line per port, one
// confirmation for all and a table of the outcomes at the end.
#include <QStringList>

class QCommandLineParser;
class QDir;
class TerminalUi;
namespace ProjectCommands {
struct Invocation;
}

namespace BenchDownload {
// The ports of --port (all of them) and of --ports-from (one a line; blank lines and lines
// starting with # left out), in that order; portOf resolves each. False after the message
// when the file cannot be read.
bool Ports(TerminalUi& ui, const QCommandLineParser& args, const QDir& start,
           QString (*portOf)(const QString&, const QDir&), QStringList& ports);
// 0 only when every dialer took the whole project.
int Run(ProjectCommands::Invocation& in, const QStringList& ports);
} // namespace BenchDownload
