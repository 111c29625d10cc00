#include "store/KORVAMain.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "db/FileUtil.h"
#include "ml/MLText.h"
#include "store/ProjectLock.h"
#include "store/ProjectSchema.h"
#include "store/StoreContext.h"
#include "store/SystemDb.h"
#include "store/SystemSchema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
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
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    ctx.ui.MsgBox(T(QStringLiteral("本專案無法開啟！"), 1, 165) + kCrLf +
                      T(QStringLiteral("因為專案檔名["), 2, 165) + FileNameOf(path) +
                      T(QStringLiteral("]不屬於[.cmb]，導致本專案無法開啟。"), 3, 165),
                  vbOKOnly | vbCritical, T(QStringLiteral("本專案無法執行"), 4, 165));
}

// The main window's file dialog: it starts in the folder given, else in the project folder
// until it has been used, then in the folder of its last use; the current directory goes back
// to the program folder afterwards, whatever the outcome.
std::optional<QString> AskFile(StoreContext& ctx, FileDialogKind kind, const QString& title,
                               const QString& filter, const QString& defaultName,
                               const QString& folder = QString()) {
    FileDialogSetup setup;
    setup.title = title;
    setup.filter = filter;
    setup.initialDir = !folder.isEmpty()         ? folder
                       : ctx.dlgFolder.isEmpty() ? ProjectFolder(ctx)
                                                 : ctx.dlgFolder;
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

// Whether two checked project files hold the same rows in the four tables.
bool SameContent(const QString& a, const QString& b) {
    Connection ca, cb;
    ConnectionString sa, sb;
    sa.dataSource = a;
    sb.dataSource = b;
    if (!ca.Open(sa) || !cb.Open(sb)) return false;
    using namespace ProjectSchema;
    for (const QString& table : {kBasic, kUserGroups, kUsers, kZones}) {
        const QString sql = QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table);
        auto ra = RowSet::OpenQuery(ca, sql), rb = RowSet::OpenQuery(cb, sql);
        if (!ra || !rb || ra->FieldNames() != rb->FieldNames() ||
            ra->RecordCount() != rb->RecordCount())
            return false;
        for (; !ra->Eof(); ra->MoveNext(), rb->MoveNext())
            for (const QString& f : ra->FieldNames())
                if (ra->Field(f) != rb->Field(f)) return false;
    }
    return true;
}

void ShowDamaged(StoreContext& ctx, const QString& path) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    ctx.ui.MsgBox(T(QStringLiteral("開啟專案失敗。"), 1, 9210) + kCrLf +
                      T(QStringLiteral("專案檔案["), 2, 9210) + path +
                      T(QStringLiteral("]已損毀，無法開啟；檔案未被變更。"), 3, 9210),
                  vbOKOnly | vbCritical, T(QStringLiteral("開啟專案失敗"), 4, 9210));
}

bool AskRecover(StoreContext& ctx, const QString& path) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    return ctx.ui.MsgBox(T(QStringLiteral("專案["), 1, 9211) + BaseNameOf(path) +
                             T(QStringLiteral("]留有上次未正常結束時的工作檔案，其中有尚未儲存的"
                                              "變更。"),
                               2, 9211) +
                             kCrLf +
                             T(QStringLiteral("要復原這些變更嗎？（是：以工作檔案的內容開啟，變更"
                                              "尚未儲存；否：捨棄工作檔案）"),
                               3, 9211),
                         vbYesNo | vbQuestion,
                         T(QStringLiteral("復原未儲存的變更"), 4, 9211)) == vbYes;
}

// The device model of the template the program makes new projects from.
QString TemplateModel(const StoreContext& ctx) {
    Connection conn;
    ConnectionString cs;
    cs.dataSource = QDir(ctx.programFolder).filePath(QStringLiteral("RV27.mdb"));
    cs.readOnly = true;
    if (!conn.Open(cs)) return {};
    auto basic = RowSet::OpenTable(conn, ProjectSchema::kBasic);
    if (!basic || basic->Eof()) return {};
    return ADOUtil::NullToStr(basic->Field(ProjectSchema::kDeviceModelName));
}

