#pragma once
// The small serial port interface the device link works on: a real port, or a scripted
// device in unit tests.
#include <QByteArray>
#include <QString>

struct LineSettings {
    int baudRate = 9600;
    int dataBits = 8;
    char parity = 'N'; // 'N', 'E', 'O'
    int stopBits = 1;
};

// Why the last operation on a port failed.
enum class PortError {
    None,
    NotFound,   // no such port
    Permission, // the user may not open it
    InUse,      // another program holds it
    Lost,       // read, write or resource error: the cable was pulled or the peer is gone
    Other,
};

class SerialPort {
public:
    virtual ~SerialPort() = default;
    virtual QString PortName() const = 0;
    virtual void SetPortName(const QString& name) = 0;
    virtual void SetLineSettings(const LineSettings& settings) = 0;
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual qint64 BytesWaiting() = 0;
    virtual QByteArray Read(qint64 maxBytes) = 0;
    virtual bool Write(const QByteArray& bytes) = 0;
    // Waits up to ms for input; false when none came (or the port failed: see LastError).
    virtual bool WaitForInput(int ms) = 0;
    // Drops input not yet read.
    virtual void DiscardInput() = 0;
    // The error of the last failed operation; None after a success. A lost port stays
    // Lost until it is closed.
    virtual PortError LastError() const = 0;
    // The last error in words; empty when none.
    virtual QString ErrorText() const = 0;
};
