#pragma once
// An in-memory serial device for unit tests of the device link. Every write is recorded
// with its time; a responder turns each request into a reply that arrives on a schedule
// (at once, after a delay, only partly, or followed by a lost port). A small register model
// answers like the alarm dialer. Check codes here are computed bit by bit, independently of
// the program's table-driven code.
#include "device/SerialPort.h"

#include <QElapsedTimer>
#include <QList>
#include <QMap>
#include <QThread>
#include <functional>

namespace TestFrames {
inline quint16 Crc(const QByteArray& bytes) {
    quint16 crc = 0xFFFF;
    for (char ch : bytes) {
        crc ^= quint8(ch);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}
// Appends the check code, low byte first.
inline QByteArray WithCrc(QByteArray bytes) {
    const quint16 crc = Crc(bytes);
    bytes.append(char(crc & 0xFF));
    bytes.append(char(crc >> 8));
    return bytes;
}
inline QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}
} // namespace TestFrames

// What the device sends back for one request.
struct ScriptedReply {
    QByteArray bytes;
    int delayMs = 0;  // before the first byte
    int splitAt = -1; // bytes from here on arrive splitDelayMs later
    int splitDelayMs = 0;
    bool loseAfter = false; // the port is lost (cable pulled) once the bytes are delivered
};

class ScriptedDevice : public SerialPort {
public:
    using Responder = std::function<ScriptedReply(const QByteArray& request)>;

    ScriptedDevice() { clock.start(); }

    // Answers each request; no responder: silence.
    Responder responder;
    QList<QByteArray> written;
    QList<qint64> writeTimes;   // ms on clock
    QList<QString> openedNames; // the port name at each successful open
    int opens = 0;
    int closes = 0;
    int lineSettingsApplied = 0;
    LineSettings settings;
    bool failOpen = false;
    PortError openError = PortError::NotFound;
    QString openErrorText = QStringLiteral("No such file or directory");
    QElapsedTimer clock;

    // Puts bytes into the input as if they arrived now (stale bytes, noise).
    void Inject(const QByteArray& bytes) { Schedule(bytes, 0); }
    // Loses the port now, as a pulled cable does.
    void Lose() { m_lost = true; }

    QString PortName() const override { return m_name; }
    void SetPortName(const QString& name) override { m_name = name; }
    void SetLineSettings(const LineSettings& s) override {
        settings = s;
        ++lineSettingsApplied;
    }
    bool Open() override {
        if (failOpen) {
            m_error = openError;
            return false;
        }
        m_open = true;
        m_lost = false;
        m_loseWhenDrained = false;
        m_error = PortError::None;
        ++opens;
        openedNames << m_name;
        return true;
    }
    void Close() override {
        if (m_open) ++closes;
        m_open = false;
        m_pending.clear();
        m_error = PortError::None;
    }
    bool IsOpen() const override { return m_open; }
    qint64 BytesWaiting() override {
        if (CheckLost()) return 0;
        // Bytes arrive in order: a chunk still on its way holds back those behind it.
        qint64 n = 0;
        for (const Chunk& c : m_pending) {
            if (c.due > clock.elapsed()) break;
            n += c.bytes.size();
        }
        return n;
    }
    QByteArray Read(qint64 maxBytes) override {
        if (CheckLost()) return {};
        QByteArray out;
        while (!m_pending.isEmpty() && m_pending.first().due <= clock.elapsed() &&
               out.size() < maxBytes) {
            Chunk& c = m_pending.first();
            const qint64 take = std::min<qint64>(maxBytes - out.size(), c.bytes.size());
            out += c.bytes.left(take);
            c.bytes.remove(0, take);
            if (c.bytes.isEmpty()) {
                const bool lose = c.loseAfter;
                m_pending.removeFirst();
                if (lose) m_loseWhenDrained = true;
            }
        }
        if (m_loseWhenDrained && m_pending.isEmpty()) m_lost = true;
        return out;
    }
    bool Write(const QByteArray& bytes) override {
        if (CheckLost() || !m_open) return false;
        written << bytes;
        writeTimes << clock.elapsed();
        if (responder) {
            const ScriptedReply r = responder(bytes);
            const qint64 now = clock.elapsed();
            if (r.splitAt >= 0 && r.splitAt < r.bytes.size()) {
                Schedule(r.bytes.left(r.splitAt), now + r.delayMs);
                Schedule(r.bytes.mid(r.splitAt), now + r.delayMs + r.splitDelayMs, r.loseAfter);
            } else {
                Schedule(r.bytes, now + r.delayMs, r.loseAfter);
            }
        }
        return true;
    }
    bool WaitForInput(int ms) override {
        if (CheckLost()) return false;
        const qint64 until = clock.elapsed() + ms;
        while (clock.elapsed() < until) {
            if (BytesWaiting() > 0) return true;
            if (CheckLost()) return false;
            QThread::msleep(1);
        }
        return BytesWaiting() > 0;
    }
    void DiscardInput() override {
        // Only what has arrived is dropped; a reply still on its way keeps coming.
        while (!m_pending.isEmpty() && m_pending.first().due <= clock.elapsed())
            m_pending.removeFirst();
    }
    PortError LastError() const override { return m_error; }
    QString ErrorText() const override {
        if (m_error == PortError::Lost) return QStringLiteral("Input/output error");
        if (m_error != PortError::None) return openErrorText;
        return {};
    }

private:
    struct Chunk {
        QByteArray bytes;
        qint64 due;
        bool loseAfter;
    };
    void Schedule(const QByteArray& bytes, qint64 due, bool loseAfter = false) {
        if (bytes.isEmpty() && !loseAfter) return;
        m_pending.append({bytes, due, loseAfter});
    }
    bool CheckLost() {
        if (m_lost && m_open) m_error = PortError::Lost;
        return m_error == PortError::Lost;
    }