// The capacities of the project's model. A model the list does not know is stood in for by
// the template's model; false then, with that model's name in fallback.
bool SetCapacities(StoreContext& ctx, const QString& model, QString& fallback) {
    ::OpenProject& p = ctx.project;
    ModelCapacity cap = SystemDB::LookupModel(ctx.sysdb, model);
    const bool known = cap.found;
    if (!known) {
        fallback = TemplateModel(ctx);
        cap = SystemDB::LookupModel(ctx.sysdb, fallback);
    }
    p.MaxTelNo = cap.found ? cap.MaxTelNo : 0;
    p.MaxMemoryByte = cap.found ? cap.MaxMemoryByte : 0;
    return known;
}

void ShowUnknownModel(StoreContext& ctx, const QString& model, const QString& fallback) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    ctx.ui.MsgBox(T(QStringLiteral("專案的設備型號["), 1, 9212) + model +
                      T(QStringLiteral("]不在型號清單中，改用範本型號["), 2, 9212) + fallback +
                      T(QStringLiteral("]的容量。"), 3, 9212),
                  vbOKOnly | vbExclamation, T(QStringLiteral("未知的設備型號"), 4, 9212));
}

void ResetProjectState(::OpenProject& p) {
    p.ProjName.clear();
    p.ProjPath.clear();
    p.MirPath.clear();
    p.IsModified = false;
    p.ReadOnly = false;
    p.lock.reset();
}

// A file whose owner may not write it (the read-only attribute on Windows), or that this
// process may not write.
bool IsReadOnlyFile(const QString& path) {
    const QFileInfo fi(path);
    return !fi.isWritable() || !(fi.permissions() & QFileDevice::WriteOwner);
}

bool SameFile(const QString& a, const QString& b) {
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

// The project file is open in another running program: says which, opens nothing.
void ShowLockedBy(StoreContext& ctx, const QString& path, const ProjectLock::Holder& h) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    if (h.notALock) {
        ctx.ui.MsgBox(
            T(QStringLiteral("專案檔案["), 1, 20200) + path +
                T(QStringLiteral("]的鎖定檔案["), 2, 20200) + ProjectLock::LockPathOf(path) +
                T(QStringLiteral("]不是鎖定檔案(是資料夾或特殊檔案)，本專案無法開啟。"), 3, 20200) +
                kCrLf + T(QStringLiteral("請將它移除或改名後再開啟本專案。"), 4, 20200),
            vbOKOnly | vbCritical, T(QStringLiteral("專案開啟失敗"), 5, 20200));
        return;
    }
    ctx.ui.MsgBox(T(QStringLiteral("專案檔案["), 1, 500) + path +
                      T(QStringLiteral("]已由其他程式開啟，本專案無法開啟。"), 2, 500) + kCrLf +
                      T(QStringLiteral("電腦: "), 3, 500) + h.host + kCrLf +
                      T(QStringLiteral("程式: "), 4, 500) + h.app + QStringLiteral(" (") +
                      T(QStringLiteral("程序 "), 5, 500) + QString::number(h.pid) +
                      QStringLiteral(")") + kCrLf +
                      T(QStringLiteral("請先在該程式中關閉本專案。"), 6, 500),
                  vbOKOnly | vbCritical, T(QStringLiteral("專案開啟失敗"), 7, 500));
}

// Opening a read-only project says so; saving it says that only Save As can keep the changes.
void ShowReadOnly(StoreContext& ctx, const QString& path, bool saving) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    const QString text =
        T(QStringLiteral("專案檔案["), 1, 510) + path + T(QStringLiteral("]是唯讀檔案。"), 2, 510) +
        kCrLf +
        (saving ? T(QStringLiteral("變更無法存入此檔案，請使用[另存專案]。"), 3, 510)
                : T(QStringLiteral("您可以檢視及修改，但須使用[另存專案]儲存。"), 4, 510));
    ctx.ui.MsgBox(text, vbOKOnly | (saving ? vbExclamation : vbInformation),
                  T(QStringLiteral("唯讀專案"), 5, 510));
}

// A file about to be replaced (New, Save As) must not be a project open elsewhere.
bool RefuseIfLocked(StoreContext& ctx, const QString& path) {
    ProjectLock::Holder h;
    if (!ProjectLock::HeldElsewhere(path, &h)) return false;
    ShowLockedBy(ctx, path, h);
    return true;
}

