#include "PtyLink.h"
#include "Frame.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTime>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace devsim {

namespace {

// 9600 baud, 10 bits a character (start, 8 data, stop).
constexpr int64_t CharNs = 10'000'000'000LL / 9600;
// The inter-frame silence of Modbus RTU: 3.5 character times.
constexpr int64_t GapNs = CharNs * 7 / 2;
// Input beyond this without a frame in it is line noise.
constexpr qsizetype MaxFrame = 512;

QString Errno() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool Error(const QString& text) {
    std::fprintf(stderr, "korva-devsim: %s\n", text.toLocal8Bit().constData());
    return false;
}

// lstat: 0 = nothing there, else the file's mode.
mode_t ModeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

} // namespace

PtyLink::PtyLink(const Options& options)
    : m_options(options), m_device(options.device), m_faults(options.faults), m_sw2(options.sw2) {}

PtyLink::~PtyLink() {
    Close();
}

int64_t PtyLink::Now() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

bool PtyLink::Open() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return Error(QStringLiteral("cannot open a pseudo-terminal: %1").arg(Errno()));
    char name[128] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0)
        return Error(QStringLiteral("cannot name the pseudo-terminal: %1").arg(Errno()));
    m_slavePath = QString::fromLocal8Bit(name);
    // Holding the terminal side open ourselves means a client closing it never leaves the
    // master in hang-up (which poll would report without end).
    m_slaveHold = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slaveHold < 0)
        return Error(QStringLiteral("cannot open %1: %2").arg(m_slavePath, Errno()));
    termios t{};
    if (::tcgetattr(m_slaveHold, &t) == 0) {
        ::cfmakeraw(&t);
        ::cfsetispeed(&t, B9600);
        ::cfsetospeed(&t, B9600);
        t.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(m_slaveHold, TCSANOW, &t);
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    sigset_t mask;
    sigemptyset(&mask);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGUSR1})
        sigaddset(&mask, s);
    m_signals = ::signalfd(-1, &mask, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_signals < 0) return Error(QStringLiteral("cannot watch signals: %1").arg(Errno()));

    if (!m_options.control.isEmpty()) {
        const QByteArray path = QFile::encodeName(m_options.control);
        const mode_t mode = ModeOf(m_options.control);
        if (mode == 0) {
            if (::mkfifo(path.constData(), 0600) != 0)
                return Error(QStringLiteral("cannot make the control FIFO %1: %2")
                                 .arg(m_options.control, Errno()));
            m_madeFifo = true;
        } else if (!S_ISFIFO(mode)) {
            return Error(QStringLiteral("%1 exists and is not a FIFO").arg(m_options.control));
        }
        m_control = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        m_controlKeep = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (m_control < 0 || m_controlKeep < 0)
            return Error(QStringLiteral("cannot open the control FIFO %1: %2")
                             .arg(m_options.control, Errno()));
    }

    if (!m_options.link.isEmpty()) {
        const QString& link = m_options.link;
        const mode_t mode = ModeOf(link);
        if (mode != 0 && !S_ISLNK(mode))
            return Error(
                QStringLiteral("%1 exists and is not a symlink; not replacing it").arg(link));
        if (mode != 0)
            ::unlink(QFile::encodeName(link).constData()); // a stale link of an earlier run
        QDir().mkpath(QFileInfo(link).absolutePath());
        if (::symlink(name, QFile::encodeName(link).constData()) != 0)
            return Error(QStringLiteral("cannot make the link %1: %2").arg(link, Errno()));
        m_madeLink = true;
    }
    return true;
}

