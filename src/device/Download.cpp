#include "device/Download.h"

#include "base/VBUtil.h"
#include "db/Connection.h"
#include "device/CommUtil.h"
#include "device/DeviceContext.h"
#include "device/DeviceLink.h"
#include "device/DownloadOutcome.h"
#include "device/KORVACommUtil.h"
#include "editing/PhoneBook.h"
#include "editing/ProjectDiff.h"
#include "editing/ValidUtil.h"
#include "ml/MLText.h"
#include "store/KORVAMain.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <thread>

namespace Download {
namespace {
using VBUtil::kCrLf;

// Counts acknowledged commands over the whole download and tells the Ui after each; the
// next exchange runs the events that show it.
struct Progress {
    int done = 0;
    int total = 0;
    void Step(const DeviceLink& ctx, const QString& line) {
        ++done;
        ctx.ui.SetProgressValue(done, total, line);
    }
};

// One area's dump file. A file that cannot be created or written costs the dump only: the
// download goes on and its path is kept for the final message.
class DumpFile {
public:
    DumpFile(const DeviceLink& ctx, const QString& name) : m_ctx(ctx), m_file(DumpPath(ctx, name)) {
        if (m_file.exists()) m_file.remove();
        m_ok = m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        if (!m_ok) Fail();
    }
    ~DumpFile() {
        if (m_ok && !m_file.flush()) Fail();
        m_file.close();
    }
    void Append(const QByteArray& bytes) {
        if (m_ok && m_file.write(bytes) != bytes.size()) Fail();
    }

private:
    void Fail() {
        m_ok = false;
        const QString path = QDir::toNativeSeparators(m_file.fileName());
        if (!m_ctx.link.dumpsNotWritten.contains(path)) m_ctx.link.dumpsNotWritten << path;
    }
    DeviceLink m_ctx;
    QFile m_file;
    bool m_ok = false;
};

// The person stopped the download: nothing more is sent.
bool Stopped(const DeviceLink& ctx) {
    return ctx.link.stopRequested && ctx.link.stopRequested();
}

bool Exchange(const DeviceLink& ctx, QByteArray request) {
    QByteArray response;
    const int n = int(request.size());
    return CommUtil::SendCommand(ctx, request, n, response, kResponseLength, ctx.comm.TimeOut,
                                 ctx.comm.Retry);
}

bool Clear(const DeviceLink& ctx, const QByteArray& command, Progress& progress,
           const QString& line) {
    if (Stopped(ctx) || !CommUtil::EnsurePortOpen(ctx)) return false;
    if (!Exchange(ctx, command)) return false;
    progress.Step(ctx, line);
    return true;
}

// Sends the records in order, dumping each (the failed one included) before looking at its
// outcome.
bool WriteArea(const DeviceLink& ctx, const QString& dumpName, const QVector<QByteArray>& records,
               Progress& progress, const std::function<QString(int)>& line) {
    if (!CommUtil::EnsurePortOpen(ctx)) return false;
    DumpFile dump(ctx, dumpName);
    // Events run in the exchanges, not again between them.
    for (int i = 0; i < records.size(); ++i) {
        if (Stopped(ctx)) return false;
        const QByteArray& bytes = records[i];
        const bool ok = Exchange(ctx, bytes);
        dump.Append(bytes);
        if (!ok) return false;
        progress.Step(ctx, line(i + 1));
    }
    return true;
}

QString ClearedPhoneBookLine(const DeviceLink& ctx) {
    const MLText T{ctx.ml, QStringLiteral("Download")};
    return T(QStringLiteral("已清除電話簿"), 1, 8);
}
QString ClearedMessagesLine(const DeviceLink& ctx) {
    const MLText T{ctx.ml, QStringLiteral("Download")};
    return T(QStringLiteral("已清除簡訊"), 2, 8);
}

bool RunWritePhoneBook(const DeviceLink& ctx, const QVector<QByteArray>& records,
                       Progress& progress) {
    const MLText T{ctx.ml, QStringLiteral("Download")};
    const int n = int(records.size());
    const QString text = T(QStringLiteral("電話簿 第 %1 / %2 筆"), 3, 8);
    return WriteArea(ctx, PhoneBookDumpName(), records, progress,
                     [&](int k) { return text.arg(k).arg(n); });
}

bool RunWriteShortMessages(const DeviceLink& ctx, const QVector<QByteArray>& records,
                           Progress& progress) {
    const MLText T{ctx.ml, QStringLiteral("Download")};
    const int n = int(records.size());
    const QString text = T(QStringLiteral("簡訊 第 %1 / %2 則"), 4, 8);
    return WriteArea(ctx, ShortMessageDumpName(), records, progress,
                     [&](int k) { return text.arg(k).arg(n); });
}

// The line the final message gets when a dump file could not be written; empty otherwise.
QString DumpNotWrittenLine(const DeviceLink& ctx) {
    const MLText T{ctx.ml, QStringLiteral("Download")};
    if (ctx.link.dumpsNotWritten.isEmpty()) return {};
    return kCrLf + T(QStringLiteral("下載記錄檔未能寫入: "), 1, 9) +
           ctx.link.dumpsNotWritten.join(QStringLiteral(", "));
}

// No project, or unsaved changes the user does not save: nothing may happen. saved tells
// whether the prompt saved the working copy over the project file.
bool AskFirst(DeviceContext& ctx, bool& saved) {
    const MLText T{ctx.ml, QStringLiteral("Download")};
    saved = false;
    OpenProject& p = ctx.project;
    if (!p.IsOpen()) {
        ctx.ui.MsgBox(T(QStringLiteral("下載專案失敗!"), 1, 1) + kCrLf +
                          T(QStringLiteral("請確認目前有專案是被開啟!"), 2, 1),
                      vbOKOnly | vbCritical, T(QStringLiteral("下載專案"), 3, 1));
        return false;
    }
    if (!p.IsModified) return true;
    const int answer = KORVAMain::SaveProject(ctx, false, true, true);
    if (answer == KORVAMain::kCancelled) return false;
    if (answer == KORVAMain::kNotSaved) {
        ctx.ui.MsgBox(T(QStringLiteral("下載專案取消！"), 1, 2), vbOKOnly,
                      T(QStringLiteral("下載專案取消"), 2, 2));
        return false;
    }
    saved = true;
    return p.IsOpen(); // a save whose working copy could not be reopened closed the project
}

// Everything after the questions about the project file: the image, its checks, the
// confirmation, the exchanges and the outcome.
bool Run(DeviceContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("Download")};
    OpenProject& p = ctx.project;
    // Events run between the steps that read the whole project, so the window keeps painting.
    ctx.ui.DoEvents();
    ProjectImage image;
    QByteArray content; // what the history keeps of the project
    {
        // The file's lock is taken once for these reads, not once for each statement.
        const Connection::HeldLock lock(p.conn.get());
        image = PhoneBook::BuildImages(p, false);
        ctx.ui.DoEvents();
        if (!ValidUtil::CheckBeforeDownload(ctx, image)) return false;
        content = ProjectDiff::Read(p).ToJson();
    }
    ctx.ui.DoEvents();

