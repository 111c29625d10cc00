#include "MachineDownload.h"

#include "ProjectCommands.h"

#include "app/AppContext.h"
#include "device/CommUtil.h"
#include "device/Download.h"
#include "device/DownloadOutcome.h"
#include "device/KORVACommUtil.h"
#include "device/MultiDownload.h"
#include "editing/PhoneBook.h"
#include "ml/MLText.h"

#include <QCommandLineParser>
#include <algorithm>
#include <csignal>
#include <poll.h>
#include <unistd.h>

namespace {
// SIGTERM only sets this; the download looks at it between exchanges.
volatile std::sig_atomic_t g_terminate = 0;

void OnTerminate(int) {
    g_terminate = 1;
}

QString OneLine(QString text) {
    return text.replace(QLatin1String("\r\n"), QLatin1String(" ")).simplified();
}
} // namespace

MachineUi::MachineUi() : TerminalUi(false) {
    struct sigaction sa {};
    sa.sa_handler = OnTerminate;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGTERM, &sa, nullptr);
}

MsgResult MachineUi::MsgBox(const QString& prompt, MsgStyle style, const QString& title) {
    // On stderr too, as on a terminal, for whoever keeps the child's messages.
    err << '[' << title << "]\n"
        << QString(prompt).replace(QLatin1String("\r\n"), QLatin1String("\n")) << '\n';
    err.flush();
    lastMessage = prompt;
    if (MsgButtons(style) != vbOKCancel || askedToGo) return vbOK;
    askedToGo = true;
    Emit({QStringLiteral("ready")});
    while (!going && !StopAsked())
        ReadCommands(100);
    return going ? vbOK : vbCancel;
}

void MachineUi::DoEvents() {
    TerminalUi::DoEvents();
    ReadCommands(0);
}

void MachineUi::SetProgressValue(int done, int total, const QString&) {
    acknowledged = done;
    const int clears = 2;
    const int messages = total - clears - phoneBookTotal;
    if (done <= clears)
        Emit({QStringLiteral("progress"), QStringLiteral("clear"), QString::number(done),
              QString::number(clears)});
    else if (done <= clears + phoneBookTotal)
        Emit({QStringLiteral("progress"), QStringLiteral("phonebook"),
              QString::number(done - clears), QString::number(phoneBookTotal)});
    else
        Emit({QStringLiteral("progress"), QStringLiteral("messages"),
              QString::number(done - clears - phoneBookTotal), QString::number(messages)});
}

void MachineUi::Emit(const QStringList& fields) {
    out << QString::fromUtf8(BenchLine::Format(fields));
    out.flush();
}

bool MachineUi::StopAsked() const {
    return m_stop || m_eof || g_terminate;
}

void MachineUi::ReadCommands(int waitMs) {
    if (m_eof) return;
    pollfd p{STDIN_FILENO, POLLIN, 0};
    if (::poll(&p, 1, waitMs) <= 0) return;
    char buf[256];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n <= 0) {
        m_eof = true; // the parent is gone: nothing more may be sent
        return;
    }
    m_input.append(buf, n);
    for (qsizetype end = m_input.indexOf('\n'); end >= 0; end = m_input.indexOf('\n')) {
        const QByteArray command = m_input.left(end).trimmed();
        m_input.remove(0, end + 1);
        if (command == "go" && !going) {
            going = true;
            sending.start();
        }
        if (command == "cancel") m_stop = true;
    }
}