    QString m_name;
    bool m_open = false;
    bool m_lost = false;
    bool m_loseWhenDrained = false;
    PortError m_error = PortError::None;
    QList<Chunk> m_pending;
};

// The alarm dialer's registers behind a ScriptedDevice: answers the reads and the settings
// write like the device does (exception 01 for any other function, 02 for other addresses).
struct FakeDialer {
    int station = 247;
    QMap<int, quint16> input{{0x0000, 0x4006}, {0x0001, 0x0102}, {0x0002, 0x3412},
                             {0x0003, 0x7856}, {0x0004, 0x2143}, {0x0005, 0x1209},
                             {0x0006, 0x0010}, {0x0007, 0x0001}, {0x0008, 0x0000},
                             {0x0009, 0x0000}, {0x000A, 0x0003}, {0x000B, 0x0004}};
    QMap<int, quint16> holding{{0x0080, 0x00F7}, {0x0081, 0x0003}, {0x0082, 0xBEEF}};
    QByteArray coils = TestFrames::Bytes({0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80});
    int answerStation = -1;   // >= 0: replies carry this station instead
    bool silent = false;      // the setting switch is off
    QList<QByteArray> writes; // every 0x10 request taken

    ScriptedReply Answer(const QByteArray& req) {
        using TestFrames::WithCrc;
        if (silent || req.size() < 4 || quint8(req[0]) != station) return {};
        const int st = answerStation >= 0 ? answerStation : station;
        const int fn = quint8(req[1]);
        auto exception = [&](int code) {
            return ScriptedReply{WithCrc(TestFrames::Bytes({st, fn + 0x80, code}))};
        };
        const int start = quint8(req[2]) * 256 + quint8(req[3]);
        const int count = req.size() >= 6 ? quint8(req[4]) * 256 + quint8(req[5]) : 0;
        if (fn == 0x03 || fn == 0x04) {
            const QMap<int, quint16>& regs = fn == 0x04 ? input : holding;
            QByteArray out = TestFrames::Bytes({st, fn, count * 2});
            for (int a = start; a < start + count; ++a) {
                if (!regs.contains(a)) return exception(2);
                out.append(char(regs[a] >> 8));
                out.append(char(regs[a] & 0xFF));
            }
            return {WithCrc(out)};
        }
        if (fn == 0x01 && start == 0 && count == 64)
            return {WithCrc(TestFrames::Bytes({st, 0x01, 8}) + coils)};
        if (fn == 0x10 && start == 0x0080 && count == 2 && req.size() >= 13) {
            writes << req;
            holding[0x0080] = quint16(quint8(req[7]) * 256 + quint8(req[8]));
            holding[0x0081] = quint16(quint8(req[9]) * 256 + quint8(req[10]));
            return {WithCrc(req.left(6))};
        }
        return exception(fn == 0x01 || fn == 0x10 ? 2 : 1);
    }
};