    const int size = image.projectSize;
    const int limit = p.MaxMemoryByte;
    if (size > limit) {
        ctx.ui.MsgBox(TooLargeText(ctx.ml, size, limit), vbOKOnly | vbCritical,
                      T(QStringLiteral("下載專案"), 6, 3));
        return false;
    }
    const MsgResult answer =
        ctx.ui.MsgBox(T(QStringLiteral("欲下載的專案佔 ["), 1, 4) + QString::number(size) +
                          T(QStringLiteral(" Byte], 剩餘空間 ["), 2, 4) +
                          QString::number(limit - size) + T(QStringLiteral(" Byte]."), 3, 4) +
                          kCrLf + T(QStringLiteral("是否確定要下載專案至簡訊報警機?"), 4, 4),
                      vbOKCancel | vbQuestion, T(QStringLiteral("下載專案"), 5, 4));
    if (answer != vbOK) return false;

    ctx.link.dumpsNotWritten.clear();
    // Built once: the history stores the records the exchanges send.
    const Records records = BuildRecords(image);
    DownloadOutcome::Recording recording =
        DownloadOutcome::Prepare(ctx, image, records.Joined(), content);
    Progress progress;
    bool portOpen = false;
    {
        // The started row is written while the progress window shows and the port opens;
        // both are done before the first frame.
        std::thread started([&recording] { DownloadOutcome::WriteStarted(recording); });
        ctx.ui.SetBusy(true);
        ctx.ui.ShowProgress(T(QStringLiteral("下載專案"), 1, 5),
                            T(QStringLiteral("下載專案至簡訊警報機中, 請稍侯..."), 2, 5));
        progress.total = 2 + int(image.phoneBook.size()) + int(image.shortMessages.size());
        ctx.ui.SetProgressValue(0, progress.total, QString());
        ctx.ui.DoEvents();
        portOpen = CommUtil::EnsurePortOpen(ctx);
        started.join();
    }

