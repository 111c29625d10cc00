#include "device/CommUtil.h"

#include "base/Ui.h"
#include "base/VBUtil.h"
#include "device/CommLink.h"
#include "device/CommValues.h"
#include "device/DeviceLink.h"
#include "device/KORVADll.h"
#include "device/RealSerialPort.h"
#include "ml/MLText.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <chrono>
#include <thread>

namespace CommUtil {
namespace {
// A receive waits at most this long before letting the events run.
constexpr int kWaitSliceMs = 10;

// Now, on the local clock.
QDateTime FrameTime(const DeviceLink& ctx) {
    const QDateTime utc = QDateTime::currentDateTimeUtc();
    CommLink& link = ctx.link;
    if (!link.utcOffsetAge.isValid() || link.utcOffsetAge.elapsed() >= 1000) {
        link.utcOffsetSeconds = utc.toLocalTime().offsetFromUtc();
        link.utcOffsetAge.start();
    }
    return utc.toOffsetFromUtc(link.utcOffsetSeconds);
}

void RunEvents(const DeviceLink& ctx) {
    ctx.ui.DoEvents();
    ctx.link.eventsAge.start();
}

void Observe(const DeviceLink& ctx, FrameDirection direction, const QByteArray& bytes,
             const QString& note = {}, bool portLost = false) {
    if (ctx.link.observer)
        ctx.link.observer(FrameEvent{FrameTime(ctx), direction, bytes, note, portLost});
}

// The port reported a read, write or resource error: close it at once so nothing spins on
// a dead port, and keep the reason for the operation's failure message.
void MarkLost(const DeviceLink& ctx) {
    SerialPort* port = ctx.port.get();
    ctx.link.lastError = PortError::Lost;
    ctx.link.lastErrorText = port ? port->ErrorText() : QString();
    ctx.link.lastPortName = port ? port->PortName() : QString();
    Observe(ctx, FrameDirection::Note, {}, QStringLiteral("port lost: ") + ctx.link.lastErrorText,
            true);
    if (port) port->Close();
}

bool Lost(const DeviceLink& ctx) {
    if (ctx.port && ctx.port->LastError() == PortError::Lost) {
        MarkLost(ctx);
        return true;
    }
    return false;
}

// Holds the next attempt back until the pause after a failed attempt has run out, letting
// events run meanwhile.
void WaitForPause(const DeviceLink& ctx) {
    QElapsedTimer since;
    since.start();
    while (ctx.link.pause && since.elapsed() <= kPauseWaitLimitMs) {
        if (!ctx.link.pauseTimer.isValid() || ctx.link.pauseTimer.elapsed() >= kRetryPauseMs) {
            ctx.link.pause = false;
            ctx.link.pauseTimer.invalidate();
            break;
        }
        ctx.ui.DoEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace

QString PortNameOf(int portNo) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM") + QString::number(portNo);
#else
    return QStringLiteral("/dev/ttyS") + QString::number(std::max(portNo, 1) - 1);
#endif
}

QString CurrentPortName(const CommValues& comm) {
    return comm.PortName.isEmpty() ? PortNameOf(comm.PortNo) : comm.PortName;
}

QVector<PortChoice> AvailablePorts() {
    QVector<PortChoice> out;
    const auto infos = QSerialPortInfo::availablePorts();
#ifdef Q_OS_WIN
    for (int i = 1; i <= 16; ++i) {
        PortChoice c{PortNameOf(i), {}};
        for (const QSerialPortInfo& info : infos)
            if (info.portName().compare(c.name, Qt::CaseInsensitive) == 0)
                c.description = info.description();
        out << c;
    }
#else
    for (const QSerialPortInfo& info : infos) {
        QString description = info.description();
        if (!info.manufacturer().isEmpty() && !description.contains(info.manufacturer()))
            description = description.isEmpty()
                              ? info.manufacturer()
                              : description + QStringLiteral(", ") + info.manufacturer();
        out << PortChoice{info.systemLocation(), description};
    }
    std::sort(out.begin(), out.end(), [](const PortChoice& a, const PortChoice& b) {
        // ttyS10 after ttyS9: compare the name's stem, then its number.
        auto split = [](const QString& s) {
            int i = s.size();
            while (i > 0 && s[i - 1].isDigit())
                --i;
            return std::make_pair(s.left(i), s.mid(i).toInt());
        };
        return split(a.name) < split(b.name);
    });
#endif
    return out;
}

void SetPortParams(const DeviceLink& ctx) {
    if (!ctx.port) ctx.port = std::make_unique<RealSerialPort>();
    ctx.port->SetPortName(CurrentPortName(ctx.comm));
    ctx.port->SetLineSettings(LineSettings{9600, 8, 'N', 1});
}

bool OpenComm(const DeviceLink& ctx) {
    ClosePort(ctx);
    if (!ctx.port) SetPortParams(ctx);
    if (ctx.port->Open()) {
        ctx.link.lastError = PortError::None;
        ctx.link.lastErrorText.clear();
        return true;
    }
    const PortError why = ctx.port->LastError();
    const MLText T{ctx.ml, QStringLiteral("CommUtil")};
    QString reason;
    switch (why) {
    case PortError::NotFound:
        reason = T(QStringLiteral("找不到此通訊埠。"), 1, 102);
        break;
    case PortError::Permission:
        reason = T(QStringLiteral("沒有使用此通訊埠的權限。"), 2, 102);
#ifdef Q_OS_LINUX
        reason += VBUtil::kCrLf + T(QStringLiteral("請將使用者加入 dialout 群組 (sudo usermod "
                                                   "-aG dialout 使用者名稱), 登出後再重新登入。"),
                                    3, 102);
#endif
        break;
    case PortError::InUse:
        reason = T(QStringLiteral("此通訊埠正被其他程式使用中。"), 4, 102);
        break;
    default:
        reason = T(QStringLiteral("通訊埠無法開啟:"), 5, 102) + u' ' + ctx.port->ErrorText();
        break;
    }
    ctx.ui.MsgBox(
        T(QStringLiteral("Unable to connect to Device."), 1, 101) + VBUtil::kCrLf +
            T(QStringLiteral("Please check cable connection and communicaiton parameter settings."),
              2, 101) +
            VBUtil::kCrLf + VBUtil::kCrLf + u'[' + ctx.port->PortName() + QStringLiteral("] ") +
            reason,
        vbOKOnly | vbCritical, T(QStringLiteral("Communicaiton Error"), 3, 101));
    return false;
}

bool EnsurePortOpen(const DeviceLink& ctx) {
    if (ctx.port && ctx.port->IsOpen()) return true;
    SetPortParams(ctx);
    return OpenComm(ctx);
}

bool ClosePort(const DeviceLink& ctx) {
    if (!ctx.port || !ctx.port->IsOpen()) return false;
    ctx.port->Close();
    return true;
}

int SendBytes(const DeviceLink& ctx, const QByteArray& bytes, int n) {
    SerialPort* port = ctx.port.get();
    if (!port || !port->IsOpen() || n <= 0) return 0;
    // Whatever is waiting belongs to an earlier exchange: it must never be taken for the
    // response to this request.
    const qint64 waiting = port->BytesWaiting();
    if (Lost(ctx)) return 0;
    if (waiting > 0) {
        const QByteArray stale = port->Read(waiting);
        if (Lost(ctx)) return 0;
        if (!stale.isEmpty()) Observe(ctx, FrameDirection::Discarded, stale);
        // The rest of that stray answer may still be arriving. (A look that found nothing
        // leaves nothing to drop: the driver is not asked again on every request.)
        port->DiscardInput();
    }
    const QByteArray frame = bytes.left(n);
    if (!port->Write(frame)) {
        if (!Lost(ctx))
            Observe(ctx, FrameDirection::Note, frame,
                    QStringLiteral("write failed: ") + port->ErrorText());
        return 0;
    }
    Observe(ctx, FrameDirection::Sent, frame);
    return n;
}

bool IsExceptionFrame(const QByteArray& bytes, int fn) {
    if (bytes.size() != 5 || quint8(bytes[1]) != quint8(fn + 0x80)) return false;
    const int crc = KORVADll::CRC16(0xFFFF, bytes, 3);
    return quint8(bytes[3]) == (crc & 0xFF) && quint8(bytes[4]) == (crc >> 8);
}

int ReceiveBytes(const DeviceLink& ctx, QByteArray& buffer, int expected, int timeOut,
                 int exceptionOf) {
    buffer.clear();
    SerialPort* port = ctx.port.get();
    if (expected <= 0 || !port || !port->IsOpen()) return 0;
    const qint64 limitMs = qint64(std::max(timeOut, 0)) * 1000 + kSilenceGraceMs;
    QElapsedTimer silence;
    silence.start();
    while (buffer.size() < expected) {
        // The wait comes first: it returns at once when input is there, so no separate look
        // is needed before it.
        port->WaitForInput(
            int(std::clamp<qint64>(limitMs - silence.elapsed() + 1, 0, kWaitSliceMs)));
        if (Lost(ctx)) break;
        const qint64 waiting = port->BytesWaiting();
        if (Lost(ctx)) break;
        if (waiting > 0) {
            const QByteArray chunk =
                port->Read(std::min<qint64>(waiting, expected - buffer.size()));
            if (Lost(ctx)) break;
            if (!chunk.isEmpty()) {
                buffer += chunk;
                silence.restart();
                if (exceptionOf >= 0 && IsExceptionFrame(buffer, exceptionOf)) break;
                // A complete response leaves the events to the caller's next exchange.
                if (buffer.size() < expected) RunEvents(ctx);
                continue;
            }
        }
        if (limitMs - silence.elapsed() < 0) break;
        RunEvents(ctx);
    }
    return int(buffer.size());
}

FrameCheck CheckResponse(const QByteArray& request, const QByteArray& response, int received,
                         int expected) {
    auto at = [&](const QByteArray& b, int i) { return i < b.size() ? quint8(b[i]) : 0; };
    if (received == 5 && at(response, 1) == quint8(at(request, 1) + 0x80))
        return FrameCheck::Exception;
    if (received < expected) return FrameCheck::Incomplete;
    if (at(response, 0) != at(request, 0)) return FrameCheck::WrongStation;
    if (at(response, 1) != at(request, 1)) return FrameCheck::WrongFunction;
    const int crc = KORVADll::CRC16(0xFFFF, response, expected - 2);
    if (crc != at(response, expected - 2) + 256 * at(response, expected - 1))
        return FrameCheck::BadCheckCode;
    return FrameCheck::Ok;
}

QString FrameCheckText(FrameCheck check) {
    switch (check) {
    case FrameCheck::Ok:
        return QStringLiteral("ok");
    case FrameCheck::Exception:
        return QStringLiteral("exception response");
    case FrameCheck::Incomplete:
        return QStringLiteral("incomplete response");
    case FrameCheck::WrongStation:
        return QStringLiteral("response from another station");
    case FrameCheck::WrongFunction:
        return QStringLiteral("response to another function");
    case FrameCheck::BadCheckCode:
        return QStringLiteral("check code mismatch");
    }
    return {};
}

bool SendCommand(const DeviceLink& ctx, QByteArray& request, int n, QByteArray& response, int m,
                 int timeOut, int retry) {
    if (n < 2) return false;
    if (request.size() < n + 2) request.resize(n + 2);
    const int crc = KORVADll::CRC16(0xFFFF, request, n);
    request[n] = char(crc % 256);
    request[n + 1] = char(crc / 256);
    ctx.link.lastError = PortError::None;
    ctx.link.lastErrorText.clear();
    if (ctx.link.busy) {
        // One exchange at a time: a command started from an event handler while another
        // waits for its response must not interleave frames on the wire.
        Observe(ctx, FrameDirection::Note, request.left(n + 2),
                QStringLiteral("refused: another command is in flight"));
        return false;
    }
    ctx.link.busy = true;
    bool ok = false;
    const int fn = quint8(request[1]);
    for (int attempt = 0;;) {
        if (!ctx.link.eventsAge.isValid() || ctx.link.eventsAge.elapsed() >= kEventsEveryMs)
            RunEvents(ctx);
        WaitForPause(ctx);
        if (!ctx.port || !ctx.port->IsOpen()) {
            Observe(ctx, FrameDirection::Note, {}, QStringLiteral("port not open"));
            break;
        }
        const int sent = SendBytes(ctx, request, n + 2);
        if (ctx.link.lastError == PortError::Lost) break;
        int received = 0;
        if (sent == n + 2) {
            received = ReceiveBytes(ctx, response, m, timeOut, fn);
            Observe(ctx, FrameDirection::Received, response,
                    received < m ? QStringLiteral("%1 of %2 bytes").arg(received).arg(m)
                                 : QString());
            if (ctx.link.lastError == PortError::Lost) break;
        }
        const FrameCheck check = CheckResponse(request, response, received, m);
        if (check == FrameCheck::Ok) {
            ok = true;
            break;
        }
        ++attempt;
        Observe(ctx, FrameDirection::Note, {},
                QStringLiteral("attempt %1 failed: %2").arg(attempt).arg(FrameCheckText(check)));
        ctx.link.pause = true;
        ctx.link.pauseTimer.start();
        if (attempt > retry) break;
    }
    ctx.link.busy = false;
    return ok;
}

QString LostPortText(const DeviceLink& ctx) {
    if (ctx.link.lastError != PortError::Lost) return {};
    const MLText T{ctx.ml, QStringLiteral("CommUtil")};
    return VBUtil::kCrLf + VBUtil::kCrLf + u'[' + ctx.link.lastPortName + QStringLiteral("] ") +
           T(QStringLiteral("通訊埠連線中斷 (通訊線已拔除或裝置已離線), 通訊埠已關閉。"), 1, 103);
}

} // namespace CommUtil
