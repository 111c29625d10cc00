#include "device/DownloadOutcome.h"

#include "base/VBUtil.h"
#include "device/CommUtil.h"
#include "device/DeviceContext.h"
#include "device/Download.h"
#include "device/KORVACommUtil.h"
#include "device/SerialPort.h"
#include "editing/PhoneBook.h"
#include "ml/MLText.h"

#include <QDir>
#include <QLocale>
#include <algorithm>

namespace DownloadOutcome {

namespace {
// Reads the identity without a message of its own: a port that cannot be opened or a silent
// dialer is told by the download's own failure.
void IdentifyQuietly(DeviceContext& ctx) {
    if (!ctx.port || !ctx.port->IsOpen()) {
        CommUtil::SetPortParams(ctx);
        if (!ctx.port->Open()) return;
    }
    DeviceInfo info;
    if (KORVACommUtil::ReadCommSettings(ctx, info, false))
        Identified(ctx, {info.SerialNo, info.ModelName, info.TypeCode});
}
} // namespace

Recording Prepare(DeviceContext& ctx, const ProjectImage& image, const QByteArray& records,
                  const QByteArray& content) {
    if (ctx.link.identifyAtDownload) IdentifyQuietly(ctx);
    Recording r;
    r.path = DownloadHistory::PathOf(ctx);
    DownloadAttempt& a = r.attempt;
    a.started = QDateTime::currentDateTime();
    a.phoneBookTotal = int(image.phoneBook.size());
    a.messagesTotal = int(image.shortMessages.size());
    a.serialNo = ctx.link.dialer.serialNo;
    a.modelName = ctx.link.dialer.modelName;
    a.typeCode = ctx.link.dialer.typeCode;
    a.port = CommUtil::CurrentPortName(ctx.comm);
    a.projectPath = QDir::toNativeSeparators(
        ctx.link.historyProjectPath.isEmpty() ? ctx.project.ProjPath : ctx.link.historyProjectPath);
    a.projectName = ctx.project.ProjName;
    a.image = records;
    a.bytes = image.projectSize;
    a.computer = DownloadHistory::ComputerName();
    a.user = DownloadHistory::UserName();
    a.content = content;
    r.history = DownloadHistory::Writer(r.path);
    return r;
}

void WriteStarted(Recording& r) {
    r.attempt.imageSha256 = DownloadHistory::ImageHash(r.attempt.image);
    r.history.Begin(r.attempt, &r.historyError);
}

Recording Begin(DeviceContext& ctx, const ProjectImage& image, const QByteArray& records,
                const QByteArray& content) {
    Recording r = Prepare(ctx, image, records, content);
    WriteStarted(r);
    return r;
}

void End(DeviceContext& ctx, Recording& r, int acknowledged, bool ok) {
    DownloadAttempt& a = r.attempt;
    a.ended = QDateTime::currentDateTime();
    a.clearsDone = std::clamp(acknowledged, 0, 2);
    a.phoneBookSent = std::clamp(acknowledged - 2, 0, a.phoneBookTotal);
    a.messagesSent = std::clamp(acknowledged - 2 - a.phoneBookTotal, 0, a.messagesTotal);
    a.outcome = ok                 ? DownloadHistory::kSucceeded
                : a.clearsDone > 0 ? DownloadHistory::kIncomplete
                                   : DownloadHistory::kFailed;
    // A failure before the clear leaves the dialer as it was, incomplete or not.
    if (ok)
        ctx.link.incomplete = false;
    else if (a.HalfProgrammed())
        ctx.link.incomplete = true;
    // Without its started row the end is written as a whole row.
    QString why;
    r.historyError = r.history.Finish(a, &why) ? QString() : why;
}

QString Identified(DeviceContext& ctx, const DialerIdentity& dialer) {
    const MLText T{ctx.ml, QStringLiteral("Download")};
    const bool same = dialer.serialNo == ctx.link.dialer.serialNo;
    ctx.link.dialer = dialer;
    const auto last = DownloadHistory::LastReached(DownloadHistory::PathOf(ctx), dialer.serialNo);
    if (!same) ctx.link.incomplete = last && last->HalfProgrammed();
    if (!last) return {};
    const QString when = QLocale().toString(last->ended.isValid() ? last->ended : last->started,
                                            QStringLiteral("yyyy-MM-dd HH:mm"));
    if (last->HalfProgrammed())
        return T(QStringLiteral("上次下載不完整 (%1, %2)"), 1, 23004).arg(when, last->projectName);
    QString verdict;
    if (ctx.project.IsOpen()) {
        const QByteArray records =
            Download::ImageRecords(PhoneBook::BuildImages(ctx.project, false));
        verdict = DownloadHistory::ImageHash(records) == last->imageSha256
                      ? T(QStringLiteral("與開啟的專案相同"), 3, 23004)
                      : T(QStringLiteral("與開啟的專案不同"), 4, 23004);
    }
    QString line = T(QStringLiteral("上次下載: %1, %2"), 2, 23004).arg(when, last->projectName);
    if (!verdict.isEmpty()) line += T(QStringLiteral("，"), 5, 23004) + verdict;
    return line;
}

QString IncompleteParagraph(const MLState& ml, const DownloadAttempt& a) {
    const MLText T{ml, QStringLiteral("Download")};
    if (!a.HalfProgrammed()) return {};
    const QString phoneBook =
        a.phoneBookSent > 0
            ? T(QStringLiteral("電話簿第 1 至 %1 筆 (共 %2 筆)"), 1, 23002)
                  .arg(a.phoneBookSent)
                  .arg(a.phoneBookTotal)
            : T(QStringLiteral("電話簿無資料 (共 %1 筆)"), 2, 23002).arg(a.phoneBookTotal);
    QString messages;
    if (a.clearsDone < 2)
        messages = T(QStringLiteral("先前的簡訊"), 5, 23002);
    else if (a.messagesSent == 0)
        messages = T(QStringLiteral("無簡訊"), 3, 23002);
    else
        messages = T(QStringLiteral("簡訊第 1 至 %1 則 (共 %2 則)"), 4, 23002)
                       .arg(a.messagesSent)
                       .arg(a.messagesTotal);
    const QString holds = phoneBook + T(QStringLiteral("，"), 6, 23002) + messages;
    return VBUtil::kCrLf + VBUtil::kCrLf +
           T(QStringLiteral("簡訊報警機目前保存的是不完整的設定: %1。"), 1, 23001).arg(holds) +
           VBUtil::kCrLf +
           T(QStringLiteral("請在離開設定模式 (SW2 ON) 之前重新下載專案。"), 2, 23001);
}

QString HistoryNotWrittenLine(const MLState& ml, const Recording& r) {
    const MLText T{ml, QStringLiteral("Download")};
    if (r.historyError.isEmpty()) return {};
    return VBUtil::kCrLf +
           T(QStringLiteral("下載記錄未寫入: %1"), 1, 23003)
               .arg(QDir::toNativeSeparators(r.path) + QStringLiteral(": ") + r.historyError);
}
} // namespace DownloadOutcome