// A database the open refuses for what it holds, not for damage: says so.
void ShowUnsupported(StoreContext& ctx, const QString& path) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    ctx.ui.MsgBox(T(QStringLiteral("開啟專案失敗。"), 1, 21031) + kCrLf +
                      T(QStringLiteral("專案檔案["), 2, 21031) + path +
                      T(QStringLiteral("]含有專案檔案不會有的內容（觸發程序、檢視表、虛擬資料表、"
                                       "計算欄位或超過長度上限的值），為安全起見不予開啟；檔案未被"
                                       "變更。"),
                        3, 21031),
                  vbOKOnly | vbCritical, T(QStringLiteral("開啟專案失敗"), 4, 21031));
}

// A path that is there but no regular file: says what it is.
void ShowNotAFile(StoreContext& ctx, const QString& path, FileUtil::Kind kind) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    ctx.ui.MsgBox(T(QStringLiteral("專案檔案["), 1, 21032) + path +
                      T(QStringLiteral("]是"), 2, 21032) + KindText(ctx.ml, kind) +
                      T(QStringLiteral("，不是檔案，無法開啟。"), 3, 21032),
                  vbOKOnly | vbCritical, T(QStringLiteral("專案開啟失敗"), 4, 21032));
}

void ShowNotAProject(StoreContext& ctx, const QString& path) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    ctx.ui.MsgBox(T(QStringLiteral("開啟專案失敗。"), 1, 214) + kCrLf +
                      T(QStringLiteral("專案檔案["), 2, 214) + path +
                      T(QStringLiteral("]不是本系統的專案檔案，無法開啟。"), 3, 214),
                  vbOKOnly | vbCritical, T(QStringLiteral("開啟專案失敗"), 4, 214));
}

// Reopens the working copy after it was copied (or failed to be); checked when it has just
// passed the open's checks. When even that fails, the project can no longer be worked on: it
// is closed, and the working copy stays on the disk.
bool ReopenWorkingCopy(StoreContext& ctx, bool checked = false) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    ::OpenProject& p = ctx.project;
    if (ADOUtil::OpenProjectDB(p, ctx.ui, p.MirPath, checked)) return true;
    ADOUtil::CloseProjectDB(p);
    ctx.ui.MsgBox(T(QStringLiteral("專案工作檔案["), 1, 320) + p.MirPath +
                      T(QStringLiteral("]無法重新開啟，專案已關閉。"), 2, 320),
                  vbOKOnly | vbCritical, T(QStringLiteral("專案開啟失敗"), 3, 320));
    ResetProjectState(p);
    Q_EMIT ctx.storeEvents.projectClosed();
    return false;
}
} // namespace

QString KindText(const MLState& ml, FileUtil::Kind kind) {
    const MLText T{ml, QStringLiteral("KORVAMain")};
    switch (kind) {
    case FileUtil::Kind::Directory:
        return T(QStringLiteral("資料夾"), 1, 21030);
    case FileUtil::Kind::Fifo:
        return T(QStringLiteral("具名管道 (FIFO)"), 2, 21030);
    case FileUtil::Kind::Socket:
        return T(QStringLiteral("通訊端 (socket)"), 3, 21030);
    case FileUtil::Kind::Device:
        return T(QStringLiteral("裝置"), 4, 21030);
    case FileUtil::Kind::Missing:
    case FileUtil::Kind::File:
    case FileUtil::Kind::Other:
        break;
    }
    return T(QStringLiteral("特殊檔案"), 5, 21030);
}

void ShowLocked(StoreContext& ctx, const QString& path, const ProjectLock::Holder& holder) {
    ShowLockedBy(ctx, path, holder);
}

bool RefuseReadOnly(StoreContext& ctx, const QString& path) {
    if (!IsReadOnlyFile(path)) return false;
    ShowReadOnly(ctx, path, true);
    return true;
}

