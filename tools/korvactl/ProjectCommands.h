#pragma once
// korvactl's project commands: check, image, download, sheet, export and import. Each works on
// a temporary copy of the project file (ProjectSession), so the file itself is never touched;
// an import that is agreed to saves the copy in its place, under the project's lock.
#include <QString>
#include <QTemporaryDir>
#include <memory>

struct AppContext;
class QCommandLineParser;
class QLockFile;
class TerminalUi;

namespace ProjectCommands {
constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kSomeRefused = 3; // import --skip-refused wrote the accepted rows, not all

// What a command is run with. project: the person's path (absolute), empty without one;
// start: the folder korvactl was started in, which every path given is taken from.
struct Invocation {
    AppContext& ctx;
    TerminalUi& ui;
    const QCommandLineParser& args;
    QString project;
    QString start;
    // The value of a path option, taken from the starting folder.
    QString Path(const QString& option) const;
};

// The project a command works on, opened from a copy in a folder of its own (same file name),
// closed and removed on every way out. For a command that writes, the project file's lock
// is held as the window holds it, and a read-only file is refused, before anything is read.
// Every message names the person's file, never the copy.
class ProjectSession {
public:
    ProjectSession(AppContext& ctx, TerminalUi& ui);
    ~ProjectSession();
    ProjectSession(const ProjectSession&) = delete;
    ProjectSession& operator=(const ProjectSession&) = delete;
    // False, after the message saying why, when the project cannot be worked on.
    bool Open(const QString& path, bool writes);

private:
    AppContext& m_ctx;
    TerminalUi& m_ui;
    QTemporaryDir m_dir;
    std::unique_ptr<QLockFile> m_lock;
    bool m_open = false;
};

// The pre-download check and the image summary; 0 when the project may be downloaded.
int Check(Invocation& in);
// Every record as it would be sent; --hex: the frames with their check code.
int Image(Invocation& in);
// The whole download into the device; 0 only when every record was acknowledged.
int Download(Invocation& in);
// The project sheet as a PDF file (--pdf) on the paper (--paper).
int Sheet(Invocation& in);
// The contacts or zones as a comma-separated file.
int Export(Invocation& in);
// Prints the verdict of every row of the file; writes nothing when a row is refused unless
// --skip-refused (then the exit code says some were); asks, and saves the accepted rows.
int Import(Invocation& in);

// Usage checks made before the program starts; kOk or kUsage after the message.
int SheetUsage(TerminalUi& ui, const QCommandLineParser& args);
int ExchangeUsage(TerminalUi& ui, const QCommandLineParser& args);
} // namespace ProjectCommands
