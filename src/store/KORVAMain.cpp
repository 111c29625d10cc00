#include "store/KORVAMain.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "db/FileUtil.h"
#include "store/ProjectSchema.h"
#include "store/StoreContext.h"
#include "store/SystemDb.h"
#include "store/SystemSchema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace KORVAMain {
namespace {
using VBUtil::kCrLf;
const QString kStatus = QStringLiteral("Status");

QString FileNameOf(const QString& path) {
    return QFileInfo(path).fileName();
}
QString BaseNameOf(const QString& path) {
    return QFileInfo(path).completeBaseName();
}
bool HasProjectExtension(const QString& path) {
    return path.right(4) == QLatin1String(".cmb");
}

// A file name that is not a project's: said the same way by Open, New and Save As.
void WrongExtensionMessage(StoreContext& ctx, const QString& path) {
    ctx.ui.MsgBox(
        GetMLText(ctx.ml, QStringLiteral("本專案無法開啟！"), 1, 165, QStringLiteral("KORVAMain")) +
            kCrLf +
            GetMLText(ctx.ml, QStringLiteral("因為專案檔名["), 2, 165,
                      QStringLiteral("KORVAMain")) +
            FileNameOf(path) +
            GetMLText(ctx.ml, QStringLiteral("]不屬於[.cmb]，導致本專案無法開啟。"), 3, 165,
                      QStringLiteral("KORVAMain")),
        vbOKOnly | vbCritical,
        GetMLText(ctx.ml, QStringLiteral("本專案無法執行"), 4, 165, QStringLiteral("KORVAMain")));
}

// The main window's file dialog: it starts in the project folder until it has been used,
// then keeps the folder of its last use; the current directory goes back to the program
// folder afterwards, whatever the outcome.
std::optional<QString> AskFile(StoreContext& ctx, FileDialogKind kind, const QString& title,
                               const QString& filter, const QString& defaultName) {
    FileDialogSetup setup;
    setup.title = title;
    setup.filter = filter;
    setup.initialDir = ctx.dlgFolder.isEmpty() ? ProjectFolder(ctx) : ctx.dlgFolder;
    setup.defaultName = defaultName;
    setup.overwritePrompt = false; // the store asks its own question
    setup.fileMustExist = false;
    setup.defaultSuffix = QStringLiteral("cmb");
    const std::optional<QString> chosen = ctx.ui.FileDialog(kind, setup);
    QDir::setCurrent(ctx.programFolder);
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    const QString path = WithProjectExtension(*chosen);
    const QFileInfo fi(path);
    ctx.dlgFolder = fi.absolutePath();
    ctx.dlgFileName = fi.fileName();
    return path;
}

void EndBusy(StoreContext& ctx) {
    ctx.ui.SetBusy(false);
    ctx.ui.SetStatusText(kStatus, QString());
}

// Sets a date field of the one Basic row to today and saves the row.
bool StampBasicDate(::OpenProject& p, const QString& field) {
    RowSet* rs = p.Basic.get();
    if (!rs || !rs->IsOpen()) return false;
    rs->MoveFirst();
    if (rs->Eof()) return false;
    if (!rs->SetField(field, QDate::currentDate()) || !rs->Update()) {
        rs->CancelUpdate();
        return false;
    }
    return true;
}

// A working copy copied from a project file must not meet the journal of an earlier working
// copy (left by a crash): the engine would roll that journal back into the fresh copy.
void RemoveJournals(const QString& dbPath) {
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        FileUtil::DeleteFileIfExists(dbPath + QLatin1String(suffix));
}

void ResetProjectState(::OpenProject& p) {
    p.ProjName.clear();
    p.ProjPath.clear();
    p.MirPath.clear();
    p.IsModified = false;
}

void ShowNotAProject(StoreContext& ctx, const QString& path) {
    ctx.ui.MsgBox(
        GetMLText(ctx.ml, QStringLiteral("開啟專案失敗。"), 1, 214, QStringLiteral("KORVAMain")) +
            kCrLf +
            GetMLText(ctx.ml, QStringLiteral("專案檔案["), 2, 214, QStringLiteral("KORVAMain")) +
            path +
            GetMLText(ctx.ml, QStringLiteral("]不是本系統的專案檔案，無法開啟。"), 3, 214,
                      QStringLiteral("KORVAMain")),
        vbOKOnly | vbCritical,
        GetMLText(ctx.ml, QStringLiteral("開啟專案失敗"), 4, 214, QStringLiteral("KORVAMain")));
}

// Reopens the working copy after it was copied (or failed to be). When even that fails, the
// project can no longer be worked on: it is closed, and the working copy stays on the disk.
bool ReopenWorkingCopy(StoreContext& ctx) {
    ::OpenProject& p = ctx.project;
    if (ADOUtil::OpenProjectDB(p, ctx.ui, p.MirPath)) return true;
    ADOUtil::CloseProjectDB(p);
    ctx.ui.MsgBox(
        GetMLText(ctx.ml, QStringLiteral("專案工作檔案["), 1, 320, QStringLiteral("KORVAMain")) +
            p.MirPath +
            GetMLText(ctx.ml, QStringLiteral("]無法重新開啟，專案已關閉。"), 2, 320,
                      QStringLiteral("KORVAMain")),
        vbOKOnly | vbCritical,
        GetMLText(ctx.ml, QStringLiteral("專案開啟失敗"), 3, 320, QStringLiteral("KORVAMain")));
    ResetProjectState(p);
    Q_EMIT ctx.storeEvents.projectClosed();
    return false;
}
} // namespace