void PtyLink::Close() {
    if (m_madeLink) {
        // Remove the link only while it still points to our terminal.
        if (QFileInfo(m_options.link).symLinkTarget() == QFileInfo(m_slavePath).absoluteFilePath())
            ::unlink(QFile::encodeName(m_options.link).constData());
        m_madeLink = false;
    }
    if (m_madeFifo) {
        ::unlink(QFile::encodeName(m_options.control).constData());
        m_madeFifo = false;
    }
    for (int* fd : {&m_master, &m_slaveHold, &m_signals, &m_control, &m_controlKeep}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

int PtyLink::Run() {
    while (!m_quit) {
        const int64_t now = Now();
        const bool masterPaused = now < m_masterPauseUntil;
        pollfd fds[3] = {{masterPaused ? -1 : m_master, POLLIN, 0},
                         {m_signals, POLLIN, 0},
                         {m_control, POLLIN, 0}};
        int64_t deadline = NextDeadline();
        if (masterPaused)
            deadline = deadline < 0 ? m_masterPauseUntil : std::min(deadline, m_masterPauseUntil);
        timespec wait{};
        timespec* timeout = nullptr; // nothing due: sleep until something happens
        if (deadline >= 0) {
            const int64_t ns = std::max<int64_t>(0, deadline - now);
            wait = {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
            timeout = &wait;
        }
        if (::ppoll(fds, 3, timeout, nullptr) < 0 && errno != EINTR) {
            Error(QStringLiteral("poll failed: %1").arg(Errno()));
            break;
        }

        if (fds[1].revents & POLLIN) ReadSignals();
        if (fds[2].revents & POLLIN) ReadControl();

        int64_t t = Now();
        // A frame ends at the line's silence, judged before any newer bytes are read.
        if ((!m_rx.isEmpty() || m_discarding) && t - m_lastRx >= GapNs) OnSilence(t);
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char buf[4096];
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n > 0) {
                OnInput(QByteArray(buf, n), Now());
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                // No terminal side open (cannot happen while we hold it): look again later
                // rather than spin on the hang-up.
                m_masterPauseUntil = t + 100'000'000;
            }
        }
        FlushOutput(Now());
    }
    if (!m_options.stateFile.isEmpty()) WriteState();
    Close();
    return 0;
}

int64_t PtyLink::NextDeadline() const {
    int64_t deadline = -1;
    auto consider = [&](int64_t t) { deadline = deadline < 0 ? t : std::min(deadline, t); };
    if (!m_rx.isEmpty() || m_discarding) consider(m_lastRx + GapNs);
    if (!m_out.empty()) {
        const Outgoing& o = m_out.front();
        consider(o.start + o.sent * o.charNs);
    }
    return deadline;
}

void PtyLink::OnInput(const QByteArray& bytes, int64_t now) {
    m_count.bytesIn += bytes.size();
    m_lastRx = now;
    if (m_discarding) {
        Log("RX", bytes, QStringLiteral("discarded up to the next silence"));
        return;
    }
    if (m_rx.isEmpty()) m_rxStart = now;
    m_rx += bytes;
    TakeFrames(now);
    if (m_rx.size() > MaxFrame) {
        ++m_count.badFrames;
        Log("RX", m_rx, QStringLiteral("too long for a frame, discarded"));
        m_rx.clear();
        m_discarding = true;
    }
}

void PtyLink::TakeFrames(int64_t now) {
    while (!m_rx.isEmpty()) {
        const int length = RequestLength(m_rx);
        if (length <= 0 || m_rx.size() < length) return; // more bytes, or the silence, will tell
        const QByteArray frame = m_rx.left(length);
        if (!CrcOk(frame)) {
            // Where this frame really ends cannot be trusted: drop all up to the silence.
            ++m_count.badFrames;
            Log("RX", m_rx, QStringLiteral("wrong check code, discarded"));
            m_rx.clear();
            m_discarding = true;
            return;
        }
        m_rx.remove(0, length);
        Process(frame, now);
        m_rxStart = now;
    }
}

void PtyLink::OnSilence(int64_t now) {
    if (!m_rx.isEmpty()) {
        // Only a function whose length is unknown ends at the silence; anything else here
        // stopped short.
        if (RequestLength(m_rx) == Unknown && m_rx.size() >= 4 && CrcOk(m_rx)) {
            Process(m_rx, now);
        } else {
            ++m_count.badFrames;
            Log("RX", m_rx, QStringLiteral("no whole frame before the silence, discarded"));
        }
        m_rx.clear();
    }
    m_discarding = false;
}

void PtyLink::Process(const QByteArray& frame, int64_t now) {
    const uint8_t station = static_cast<uint8_t>(frame[0]);
    if (station != m_device.Station()) {
        ++m_count.framesOtherStation;
        Log("RX", frame, QStringLiteral("station %1, not ours").arg(station));
        return;
    }
    ++m_count.framesReceived;
    if (!m_sw2) {
        ++m_count.framesSilent;
        Log("RX", frame, QStringLiteral("SW2 OFF, no reply"));
        return;
    }
    Log("RX", frame);
    const uint8_t function = static_cast<uint8_t>(frame[1]);
    const bool refused = m_faults.NextRefused();
    const QByteArray reply =
        m_options.faults.exception
            ? Device::ExceptionReply(station, function,
                                     static_cast<uint8_t>(m_options.faults.exception))
        : refused ? Device::ExceptionReply(station, function, exc::DeviceFailure)
                  : m_device.Handle(frame);
    if (static_cast<uint8_t>(reply[1]) & 0x80) ++m_count.exceptions;

    const ReplyFate fate = m_faults.Next();
    if (fate.drop) {
        ++m_count.framesDropped;
        Log("TX", reply, QStringLiteral("dropped"));
        return;
    }
    QStringList notes;
    if (fate.wrongStation) {
        ++m_count.wrongStation;
        notes << QStringLiteral("wrong station");
    }
    if (fate.corruptCrc) {
        ++m_count.corruptCrc;
        notes << QStringLiteral("corrupt check code");
    }
    if (!fate.noise.isEmpty()) {
        ++m_count.noise;
        notes << QStringLiteral("%1 noise bytes first").arg(fate.noise.size());
    }
    if (fate.stall)
        notes << QStringLiteral("stalled after %1 of %2 bytes")
                     .arg(reply.size() / 2)
                     .arg(reply.size());

    Outgoing out;
    out.bytes = Faults::Apply(reply, fate);
    out.whole = !fate.stall;
    out.note = notes.join(QStringLiteral(", "));
    out.start = now;
    if (m_options.pace) {
        // The request took its own wire time to arrive; the reply follows the 3.5-character
        // gap and takes one character time a byte.
        const int64_t received = std::max<int64_t>(m_rxStart + frame.size() * CharNs, m_txFree);
        out.start = std::max(now, received + GapNs);
        out.charNs = CharNs;
        m_txFree = out.start + out.bytes.size() * CharNs;
    }
    m_out.push_back(out);
}

void PtyLink::FlushOutput(int64_t now) {
    while (!m_out.empty()) {
        Outgoing& o = m_out.front();
        if (now < o.start) return;
        qsizetype due = o.bytes.size();
        if (o.charNs > 0) due = std::min<qsizetype>(due, (now - o.start) / o.charNs + 1);
        if (due > o.sent) {
            const ssize_t n = ::write(m_master, o.bytes.constData() + o.sent, due - o.sent);
            if (n < 0) {
                if (errno == EINTR) continue;
                // The terminal's buffer is full (nobody reads): drop the reply, never wait on it.
                ++m_count.outputLost;
                Log("TX", o.bytes,
                    QStringLiteral("terminal full, reply lost after %1 bytes").arg(o.sent));
                m_out.pop_front();
                continue;
            }
            o.sent += n;
            m_count.bytesOut += n;
        }
        if (o.sent < o.bytes.size()) return;
        if (o.whole)
            ++m_count.framesAnswered;
        else
            ++m_count.framesStalled;
        Log("TX", o.bytes, o.note);
        m_out.pop_front();
    }
}

void PtyLink::ReadSignals() {
    signalfd_siginfo info{};
    while (::read(m_signals, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        if (info.ssi_signo == SIGUSR1)
            WriteState();
        else
            m_quit = true;
    }
}

void PtyLink::ReadControl() {
    char buf[1024];
    ssize_t n;
    while ((n = ::read(m_control, buf, sizeof buf)) > 0) {
        m_controlLine.append(buf, n);
        qsizetype end;
        while ((end = m_controlLine.indexOf('\n')) >= 0) {
            Command(QString::fromUtf8(m_controlLine.left(end)).trimmed());
            m_controlLine.remove(0, end + 1);
        }
        if (m_controlLine.size() > 4096) m_controlLine.clear();
    }
}

void PtyLink::Command(const QString& line) {
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) return;
    const QString verb = words[0].toLower();
    uint64_t a = 0, b = 0;
    if (verb == QLatin1String("sw2") && words.size() == 2 &&
        (words[1] == QLatin1String("on") || words[1] == QLatin1String("off"))) {
        m_sw2 = words[1] == QLatin1String("on");
        Note(QStringLiteral("SW2 %1").arg(m_sw2 ? QStringLiteral("ON") : QStringLiteral("OFF")));
    } else if (verb == QLatin1String("pace") && words.size() == 2 &&
               (words[1] == QLatin1String("on") || words[1] == QLatin1String("off"))) {
        m_options.pace = words[1] == QLatin1String("on");
        Note(QStringLiteral("pacing %1")
                 .arg(m_options.pace ? QStringLiteral("ON") : QStringLiteral("OFF")));
    } else if (verb == QLatin1String("state") && words.size() == 1) {
        WriteState();
    } else if (verb == QLatin1String("coil") && words.size() == 3 &&
               ParseNumber(words[1], Device::CoilCount - 1, a) && ParseNumber(words[2], 1, b)) {
        m_device.SetCoil(static_cast<int>(a), b != 0);
    } else if (verb == QLatin1String("input") && words.size() == 3 &&
               ParseNumber(words[1], Device::InputCount - 1, a) &&
               ParseNumber(words[2], 0xFFFF, b)) {
        m_device.SetInput(static_cast<int>(a), static_cast<uint16_t>(b));
    } else if (verb == QLatin1String("quit") && words.size() == 1) {
        m_quit = true;
    } else {
        Error(QStringLiteral("unknown control command \"%1\"").arg(line));
    }
}

void PtyLink::WriteState() {
    QJsonObject state = m_device.State();
    state.insert(QStringLiteral("sw2"), m_sw2);
    state.insert(QStringLiteral("counters"),
                 QJsonObject{
                     {QStringLiteral("bytesIn"), m_count.bytesIn},
                     {QStringLiteral("bytesOut"), m_count.bytesOut},
                     {QStringLiteral("framesReceived"), m_count.framesReceived},
                     {QStringLiteral("framesAnswered"), m_count.framesAnswered},
                     {QStringLiteral("framesDropped"), m_count.framesDropped},
                     {QStringLiteral("framesStalled"), m_count.framesStalled},
                     {QStringLiteral("framesSilent"), m_count.framesSilent},
                     {QStringLiteral("framesOtherStation"), m_count.framesOtherStation},
                     {QStringLiteral("badFrames"), m_count.badFrames},
                     {QStringLiteral("exceptions"), m_count.exceptions},
                     {QStringLiteral("corruptCrc"), m_count.corruptCrc},
                     {QStringLiteral("wrongStation"), m_count.wrongStation},
                     {QStringLiteral("noise"), m_count.noise},
                     {QStringLiteral("outputLost"), m_count.outputLost},
                 });
    const QByteArray json = QJsonDocument(state).toJson(QJsonDocument::Indented);
    if (m_options.stateFile.isEmpty()) {
        std::fwrite(json.constData(), 1, json.size(), stdout);
        std::fflush(stdout);
        return;
    }
    // Written whole or not at all: a reader never sees half a file.
    QSaveFile file(m_options.stateFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit())
        Error(QStringLiteral("cannot write the state file %1: %2")
                  .arg(m_options.stateFile, file.errorString()));
}

void PtyLink::Log(const char* direction, const QByteArray& bytes, const QString& note) const {
    if (!m_options.log) return;
    const QByteArray time =
        QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1();
    std::fprintf(stderr, "%s %s %s%s%s\n", time.constData(), direction, Hex(bytes).constData(),
                 note.isEmpty() ? "" : "  # ", note.toUtf8().constData());
}

void PtyLink::Note(const QString& text) const {
    if (!m_options.log) return;
    const QByteArray time =
        QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1();
    std::fprintf(stderr, "%s -- %s\n", time.constData(), text.toUtf8().constData());
}

} // namespace devsim
