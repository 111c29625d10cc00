#pragma once
// The project file lifecycle. A project is one ".cmb" database file; while it is open every
// edit goes into its working copy beside it (same folder and base name, ".mir"). Saving
// copies the working copy back over the project file, atomically; closing deletes the
// working copy. The recent-files list keeps the last four projects opened.
#include <QString>
#include <array>

struct StoreContext;
struct MLState;
namespace ProjectLock {
struct Holder;
}
namespace FileUtil {
enum class Kind;
}

struct RecentMenuItem {
    QString caption;
    bool enabled = false;
    bool visible = false;
};

namespace KORVAMain {
// The recent-files list holds this many projects.
constexpr int kRecentFileCount = 4;
// SaveProject's results.
constexpr int kSaved = 0;     // saved, or nothing to save
constexpr int kNotSaved = 1;  // the user chose not to save
constexpr int kCancelled = 2; // the user cancelled, or the save failed: keep everything open

// "../Project" beside the program folder: where project files are offered.
QString ProjectFolder(const StoreContext& ctx);
// "Project<i>.cmb" for the smallest i from 1 to 99 free in the project folder; empty when none.
QString DefaultNewName(const StoreContext& ctx);
// A chosen name without an extension gets ".cmb"; any other name stays as it is.
QString WithProjectExtension(const QString& path);
// The working copy of a project file: same folder and base name, extension ".mir".
QString WorkingPathOf(const QString& projectPath);
// Copies a database file together with the write-ahead log or journal beside it, so that
// opening the copy sees what the engine would see in the file itself (a log's commits, a hot
// journal rolled back) while the file is never written. Any old copy at to is replaced.
bool CopyDatabase(const QString& from, const QString& to);
// What a look at a project file found.
enum class ProjectCheck {
    Ok,
    NotProject,
    Damaged,
    Unsupported, // a database holding what a project never holds (code, over-long values)
};
// Whether a database file is a project of ours (a sound database with the four tables and
// their fields, and the Basic row). Checks the file in place: give it a private copy.
ProjectCheck CheckProjectFile(const QString& path);
// The same for any file; reads a copy, so the file itself is never touched.
bool IsProjectFile(const QString& path);

// What a path holds that is not a regular file ("a FIFO", "a folder", ...), for messages.
QString KindText(const MLState& ml, FileUtil::Kind kind);
// The messages of a project file held by another running program, and of a read-only project
// file that a save would replace (pointing to Save As); korvactl shows the window's.
void ShowLocked(StoreContext& ctx, const QString& path, const ProjectLock::Holder& holder);
// True, after the read-only message, when the project file may not be replaced.
bool RefuseReadOnly(StoreContext& ctx, const QString& path);

// File > New: asks for the new file, then closes the open project (with the save prompt),
// copies the template there and opens it.
void NewProject(StoreContext& ctx);
// Opens the project at path (an empty path asks with the open dialog). True when opened.
bool OpenProject(StoreContext& ctx, const QString& path);
// Copies the working copy over the project file. force: even without changes; ask: ask
// first; allowCancel: the question offers Cancel. Returns kSaved, kNotSaved or kCancelled.
int SaveProject(StoreContext& ctx, bool force, bool ask, bool allowCancel);
// File > Save As: the working copy, with its unsaved changes, becomes a new project file,
// which is then the open project. The old project file is not touched.
void SaveProjectAs(StoreContext& ctx);
// Closes the open project after the save prompt: kSaved when closed or nothing was open,
// kCancelled when the user cancelled (or the save failed) and the project stays open.
int CloseProject(StoreContext& ctx);

// Sets the open project's modified flag and announces a change of it.
void SetModified(StoreContext& ctx, bool modified);

// Puts path first in the recent-files list (at most four entries) and stores the list.
void AddToRecentFiles(StoreContext& ctx, const QString& path);
// Rewrites the MRUList table from the list.
void StoreRecentFiles(StoreContext& ctx);
// The four recent-file menu items: entry i as caption, enabled and visible; beyond the
// list's count an empty caption, disabled and hidden.
std::array<RecentMenuItem, kRecentFileCount> mkRecentFilePathMenu(const StoreContext& ctx);
} // namespace KORVAMain