// A program folder that is a person's copy of an installed one holds the record of the
// packaged files it was taken from. Such a program offers projects in Documents/KORVA
// Projects (made when missing), where people look for them; the hidden KORVA/Project beside
// it stays, and the recent-files list keeps reaching the projects there. A portable program
// folder, or a Documents folder that cannot be made, keeps "../Project".
QString ProjectFolder(const StoreContext& ctx) {
    if (FileUtil::FileExists(QDir(ctx.programFolder).filePath(QStringLiteral("KORVA.pkg")))) {
        const QString documents =
            QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                .filePath(QStringLiteral("KORVA Projects"));
        if (QDir().mkpath(documents)) return documents;
    }
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

namespace {
// A copy for this process's eyes only: nothing relies on it surviving a crash, so it is never
// flushed to the disk (QFile::copy would).
bool ScratchCopy(const QString& from, const QString& to) {
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    out.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(256 * 1024);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) return false;
        if (out.write(chunk) != chunk.size()) return false;
    }
    return out.flush();
}

// The working copy an open makes holds nothing the project file does not: a crash that loses
// it loses no work (the next open finds it unreadable or unchanged and copies the project
// again), and the first change written to it makes it durable (the engine flushes the file,
// and its folder with the journal's first flush). So the open does not wait for the disk.
class UnflushedCopy : public FileUtil::FileOps {
public:
    bool SyncFile(int) override { return true; }
    void SyncFolder(const QString&) override {}
};
} // namespace

bool CopyDatabase(const QString& from, const QString& to) {
    RemoveJournals(to);
    QFile::remove(to);
    if (!ScratchCopy(from, to)) return false;
    for (const char* suffix : {"-wal", "-journal"}) {
        const QString side = from + QLatin1String(suffix);
        if (!FileUtil::FileExists(side)) continue;
        if (!ScratchCopy(side, to + QLatin1String(suffix))) return false;
    }
    return true;
}

ProjectCheck CheckProjectFile(const QString& path) {
    Connection conn;
    ConnectionString cs;
    cs.dataSource = path;
    cs.exclusive = true; // a private copy, or a working copy whose connection is closed
    if (!conn.Open(cs))
        return conn.Fault() == DbFault::Damaged       ? ProjectCheck::Damaged
               : conn.Fault() == DbFault::Unsupported ? ProjectCheck::Unsupported
                                                      : ProjectCheck::NotProject;
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
        // The columns, and for Basic whether it has a row: one statement each.
        auto rs = RowSet::OpenQuery(conn, QStringLiteral("SELECT * FROM %1 LIMIT %2")
                                              .arg(QuoteIdentifier(t.table))
                                              .arg(t.table == kBasic ? 1 : 0));
        if (!rs) return ProjectCheck::NotProject;
        for (const QString& f : t.fields)
            if (!rs->HasField(f)) return ProjectCheck::NotProject;
        if (t.table == kBasic && rs->RecordCount() < 1) return ProjectCheck::NotProject;
    }
    return ProjectCheck::Ok;
}

bool IsProjectFile(const QString& path) {
    QTemporaryDir tmp;
    const QString copy = tmp.filePath(QStringLiteral("check.db"));
    return tmp.isValid() && CopyDatabase(path, copy) && CheckProjectFile(copy) == ProjectCheck::Ok;
}