QString ProjectFolder(const StoreContext& ctx) {
    return QDir::cleanPath(QDir(ctx.programFolder).absoluteFilePath(QStringLiteral("../Project")));
}

QString DefaultNewName(const StoreContext& ctx) {
    const QDir folder(ProjectFolder(ctx));
    for (int i = 1; i <= 99; ++i) {
        const QString name =
            QStringLiteral("Project") + QString::number(i) + QStringLiteral(".cmb");
        if (!FileUtil::FileExists(folder.filePath(name))) return name;
    }
    return {};
}

QString WithProjectExtension(const QString& path) {
    return QFileInfo(path).suffix().isEmpty() && !path.endsWith(u'.')
               ? path + QStringLiteral(".cmb")
               : path;
}

// The name the Open dialog offers: the file chosen last, while it exists, so that the name box
// never holds a name the Open button refuses.
static QString OpenDialogName(const StoreContext& ctx) {
    const QString folder = ctx.dlgFolder.isEmpty() ? ProjectFolder(ctx) : ctx.dlgFolder;
    return !ctx.dlgFileName.isEmpty() &&
                   FileUtil::FileExists(QDir(folder).filePath(ctx.dlgFileName))
               ? ctx.dlgFileName
               : QString();
}

QString WorkingPathOf(const QString& projectPath) {
    const QFileInfo fi(projectPath);
    return QDir(fi.path()).filePath(fi.completeBaseName() + QStringLiteral(".mir"));
}

bool IsProjectFile(const QString& path) {
    QTemporaryDir tmp;
    if (!tmp.isValid()) return false;
    const QString copy = tmp.filePath(QStringLiteral("check.db"));
    if (!QFile::copy(path, copy)) return false;
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    Connection conn;
    ConnectionString cs;
    cs.dataSource = copy;
    if (!conn.Open(cs)) return false;
    using namespace ProjectSchema;
    const struct {
        const QString& table;
        QStringList fields;
    } kSchema[] = {
        {kBasic,
         {kCreatedBy, kProjectDsc, kIsUnicode, kCreatedDate, kModifiedDate, kDeviceModelName}},
        {kUserGroups, {kGroupName, kGroupDsc}},
        {kUsers, {kUserName, kPhoneNumber, kIsDisable, kUserDsc, kGroupName}},
        {kZones, {kZoneNo, kZoneName, kZoneDsc, kGroupName, kAlarmSMS, kResetSMS, kIsDisable}},
    };
    for (const auto& t : kSchema) {
        auto rs = RowSet::OpenTable(conn, t.table);
        if (!rs) return false;
        for (const QString& f : t.fields)
            if (!rs->HasField(f)) return false;
        if (t.table == kBasic && rs->RecordCount() < 1) return false;
    }
    return true;
}

