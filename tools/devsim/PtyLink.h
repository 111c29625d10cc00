#pragma once
// The device on its line: a pseudo-terminal in raw mode with a symlink for the client, the
// request framing (3.5-character silence, or the length a function code tells), the replies
// with their faults and optional wire pacing, the control FIFO, signals and the state file.
// One thread, one poll loop; it sleeps while nothing is due.
#include "Device.h"
#include "Faults.h"
#include "Options.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <deque>

namespace devsim {

class PtyLink {
public:
    explicit PtyLink(const Options& options);
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Opens the pseudo-terminal, the signal descriptor, the control FIFO and the link.
    // False with a message on stderr.
    bool Open();
    QString TerminalPath() const { return m_slavePath; }
    // Serves until a stop signal or the "quit" command; returns the exit code.
    int Run();

private:
    struct Counters {
        qint64 bytesIn = 0, bytesOut = 0;
        qint64 framesReceived = 0; // to this station, check code right
        qint64 framesAnswered = 0; // replies sent whole (faulty ones included)
        qint64 framesDropped = 0;  // replies withheld by a fault
        qint64 framesStalled = 0;  // replies cut off halfway
        qint64 framesSilent = 0;   // received while SW2 was OFF
        qint64 framesOtherStation = 0;
        qint64 badFrames = 0; // wrong check code, fragments, overlong input
        qint64 exceptions = 0;
        qint64 corruptCrc = 0, wrongStation = 0, noise = 0;
        qint64 outputLost = 0; // replies the terminal would not take
    };
    struct Outgoing {
        QByteArray bytes;
        int64_t start = 0;  // monotonic ns of the first byte
        int64_t charNs = 0; // time between bytes; 0 writes at once
        qsizetype sent = 0;
        bool whole = true; // false for a stalled reply
        QString note;
    };

    static int64_t Now();
    void OnInput(const QByteArray& bytes, int64_t now);
    void TakeFrames(int64_t now);
    void OnSilence(int64_t now);
    void Process(const QByteArray& frame, int64_t now);
    void FlushOutput(int64_t now);
    int64_t NextDeadline() const; // -1: nothing due
    void ReadControl();
    void Command(const QString& line);
    void ReadSignals();
    void WriteState();
    void Log(const char* direction, const QByteArray& bytes, const QString& note = {}) const;
    void Note(const QString& text) const;
    void Close();

    Options m_options;
    Device m_device;
    Faults m_faults;
    bool m_sw2;
    bool m_quit = false;

    int m_master = -1;
    int m_slaveHold = -1; // keeps the terminal alive while no client has it open
    int m_signals = -1;
    int m_control = -1;
    int m_controlKeep = -1; // our own writer, so the FIFO never reports hang-up
    bool m_madeFifo = false;
    bool m_madeLink = false;
    QString m_slavePath;
    QByteArray m_controlLine;

    QByteArray m_rx;           // bytes of the frame being received
    int64_t m_rxStart = 0;     // arrival of its first byte
    int64_t m_lastRx = 0;      // arrival of the last byte
    bool m_discarding = false; // dropping input until the next silence
    int64_t m_masterPauseUntil = 0;
    std::deque<Outgoing> m_out;
    int64_t m_txFree = 0; // when the line is free after the queued replies
    Counters m_count;
};

} // namespace devsim
