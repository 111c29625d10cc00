#pragma once
// The state of the device link beside the port itself: the retry pause, the observer of
// every frame, the exchange in flight and why the port was last lost.
#include "device/SerialPort.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <functional>

enum class FrameDirection {
    Sent,      // a request frame written to the port
    Received,  // the bytes one attempt received (possibly fewer than expected)
    Discarded, // stale input dropped before a request
    Note,      // why an attempt failed, or that the port was lost
};

struct FrameEvent {
    QDateTime time;
    FrameDirection direction = FrameDirection::Note;
    QByteArray bytes;
    QString note;
    bool portLost = false; // a note: the port failed and was closed
};

// The dialer as identified at the last connect.
struct DialerIdentity {
    QString serialNo;
    QString modelName;
    QString typeCode;
};

struct CommLink {
    // Set after a failed attempt; the next attempt waits until the pause has run out.
    bool pause = false;
    QElapsedTimer pauseTimer;
    // True while a command is on the wire: a second one must not start meanwhile.
    bool busy = false;
    // The port failure that ended the last exchange (Lost: cable pulled, peer gone).
    PortError lastError = PortError::None;
    QString lastErrorText;
    QString lastPortName;
    // Sees every frame sent and received, for the communication log and tracing.
    std::function<void(const FrameEvent&)> observer;
    // The local time's offset from UTC for the frames' times, looked up again at most once a
    // second (asking the time zone for every frame costs a file check).
    int utcOffsetSeconds = 0;
    QElapsedTimer utcOffsetAge;
    // Since the events last ran before a command: fast exchanges run them now and then,
    // not for every frame.
    QElapsedTimer eventsAge;
    // Where a download leaves its dump files; empty: the current working directory.
    QString dumpDir;
    // The dump files the last download could not write (paths), for its final message.
    QStringList dumpsNotWritten;
    // The dialer read at the last connect; empty serial: none identified.
    DialerIdentity dialer;
    // The dialer on the link holds a download that failed after its memory was cleared.
    bool incomplete = false;
    // The project file a download is recorded under; empty: the open project's.
    QString historyProjectPath;
    // A download reads the dialer's identity itself (korvactl, which does not connect first).
    bool identifyAtDownload = false;
    // Asked between exchanges: true ends a download after the exchange in flight (a bench
    // run being cancelled). Unset: never.
    std::function<bool()> stopRequested;
};
