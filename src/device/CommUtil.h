#pragma once
// The serial port of the device link and the request/response exchange on it: port
// parameters, open and close, sending and receiving with a silent time-out, and commands
// with their check code, validation and retries.
#include <QByteArray>
#include <QString>
#include <QVector>

struct CommValues;
struct DeviceLink;

namespace CommUtil {
// A failed attempt holds the next one back this long.
constexpr int kRetryPauseMs = 30;
// The wait for the pause gives up after this long (it only matters if the clock stalls).
constexpr int kPauseWaitLimitMs = 10000;
// A receive gives up once the silence has lasted the time-out plus this much: more than
// the time-out, and never a whole second after it.
constexpr int kSilenceGraceMs = 500;

// Commands one after another let the events run when this long has passed since they last
// did (a waiting receive lets them run all along).
constexpr int kEventsEveryMs = 4;

// The platform's name of a classic port number: "COMn" on Windows, /dev/ttyS(n-1) elsewhere.
QString PortNameOf(int portNo);
// The port the link uses: the chosen name or path, else the one of the port number.
QString CurrentPortName(const CommValues& comm);

struct PortChoice {
    QString name;        // what to open: "COM3", "/dev/ttyUSB0"
    QString description; // empty when the platform has none
};
// The ports to offer: COM1 to COM16 on Windows, the ports the platform reports elsewhere.
QVector<PortChoice> AvailablePorts();

// Points the port at the chosen port with the fixed line parameters 9600,N,8,1 (creates
// the real port the first time).
void SetPortParams(const DeviceLink& ctx);
// Closes the port if open and opens it. A port that cannot be opened shows the
// communication error message (with the reason and, for permissions, the fix) and gives
// false.
bool OpenComm(const DeviceLink& ctx);
// Opens the port unless it is open already (then nothing is changed).
bool EnsurePortOpen(const DeviceLink& ctx);
// True when the port was open and is now closed.
bool ClosePort(const DeviceLink& ctx);
// Drops stale input, then writes the first n bytes in one write. Returns n, or 0 when the
// write failed.
int SendBytes(const DeviceLink& ctx, const QByteArray& bytes, int n);
// Receives up to expected bytes into buffer (replaced by what arrived) and returns their
// count. Gives up once the silence since the last byte has lasted more than timeOut
// seconds. With exceptionOf >= 0 a complete exception response to that function code ends
// the wait at once. A port that is lost meanwhile is closed; the count so far is returned.
int ReceiveBytes(const DeviceLink& ctx, QByteArray& buffer, int expected, int timeOut,
                 int exceptionOf = -1);

// How a response compares with its request.
enum class FrameCheck { Ok, Exception, Incomplete, WrongStation, WrongFunction, BadCheckCode };
FrameCheck CheckResponse(const QByteArray& request, const QByteArray& response, int received,
                         int expected);
// True for a complete 5-byte exception response to function code fn with a valid check code.
bool IsExceptionFrame(const QByteArray& bytes, int fn);
QString FrameCheckText(FrameCheck check);

// Writes the check code of request bytes 1..n into bytes n+1 (low) and n+2 (high), sends
// the frame and receives m bytes, validating and retrying up to retry more times with a
// pause after each failed attempt. True when a valid m-byte response arrived (in response).
// A port lost meanwhile ends the command at once with false.
bool SendCommand(const DeviceLink& ctx, QByteArray& request, int n, QByteArray& response, int m,
                 int timeOut, int retry);

// For failure messages: a paragraph naming the port and saying it was lost during the
// last exchange; empty when the last exchange did not lose the port.
QString LostPortText(const DeviceLink& ctx);
} // namespace CommUtil
