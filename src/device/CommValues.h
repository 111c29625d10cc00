#pragma once
#include <QString>

// The communication values: the PC's port, the device's station address, and the silent
// time-out and retry count from the settings file.
struct CommValues {
    int PortNo = 1;   // classic COM port number
    QString PortName; // the port's platform name or device path; empty: from PortNo
    int SlaveID = 247;
    int TimeOut = 2; // seconds
    int Retry = 3;

    // The ranges accepted: beyond them a silent device would be waited for far too long.
    static constexpr int kMaxRetry = 10;
    static constexpr int kMaxTimeOut = 60;
    static bool RetryInRange(int n) { return n >= 0 && n <= kMaxRetry; }
    static bool TimeOutInRange(int n) { return n >= 0 && n <= kMaxTimeOut; }
    // Values from elsewhere (an older settings file) held to the ranges.
    void HoldToRange() {
        Retry = Retry < 0 ? 0 : Retry > kMaxRetry ? kMaxRetry : Retry;
        TimeOut = TimeOut < 0 ? 0 : TimeOut > kMaxTimeOut ? kMaxTimeOut : TimeOut;
    }
};