bool OpenProject(StoreContext& ctx, const QString& pathIn) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    QString path = pathIn;
    if (path.isEmpty()) {
        const auto chosen = AskFile(
            ctx, FileDialogKind::Open, T(QStringLiteral("開啟專案"), 1, 135),
            T(QStringLiteral("Quillon設定檔案,(*.cmb)|*.cmb"), 1, 142), OpenDialogName(ctx));
        if (!chosen) return false;
        path = *chosen;
    }
    if (!HasProjectExtension(path)) {
        WrongExtensionMessage(ctx, path);
        return false;
    }
    if (const FileUtil::Kind kind = FileUtil::KindOf(path); kind != FileUtil::Kind::File) {
        if (kind != FileUtil::Kind::Missing) {
            ShowNotAFile(ctx, path, kind);
            return false;
        }
        ctx.ui.MsgBox(T(QStringLiteral("本專案檔案路徑["), 1, 160) + path +
                          T(QStringLiteral("]不存在。"), 2, 160),
                      vbOKOnly | vbCritical, T(QStringLiteral("專案開啟失敗"), 3, 160));
        return false;
    }
    // A file larger than its pages is damaged; it is refused before anything is copied.
    if (!Connection::SizeFitsHeader(path)) {
        ShowDamaged(ctx, path);
        return false;
    }
    // The file is read through a private snapshot, checked, and becomes the working copy: a
    // file that is not one of our projects is refused before the open project is touched.
    QTemporaryDir scratch;
    const QString snapshot = scratch.filePath(QStringLiteral("project.cmb"));
    const bool readable = scratch.isValid() && CopyDatabase(path, snapshot);
    const ProjectCheck check = readable ? CheckProjectFile(snapshot) : ProjectCheck::Ok;
    if (check == ProjectCheck::Damaged) {
        ShowDamaged(ctx, path);
        return false;
    }
    if (check == ProjectCheck::Unsupported) {
        ShowUnsupported(ctx, path);
        return false;
    }
    if (check == ProjectCheck::NotProject) {
        ShowNotAProject(ctx, path);
        return false;
    }
    // The lock is taken before the open project is touched: a refusal leaves it open.
    const bool reopening = ctx.project.IsOpen() && SameFile(path, ctx.project.ProjPath);
    std::unique_ptr<QLockFile> lock;
    bool heldElsewhere = false;
    ProjectLock::Holder holder;
    if (!reopening) lock = ProjectLock::Take(path, &holder, &heldElsewhere);
    if (heldElsewhere) {
        ShowLockedBy(ctx, path, holder);
        return false;
    }
    if (readable && ctx.project.IsOpen() && CloseProject(ctx) == kCancelled) return false;
    if (reopening) {
        lock = ProjectLock::Take(path, &holder, &heldElsewhere);
        if (heldElsewhere) {
            ShowLockedBy(ctx, path, holder);
            return false;
        }
    }
    // Under the lock no copy of ours is being written beside this project: a temporary copy
    // there was left by a save or an open that was killed.
    if (lock)
        for (const QString& target : {path, WorkingPathOf(path)})
            for (const QString& left : FileUtil::LeftoverCopies(target))
                QFile::remove(left);

    ::OpenProject& p = ctx.project;
    const QString mir = WorkingPathOf(path);
    // A working copy left by a run that ended without closing may hold unsaved work.
    QString source = snapshot;
    bool recovered = false;
    if (readable && FileUtil::FileExists(mir)) {
        const QString left = scratch.filePath(QStringLiteral("left.mir"));
        if (CopyDatabase(mir, left) && CheckProjectFile(left) == ProjectCheck::Ok &&
            !SameContent(left, snapshot) && AskRecover(ctx, path)) {
            source = left;
            recovered = true;
        }
    }
    ctx.ui.SetBusy(true);
    ctx.ui.SetStatusText(kStatus, T(QStringLiteral("專案["), 2, 176) + BaseNameOf(path) +
                                      T(QStringLiteral("]開啟中..."), 3, 176));
    UnflushedCopy unflushed;
    if (!readable ||
        !FileUtil::CopyFileAtomic(source, mir, nullptr, recovered ? nullptr : &unflushed)) {
        EndBusy(ctx);
        ctx.ui.MsgBox(T(QStringLiteral("開啟專案失敗。"), 1, 210) + kCrLf +
                          T(QStringLiteral("專案檔案["), 2, 210) + path +
                          T(QStringLiteral("]檔案無法開啟。"), 3, 210),
                      vbOKOnly | vbCritical, T(QStringLiteral("開啟專案失敗"), 4, 210));
        return false;
    }
    RemoveJournals(mir);
    // The working copy is a byte copy of the file checked above: it is not read through again.
    // Everything shown of the project is read next, statement after statement: the private
    // working copy's lock is taken once for all of them.
    if (!ADOUtil::OpenProjectDB(p, ctx.ui, mir, true, true)) {
        ADOUtil::CloseProjectDB(p);
        FileUtil::DeleteFileIfExists(mir);
        EndBusy(ctx);
        ShowNotAProject(ctx, path);
        return false;
    }
    p.ProjPath = path;
    p.ProjName = BaseNameOf(path);
    p.MirPath = mir;
    p.lock = std::move(lock);
    p.ReadOnly = IsReadOnlyFile(path);

    QString model;
    if (RowSet* basic = p.Basic.get(); ADOUtil::GetRecordCount(basic) > 0) {
        basic->MoveFirst();
        model = ADOUtil::NullToStr(basic->Field(ProjectSchema::kDeviceModelName));
    }
    QString fallback;
    const bool knownModel = SetCapacities(ctx, model, fallback);
    AddToRecentFiles(ctx, path);
    p.IsModified = recovered; // recovered work is unsaved until Save writes it
    Q_EMIT ctx.storeEvents.projectOpened();
    p.conn->HoldLock(false);
    EndBusy(ctx);
    if (!knownModel) ShowUnknownModel(ctx, model, fallback);
    if (p.ReadOnly) ShowReadOnly(ctx, path, false);
    return true;
}