bool OpenProject(StoreContext& ctx, const QString& pathIn) {
    QString path = pathIn;
    if (path.isEmpty()) {
        const auto chosen = AskFile(
            ctx, FileDialogKind::Open,
            GetMLText(ctx.ml, QStringLiteral("開啟專案"), 1, 135, QStringLiteral("KORVAMain")),
            GetMLText(ctx.ml, QStringLiteral("Quillon設定檔案,(*.cmb)|*.cmb"), 1, 142,
                      QStringLiteral("KORVAMain")),
            OpenDialogName(ctx));
        if (!chosen) return false;
        path = *chosen;
    }
    if (!HasProjectExtension(path)) {
        WrongExtensionMessage(ctx, path);
        return false;
    }
    if (!FileUtil::FileExists(path)) {
        ctx.ui.MsgBox(
            GetMLText(ctx.ml, QStringLiteral("本專案檔案路徑["), 1, 160,
                      QStringLiteral("KORVAMain")) +
                path +
                GetMLText(ctx.ml, QStringLiteral("]不存在。"), 2, 160, QStringLiteral("KORVAMain")),
            vbOKOnly | vbCritical,
            GetMLText(ctx.ml, QStringLiteral("專案開啟失敗"), 3, 160, QStringLiteral("KORVAMain")));
        return false;
    }
    // A file that is not one of our projects is refused before the open project is touched.
    if (!IsProjectFile(path)) {
        ShowNotAProject(ctx, path);
        return false;
    }
    if (ctx.project.IsOpen() && CloseProject(ctx) == kCancelled) return false;

    ::OpenProject& p = ctx.project;
    ctx.ui.SetBusy(true);
    ctx.ui.SetStatusText(
        kStatus,
        GetMLText(ctx.ml, QStringLiteral("專案["), 2, 176, QStringLiteral("KORVAMain")) +
            BaseNameOf(path) +
            GetMLText(ctx.ml, QStringLiteral("]開啟中..."), 3, 176, QStringLiteral("KORVAMain")));
    const QString mir = WorkingPathOf(path);
    if (!FileUtil::CopyFileAtomic(path, mir)) {
        EndBusy(ctx);
        ctx.ui.MsgBox(
            GetMLText(ctx.ml, QStringLiteral("開啟專案失敗。"), 1, 210,
                      QStringLiteral("KORVAMain")) +
                kCrLf +
                GetMLText(ctx.ml, QStringLiteral("專案檔案["), 2, 210,
                          QStringLiteral("KORVAMain")) +
                path +
                GetMLText(ctx.ml, QStringLiteral("]檔案無法開啟。"), 3, 210,
                          QStringLiteral("KORVAMain")),
            vbOKOnly | vbCritical,
            GetMLText(ctx.ml, QStringLiteral("開啟專案失敗"), 4, 210, QStringLiteral("KORVAMain")));
        return false;
    }
    RemoveJournals(mir);
    if (!ADOUtil::OpenProjectDB(p, ctx.ui, mir)) {
        ADOUtil::CloseProjectDB(p);
        FileUtil::DeleteFileIfExists(mir);
        EndBusy(ctx);
        ShowNotAProject(ctx, path);
        return false;
    }
    p.ProjPath = path;
    p.ProjName = BaseNameOf(path);
    p.MirPath = mir;

    QString model;
    if (RowSet* basic = p.Basic.get(); ADOUtil::GetRecordCount(basic) > 0) {
        basic->MoveFirst();
        model = ADOUtil::NullToStr(basic->Field(ProjectSchema::kDeviceModelName));
    }
    const ModelCapacity cap = SystemDB::LookupModel(ctx.sysdb, model);
    if (cap.found) {
        p.MaxTelNo = cap.MaxTelNo;
        p.MaxMemoryByte = cap.MaxMemoryByte;
    }
    AddToRecentFiles(ctx, path);
    p.IsModified = false;
    Q_EMIT ctx.storeEvents.projectOpened();
    EndBusy(ctx);
    return true;
}