namespace MachineDownload {

namespace {
struct Result {
    BenchOutcome outcome;
    QString text;
};

// How the download ended, from what was acknowledged (clears first, then the phonebook, then
// the messages) and why it stopped.
Result Judge(AppContext& ctx, const MachineUi& ui, const ProjectImage& image, bool ok) {
    const MLText T{ctx.ml, QStringLiteral("MultiDownload")};
    if (ok)
        return {BenchOutcome::Ok,
                T(QStringLiteral("已下載 %1 Byte。"), 3, 25004).arg(image.projectSize)};
    if (!ui.askedToGo || !ui.going)
        return ui.askedToGo ? Result{BenchOutcome::Cancelled,
                                     T(QStringLiteral("未傳送任何資料。"), 1, 25004)}
                            : Result{BenchOutcome::Refused, OneLine(ui.lastMessage)};
    DownloadAttempt a;
    a.phoneBookTotal = int(image.phoneBook.size());
    a.messagesTotal = int(image.shortMessages.size());
    a.clearsDone = std::clamp(ui.acknowledged, 0, 2);
    a.phoneBookSent = std::clamp(ui.acknowledged - 2, 0, a.phoneBookTotal);
    a.messagesSent = std::clamp(ui.acknowledged - 2 - a.phoneBookTotal, 0, a.messagesTotal);
    if (a.clearsDone > 0) {
        a.outcome = DownloadHistory::kIncomplete;
        return {BenchOutcome::Incomplete, OneLine(DownloadOutcome::IncompleteParagraph(ctx.ml, a))};
    }
    if (ui.StopAsked())
        return {BenchOutcome::Cancelled, T(QStringLiteral("未傳送任何資料。"), 1, 25004)};
    const QString lost = OneLine(CommUtil::LostPortText(ctx));
    return {BenchOutcome::Failed,
            lost.isEmpty() ? T(QStringLiteral("簡訊報警機沒有回應。"), 2, 25004) : lost};
}
} // namespace

int Run(ProjectCommands::Invocation& in, MachineUi& ui) {
    AppContext& ctx = in.ctx;
    const MLText T{ctx.ml, QStringLiteral("MultiDownload")};
    ctx.link.dumpDir = in.Path(QStringLiteral("dump-dir"));
    ctx.link.historyProjectPath = in.project;
    ctx.link.stopRequested = [&ui] { return ui.StopAsked(); };
    const auto finish = [&](BenchOutcome outcome, const QString& text) {
        const double seconds = ui.sending.isValid() ? ui.sending.elapsed() / 1000.0 : 0.0;
        ui.Emit({QStringLiteral("result"), BenchOutcomes::Word(outcome),
                 QString::number(seconds, 'f', 1), text});
        return outcome == BenchOutcome::Ok ? ProjectCommands::kOk : ProjectCommands::kFailed;
    };

    // Connected and identified first: the dialer's model decides whether it can take it.
    DeviceInfo info;
    if (!CommUtil::EnsurePortOpen(ctx))
        return finish(BenchOutcome::Failed, OneLine(ui.lastMessage));
    if (!KORVACommUtil::ReadCommSettings(ctx, info, false)) {
        const QString lost = OneLine(CommUtil::LostPortText(ctx));
        return finish(BenchOutcome::Failed,
                      lost.isEmpty() ? T(QStringLiteral("簡訊報警機沒有回應。"), 2, 25004) : lost);
    }
    DownloadOutcome::Identified(ctx, {info.SerialNo, info.ModelName, info.TypeCode});
    ui.Emit({QStringLiteral("connected"), info.SerialNo,
             info.ModelName.isEmpty() ? info.TypeCode : info.ModelName});

    const ProjectImage image = PhoneBook::BuildImages(ctx.project, false);
    ui.phoneBookTotal = int(image.phoneBook.size());
    if (const QString why = BenchCheck::Refusal(ctx, image, info.ModelName); !why.isEmpty()) {
        ui.Emit({QStringLiteral("refused"), OneLine(why)});
        return finish(BenchOutcome::Refused, OneLine(why));
    }
    // The single download from here: its checks (a refusal before "ready"), the confirmation
    // ("ready", then go), the exchanges, the history and the final message.
    const bool ok = Download::DownloadProject(ctx);
    const Result r = Judge(ctx, ui, image, ok);
    if (r.outcome == BenchOutcome::Refused) ui.Emit({QStringLiteral("refused"), r.text});
    return finish(r.outcome, r.text);
}

} // namespace MachineDownload
