#pragma once
// Command line of korva-devsim.
#include "Device.h"
#include "Faults.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace devsim {

struct Options {
    DeviceConfig device;
    FaultConfig faults;
    QString link;      // symlink to the pseudo-terminal, for the client to open
    QString stateFile; // JSON state written at exit and on request
    QString control;   // FIFO of control commands
    bool sw2 = true;   // setting switch: ON answers, OFF keeps silent
    bool pace = false; // replies take their 9600 baud wire time
    bool log = false;  // every frame in hex on stderr
};

// Parses the arguments (argv[0] first). On an error or --help/--version it prints what is
// due and returns nothing, with the exit code in exitCode.
std::optional<Options> ParseOptions(const QStringList& arguments, int& exitCode);

// "0x..." hexadecimal, otherwise decimal; false when not a number or above max.
bool ParseNumber(const QString& text, uint64_t max, uint64_t& value);

} // namespace devsim