void NewProject(StoreContext& ctx) {
    const QString defaultName = DefaultNewName(ctx);
    QString path;
    for (;;) {
        const auto chosen = AskFile(
            ctx, FileDialogKind::Save,
            GetMLText(ctx.ml, QStringLiteral("開新專案"), 1, 84, QStringLiteral("KORVAMain")),
            GetMLText(ctx.ml, QStringLiteral("Quillon設定檔案,(*.cmb)|*.cmb|所有檔案,(*.*)|*.*"), 1,
                      89, QStringLiteral("KORVAMain")),
            defaultName);
        if (!chosen) return;
        path = *chosen;
        // A name the open would refuse is refused now, before any file is created or replaced.
        if (!HasProjectExtension(path)) {
            WrongExtensionMessage(ctx, path);
            return;
        }
        if (!FileUtil::FileExists(path)) break;
        const MsgResult answer = ctx.ui.MsgBox(
            GetMLText(ctx.ml, QStringLiteral("檔案["), 1, 103, QStringLiteral("KORVAMain")) + path +
                GetMLText(ctx.ml, QStringLiteral("]已經存在，您要取代現存的檔案嗎？"), 2, 103,
                          QStringLiteral("KORVAMain")),
            vbYesNo | vbExclamation,
            GetMLText(ctx.ml, QStringLiteral("此檔案已經存在"), 3, 103,
                      QStringLiteral("KORVAMain")));
        // The existing file is replaced by the copy below in one step, so a failed copy
        // leaves it as it was.
        if (answer == vbYes) break;
    }
    // The open project is closed only now that the new name stands.
    if (ctx.project.IsOpen() && CloseProject(ctx) == kCancelled) return;
    const QString templatePath = QDir(ctx.programFolder).filePath(QStringLiteral("RV27.mdb"));
    if (!FileUtil::CopyFileAtomic(templatePath, path)) {
        ctx.ui.MsgBox(
            GetMLText(ctx.ml, QStringLiteral("開新專案失敗。"), 1, 121,
                      QStringLiteral("KORVAMain")) +
                kCrLf +
                GetMLText(ctx.ml, QStringLiteral("專案檔案["), 2, 121,
                          QStringLiteral("KORVAMain")) +
                path +
                GetMLText(ctx.ml, QStringLiteral("]檔案無法複製。"), 3, 121,
                          QStringLiteral("KORVAMain")),
            vbOKOnly | vbCritical,
            GetMLText(ctx.ml, QStringLiteral("開新專案失敗"), 4, 121, QStringLiteral("KORVAMain")));
        return;
    }
    // The creation date goes into the new file itself too, so that a project closed without
    // any change still carries it.
    {
        Connection conn;
        ConnectionString cs;
        cs.dataSource = path;
        if (conn.Open(cs))
            conn.Execute(QStringLiteral("UPDATE Basic SET CreatedDate=?1"), {QDate::currentDate()});
    }
    if (!OpenProject(ctx, path)) return;
    StampBasicDate(ctx.project, ProjectSchema::kCreatedDate);
}