    const bool ok = portOpen &&
                    Clear(ctx, ClearPhoneBookCommand(), progress, ClearedPhoneBookLine(ctx)) &&
                    Clear(ctx, ClearShortMessagesCommand(), progress, ClearedMessagesLine(ctx)) &&
                    RunWritePhoneBook(ctx, records.phoneBook, progress) &&
                    RunWriteShortMessages(ctx, records.messages, progress);

    DownloadOutcome::End(ctx, recording, progress.done, ok);
    // The progress window and the wait cursor go before the outcome is shown, and the
    // connection panel says the outcome before the box does.
    ctx.ui.CloseProgress();
    ctx.ui.SetBusy(false);
    KORVACommUtil::SetConnectStatus(ctx, ok);
    const QString path = QDir::toNativeSeparators(p.ProjPath);
    const QString historyLine = DownloadOutcome::HistoryNotWrittenLine(ctx.ml, recording);
    if (ok) {
        ctx.ui.MsgBox(
            T(QStringLiteral("下載專案 ["), 1, 6) + path + QStringLiteral(":") +
                QString::number(size) + T(QStringLiteral(" Byte ] 成功!"), 2, 6) + kCrLf +
                T(QStringLiteral("請使用者將簡訊報警機的指撥開關SW2設為 OFF (執行模式)"), 3, 6) +
                DumpNotWrittenLine(ctx) + historyLine,
            vbOKOnly, T(QStringLiteral("下載專案"), 4, 6));
        return true;
    }
    ctx.ui.MsgBox(
        T(QStringLiteral("下載專案 ["), 1, 7) + path + T(QStringLiteral("] 失敗!"), 2, 7) + kCrLf +
            T(QStringLiteral("請檢查下列項目:"), 3, 7) + kCrLf + KORVACommUtil::CheckLines(ctx) +
            DumpNotWrittenLine(ctx) + CommUtil::LostPortText(ctx) +
            DownloadOutcome::IncompleteParagraph(ctx.ml, recording.attempt) + historyLine,
        vbOKOnly | vbCritical, T(QStringLiteral("下載專案"), 4, 7));
    return false;
}
} // namespace

QString TooLargeText(const MLState& ml, int size, int limit) {
    const MLText T{ml, QStringLiteral("Download")};
    return T(QStringLiteral("專案下載失敗!"), 1, 3) + kCrLf +
           T(QStringLiteral("欲下載的專案 ["), 2, 3) + QString::number(size) +
           T(QStringLiteral(" Byte] 過大, 請更改專案內容。"), 3, 3) +
           T(QStringLiteral("記憶空間為 "), 4, 3) + QString::number(limit) +
           T(QStringLiteral("Byte."), 5, 3);
}

QString DumpPath(const DeviceLink& ctx, const QString& fileName) {
    const QString dir = ctx.link.dumpDir.isEmpty() ? QDir::currentPath() : ctx.link.dumpDir;
    return QDir(dir).filePath(fileName);
}