void NewProject(StoreContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    const QString defaultName = DefaultNewName(ctx);
    QString path;
    for (;;) {
        const auto chosen =
            AskFile(ctx, FileDialogKind::Save, T(QStringLiteral("開新專案"), 1, 84),
                    T(QStringLiteral("Quillon設定檔案,(*.cmb)|*.cmb|所有檔案,(*.*)|*.*"), 1, 89),
                    defaultName);
        if (!chosen) return;
        path = *chosen;
        // A name the open would refuse is refused now, before any file is created or replaced.
        if (!HasProjectExtension(path)) {
            WrongExtensionMessage(ctx, path);
            return;
        }
        if (!FileUtil::FileExists(path)) break;
        if (RefuseIfLocked(ctx, path)) return;
        const MsgResult answer =
            ctx.ui.MsgBox(T(QStringLiteral("檔案["), 1, 103) + path +
                              T(QStringLiteral("]已經存在，您要取代現存的檔案嗎？"), 2, 103),
                          vbYesNo | vbExclamation, T(QStringLiteral("此檔案已經存在"), 3, 103));
        // The existing file is replaced by the copy below in one step, so a failed copy
        // leaves it as it was.
        if (answer == vbYes) break;
    }
    // The open project is closed only now that the new name stands.
    if (ctx.project.IsOpen() && CloseProject(ctx) == kCancelled) return;
    const QString templatePath = QDir(ctx.programFolder).filePath(QStringLiteral("RV27.mdb"));
    if (!FileUtil::CopyFileAtomic(templatePath, path)) {
        ctx.ui.MsgBox(T(QStringLiteral("開新專案失敗。"), 1, 121) + kCrLf +
                          T(QStringLiteral("專案檔案["), 2, 121) + path +
                          T(QStringLiteral("]檔案無法複製。"), 3, 121),
                      vbOKOnly | vbCritical, T(QStringLiteral("開新專案失敗"), 4, 121));
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
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    ::OpenProject& p = ctx.project;
    if (!p.IsOpen()) return kSaved;
    if (!force) {
        if (!p.IsModified) return kSaved;
        if (ask && allowCancel) {
            const MsgResult answer = ctx.ui.MsgBox(
                T(QStringLiteral("您要將變更儲存到專案["), 1, 279) + p.ProjName +
                    T(QStringLiteral("]?"), 2, 279),
                vbYesNoCancel | vbQuestion, T(QStringLiteral("是否儲存專案"), 3, 279));
            if (answer == vbCancel) return kCancelled;
            if (answer == vbNo) return kNotSaved;
            StampBasicDate(p, ProjectSchema::kModifiedDate);
        } else if (ask) {
            const MsgResult answer =
                ctx.ui.MsgBox(T(QStringLiteral("您要將變更儲存到專案["), 1, 292) + p.ProjName +
                                  T(QStringLiteral("]?"), 2, 292),
                              vbYesNo | vbQuestion, T(QStringLiteral("是否儲存專案"), 3, 292));
            if (answer == vbNo) return kNotSaved;
        }
    }
    // The copy would replace a read-only file (the rename only needs the folder): refused.
    if (p.ReadOnly || IsReadOnlyFile(p.ProjPath)) {
        p.ReadOnly = true;
        ShowReadOnly(ctx, p.ProjPath, true);
        return kCancelled;
    }
    ADOUtil::CloseProjectDB(p);
    // What would replace the project file must open again: a working copy the open refuses
    // (a text it cannot read back) never takes the place of a sound file.
    if (CheckProjectFile(p.MirPath) != ProjectCheck::Ok) {
        ctx.ui.MsgBox(T(QStringLiteral("儲存專案失敗。"), 1, 21033) + kCrLf +
                          T(QStringLiteral("專案工作檔案的內容無法再次開啟，專案檔案["), 2, 21033) +
                          p.ProjPath + T(QStringLiteral("]未被變更。"), 3, 21033),
                      vbOKOnly | vbCritical, T(QStringLiteral("儲存專案失敗"), 4, 21033));
        ReopenWorkingCopy(ctx);
        return kCancelled;
    }
    QString why;
    if (!FileUtil::CopyFileAtomic(p.MirPath, p.ProjPath, &why)) {
        ctx.ui.MsgBox(T(QStringLiteral("儲存專案失敗。"), 1, 316) + kCrLf +
                          T(QStringLiteral("專案檔案["), 2, 316) + p.ProjPath +
                          T(QStringLiteral("]檔案無法儲存。"), 3, 316) + kCrLf + why,
                      vbOKOnly | vbCritical, T(QStringLiteral("儲存專案失敗"), 4, 316));
        // The project file keeps its last saved state; the changes stay in the working copy,
        // which is reopened so that work can go on. Nothing that follows a save (a close,
        // another open) may discard them.
        ReopenWorkingCopy(ctx, true);
        return kCancelled;
    }
    if (!ReopenWorkingCopy(ctx, true)) return kSaved;
    SetModified(ctx, false);
    StampBasicDate(p, ProjectSchema::kModifiedDate);
    Q_EMIT ctx.storeEvents.projectSaved(p.ProjPath);
    return kSaved;
}

void SaveProjectAs(StoreContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    ::OpenProject& p = ctx.project;
    if (!p.IsOpen()) return;
    // The open project's own name and folder are proposed, to be changed from there.
    const QFileInfo current(p.ProjPath);
    const auto chosen =
        AskFile(ctx, FileDialogKind::Save, T(QStringLiteral("另存專案"), 1, 403),
                T(QStringLiteral("Quillon設定檔案,(*.cbm)|*.cmb|所有檔案,(*.*)|*.*"), 1, 408),
                current.fileName(), current.absolutePath());
    if (!chosen) return;
    const QString path = *chosen;
    // The new file must be one the open accepts, or the project would end up closed.
    if (!HasProjectExtension(path)) {
        WrongExtensionMessage(ctx, path);
        return;
    }
    if (FileUtil::FileExists(path)) {
        if (!SameFile(path, p.ProjPath) && RefuseIfLocked(ctx, path)) return;
        const MsgResult answer =
            ctx.ui.MsgBox(T(QStringLiteral("檔案["), 1, 422) + path +
                              T(QStringLiteral("]已經存在，您要取代現存的檔案嗎？"), 2, 422),
                          vbYesNo | vbExclamation, T(QStringLiteral("此檔案已經存在"), 3, 422));
        if (answer != vbYes) return;
        // Replaced by the copy below in one step: a failed copy leaves it as it was.
    }
    ctx.ui.SetBusy(true);
    ctx.ui.SetStatusText(kStatus, T(QStringLiteral("專案["), 2, 432) + BaseNameOf(path) +
                                      T(QStringLiteral("]開啟中..."), 3, 432));
    ADOUtil::CloseProjectDB(p);
    QString why;
    if (!FileUtil::CopyFileAtomic(p.MirPath, path, &why)) {
        EndBusy(ctx);
        ctx.ui.MsgBox(T(QStringLiteral("另存專案失敗。"), 1, 446) + kCrLf +
                          T(QStringLiteral("專案檔案["), 2, 446) + path +
                          T(QStringLiteral("]檔案無法另存。"), 3, 446) + kCrLf + why,
                      vbOKOnly | vbCritical, T(QStringLiteral("另存專案失敗"), 4, 446));
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
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    ::OpenProject& p = ctx.project;
    if (!p.IsOpen()) return kSaved;
    if (SaveProject(ctx, false, true, true) == kCancelled) return kCancelled;
    if (!p.IsOpen()) return kSaved; // the save could not reopen it and closed it already
    ctx.ui.SetBusy(true);
    ctx.ui.SetStatusText(kStatus, T(QStringLiteral("專案["), 2, 222) + p.ProjName +
                                      T(QStringLiteral("]關閉中..."), 3, 222));
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