int SaveProject(StoreContext& ctx, bool force, bool ask, bool allowCancel) {
    ::OpenProject& p = ctx.project;
    if (!p.IsOpen()) return kSaved;
    if (!force) {
        if (!p.IsModified) return kSaved;
        if (ask && allowCancel) {
            const MsgResult answer = ctx.ui.MsgBox(
                GetMLText(ctx.ml, QStringLiteral("您要將變更儲存到專案["), 1, 279,
                          QStringLiteral("KORVAMain")) +
                    p.ProjName +
                    GetMLText(ctx.ml, QStringLiteral("]?"), 2, 279, QStringLiteral("KORVAMain")),
                vbYesNoCancel | vbQuestion,
                GetMLText(ctx.ml, QStringLiteral("是否儲存專案"), 3, 279,
                          QStringLiteral("KORVAMain")));
            if (answer == vbCancel) return kCancelled;
            if (answer == vbNo) return kNotSaved;
            StampBasicDate(p, ProjectSchema::kModifiedDate);
        } else if (ask) {
            const MsgResult answer = ctx.ui.MsgBox(
                GetMLText(ctx.ml, QStringLiteral("您要將變更儲存到專案["), 1, 292,
                          QStringLiteral("KORVAMain")) +
                    p.ProjName +
                    GetMLText(ctx.ml, QStringLiteral("]?"), 2, 292, QStringLiteral("KORVAMain")),
                vbYesNo | vbQuestion,
                GetMLText(ctx.ml, QStringLiteral("是否儲存專案"), 3, 292,
                          QStringLiteral("KORVAMain")));
            if (answer == vbNo) return kNotSaved;
        }
    }
    ADOUtil::CloseProjectDB(p);
    if (!FileUtil::CopyFileAtomic(p.MirPath, p.ProjPath)) {
        ctx.ui.MsgBox(
            GetMLText(ctx.ml, QStringLiteral("儲存專案失敗。"), 1, 316,
                      QStringLiteral("KORVAMain")) +
                kCrLf +
                GetMLText(ctx.ml, QStringLiteral("專案檔案["), 2, 316,
                          QStringLiteral("KORVAMain")) +
                p.ProjPath +
                GetMLText(ctx.ml, QStringLiteral("]檔案無法儲存。"), 3, 316,
                          QStringLiteral("KORVAMain")),
            vbOKOnly | vbCritical,
            GetMLText(ctx.ml, QStringLiteral("儲存專案失敗"), 4, 316, QStringLiteral("KORVAMain")));
        // The project file keeps its last saved state; the changes stay in the working copy,
        // which is reopened so that work can go on. Nothing that follows a save (a close,
        // another open) may discard them.
        ReopenWorkingCopy(ctx);
        return kCancelled;
    }
    if (!ReopenWorkingCopy(ctx)) return kSaved;
    SetModified(ctx, false);
    StampBasicDate(p, ProjectSchema::kModifiedDate);
    Q_EMIT ctx.storeEvents.projectSaved(p.ProjPath);
    return kSaved;
}

void SaveProjectAs(StoreContext& ctx) {
    ::OpenProject& p = ctx.project;
    if (!p.IsOpen()) return;
    const auto chosen = AskFile(
        ctx, FileDialogKind::Save,
        GetMLText(ctx.ml, QStringLiteral("另存專案"), 1, 403, QStringLiteral("KORVAMain")),
        GetMLText(ctx.ml, QStringLiteral("Quillon設定檔案,(*.cbm)|*.cmb|所有檔案,(*.*)|*.*"), 1,
                  408, QStringLiteral("KORVAMain")),
        DefaultNewName(ctx));
    if (!chosen) return;
    const QString path = *chosen;
    // The new file must be one the open accepts, or the project would end up closed.
    if (!HasProjectExtension(path)) {
        WrongExtensionMessage(ctx, path);
        return;
    }
    if (FileUtil::FileExists(path)) {
        const MsgResult answer = ctx.ui.MsgBox(
            GetMLText(ctx.ml, QStringLiteral("檔案["), 1, 422, QStringLiteral("KORVAMain")) + path +
                GetMLText(ctx.ml, QStringLiteral("]已經存在，您要取代現存的檔案嗎？"), 2, 422,
                          QStringLiteral("KORVAMain")),
            vbYesNo | vbExclamation,
            GetMLText(ctx.ml, QStringLiteral("此檔案已經存在"), 3, 422,
                      QStringLiteral("KORVAMain")));
        if (answer != vbYes) return;
        // Replaced by the copy below in one step: a failed copy leaves it as it was.
    }
    ctx.ui.SetBusy(true);
    ctx.ui.SetStatusText(
        kStatus,
        GetMLText(ctx.ml, QStringLiteral("專案["), 2, 432, QStringLiteral("KORVAMain")) +
            BaseNameOf(path) +
            GetMLText(ctx.ml, QStringLiteral("]開啟中..."), 3, 432, QStringLiteral("KORVAMain")));
    ADOUtil::CloseProjectDB(p);
    if (!FileUtil::CopyFileAtomic(p.MirPath, path)) {
        EndBusy(ctx);
        ctx.ui.MsgBox(
            GetMLText(ctx.ml, QStringLiteral("另存專案失敗。"), 1, 446,
                      QStringLiteral("KORVAMain")) +
                kCrLf +
                GetMLText(ctx.ml, QStringLiteral("專案檔案["), 2, 446,
                          QStringLiteral("KORVAMain")) +
                path +
                GetMLText(ctx.ml, QStringLiteral("]檔案無法另存。"), 3, 446,
                          QStringLiteral("KORVAMain")),
            vbOKOnly | vbCritical,
            GetMLText(ctx.ml, QStringLiteral("另存專案失敗"), 4, 446, QStringLiteral("KORVAMain")));
        // The old project stays open as it was, unsaved changes and all.
        ReopenWorkingCopy(ctx);
        return;
    }
    const QString oldMir = p.MirPath;
    ResetProjectState(p);
    FileUtil::DeleteFileIfExists(oldMir);
    EndBusy(ctx);
    if (!OpenProject(ctx, path)) Q_EMIT ctx.storeEvents.projectClosed();
}