QByteArray PhoneBookRecord(const PhoneBookEntry& e, int k) {
    const QByteArray number = PhoneBook::PhoneBytes(e.PhoneNumber);
    const int length = int(number.size());
    QByteArray r;
    r.reserve(9 + length);
    r.append(char(kStation));
    r.append(char(kFunction));
    r.append(char(kPhoneBookSub));
    r.append(char(k));
    r.append(char(length + PhoneBook::kEntryOverhead));
    r.append(char(e.IsDisable ? 0x80 : 0x00));
    r.append(char(e.groupNo));
    r.append(char(length));
    r.append(char(k));
    r.append(number);
    return r;
}

QByteArray ShortMessageRecord(const ShortMessageEntry& e, bool isUnicode) {
    const QByteArray& text = e.bytes;
    const int length = int(text.size());
    QByteArray r;
    r.reserve(9 + length);
    r.append(char(kStation));
    r.append(char(kFunction));
    r.append(char(kShortMessageSub));
    r.append(char(e.code));
    r.append(char(length + PhoneBook::kEntryOverhead));
    r.append(char(0x40 | (e.IsDisable ? 0x80 : 0x00) | (isUnicode ? 0x01 : 0x00)));
    r.append(char(e.groupNo));
    r.append(char(length));
    r.append('\0');
    r.append(text);
    return r;
}

QByteArray Records::Joined() const {
    QByteArray all;
    for (const QVector<QByteArray>* area : {&phoneBook, &messages})
        for (const QByteArray& r : *area)
            all += r;
    return all;
}

Records BuildRecords(const ProjectImage& image) {
    Records out;
    out.phoneBook.reserve(image.phoneBook.size());
    for (int i = 0; i < image.phoneBook.size(); ++i)
        out.phoneBook << PhoneBookRecord(image.phoneBook[i], i + 1);
    out.messages.reserve(image.shortMessages.size());
    for (const ShortMessageEntry& e : image.shortMessages)
        out.messages << ShortMessageRecord(e, image.isUnicode);
    return out;
}

QByteArray ImageRecords(const ProjectImage& image) {
    return BuildRecords(image).Joined();
}

QByteArray ClearPhoneBookCommand() {
    return QByteArray{} + char(kStation) + char(kFunction) + char(kClearPhoneBookSub) + char(0xFF);
}

QByteArray ClearShortMessagesCommand() {
    return QByteArray{} + char(kStation) + char(kFunction) + char(kClearShortMessagesSub) +
           char(0xFF);
}

bool ClearPhoneBook(const DeviceLink& ctx) {
    Progress progress{0, 1};
    return Clear(ctx, ClearPhoneBookCommand(), progress, ClearedPhoneBookLine(ctx));
}

bool ClearShortMessages(const DeviceLink& ctx) {
    Progress progress{0, 1};
    return Clear(ctx, ClearShortMessagesCommand(), progress, ClearedMessagesLine(ctx));
}

bool WritePhoneBook(const DeviceLink& ctx, const ProjectImage& image) {
    Progress progress{0, int(image.phoneBook.size())};
    return RunWritePhoneBook(ctx, BuildRecords(image).phoneBook, progress);
}

bool WriteShortMessages(const DeviceLink& ctx, const ProjectImage& image) {
    Progress progress{0, int(image.shortMessages.size())};
    return RunWriteShortMessages(ctx, BuildRecords(image).messages, progress);
}

bool DownloadProject(DeviceContext& ctx) {
    bool saved = false;
    return AskFirst(ctx, saved) && Run(ctx);
}

bool SaveForDownload(DeviceContext& ctx) {
    bool saved = false;
    if (!AskFirst(ctx, saved)) return false;
    // The working copy goes over the project file (atomically) and ModifiedDate is set to
    // today on the reopened working copy; the prompt's save did both already.
    if (!saved) {
        if (KORVAMain::SaveProject(ctx, true, false, false) != KORVAMain::kSaved) return false;
        if (!ctx.project.IsOpen()) return false;
    }
    return true;
}

bool DownloadCommand(DeviceContext& ctx) {
    return SaveForDownload(ctx) && Run(ctx);
}
} // namespace Download
