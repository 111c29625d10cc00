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
};