int CloseProject(StoreContext& ctx) {
    ::OpenProject& p = ctx.project;
    if (!p.IsOpen()) return kSaved;
    if (SaveProject(ctx, false, true, true) == kCancelled) return kCancelled;
    if (!p.IsOpen()) return kSaved; // the save could not reopen it and closed it already
    ctx.ui.SetBusy(true);
    ctx.ui.SetStatusText(
        kStatus,
        GetMLText(ctx.ml, QStringLiteral("專案["), 2, 222, QStringLiteral("KORVAMain")) +
            p.ProjName +
            GetMLText(ctx.ml, QStringLiteral("]關閉中..."), 3, 222, QStringLiteral("KORVAMain")));
    ADOUtil::CloseProjectDB(p);
    FileUtil::DeleteFileIfExists(p.MirPath);
    RemoveJournals(p.MirPath);
    EndBusy(ctx);
    ResetProjectState(p);
    Q_EMIT ctx.storeEvents.projectClosed();
    return kSaved;
}

void SetModified(StoreContext& ctx, bool modified) {
    if (ctx.project.IsModified == modified) return;
    ctx.project.IsModified = modified;
    Q_EMIT ctx.storeEvents.modifiedChanged(modified);
}

void AddToRecentFiles(StoreContext& ctx, const QString& path) {
    QStringList& list = ctx.recentFiles;
    const qsizetype at = list.indexOf(path);
    if (at == 0) return;
    if (at > 0) {
        list.move(at, 0);
    } else {
        list.prepend(path);
        while (list.size() > kRecentFileCount)
            list.removeLast();
    }
    StoreRecentFiles(ctx);
    Q_EMIT ctx.storeEvents.recentFilesChanged();
}

void StoreRecentFiles(StoreContext& ctx) {
    RowSet* rs = ctx.sysdb.MRUList.get();
    Connection* conn = ctx.sysdb.conn.get();
    if (!rs || !rs->IsOpen() || !conn) return;
    // One transaction: the table holds the old list or the new one, never half of it.
    const bool inTransaction = conn->BeginTransaction();
    bool ok = true;
    if (ADOUtil::GetRecordCount(rs) > 0) {
        rs->MoveFirst();
        while (ok && !rs->Eof()) {
            ok = rs->Delete();
            rs->MoveNext();
        }
    }
    for (qsizetype i = 0; ok && i < ctx.recentFiles.size() && i < 4; ++i) {
        ok = rs->AddNew() && rs->SetField(SystemSchema::kFilePath, ctx.recentFiles[i]) &&
             rs->Update();
        if (!ok) rs->CancelUpdate();
    }
    if (!inTransaction) return;
    if (ok && conn->Commit()) return;
    conn->Rollback();
    // The row set's keys no longer match the table: open it afresh.
    ctx.sysdb.MRUList = ADOUtil::OpenRecordset(conn, SystemSchema::kMRUList);
}

std::array<RecentMenuItem, kRecentFileCount> mkRecentFilePathMenu(const StoreContext& ctx) {
    std::array<RecentMenuItem, kRecentFileCount> items;
    for (int i = 0; i < 4; ++i) {
        if (i < ctx.recentFiles.size())
            items[size_t(i)] = {ctx.recentFiles[i], true, true};
        else
            items[size_t(i)] = {QString(), false, false};
    }
    return items;
}

} // namespace KORVAMain
