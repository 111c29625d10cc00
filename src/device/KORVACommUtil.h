#pragma once
// The alarm dialer's registers: model identification, serial number, the COM1 settings of
// the device and their encoding, and connecting to the device.
#include <QByteArray>
#include <QString>

struct DeviceContext;
struct DeviceLink;
struct SystemDb;

// The device's identity and COM1 settings as read.
struct DeviceInfo {
    QString TypeCode;
    QString ModelName;
    QString SerialNo;
    QString BaudRate; // a rate from CommBaudList, or "UnKnown"
    QString Parity;   // "N", "O" or "E"
    QString SlaveID;  // decimal
};

struct ModelEntry {
    QString TypeCode;
    QString ModelName;
};

struct Com1Setting {
    QString Parity; // "N", "O", "E"
    int BaudID = 0;
};

namespace KORVACommUtil {
// The Modbus function codes the device answers.
constexpr int kReadCoils = 0x01;
constexpr int kReadHoldingRegisters = 0x03;
constexpr int kReadInputRegisters = 0x04;
constexpr int kWriteMultipleRegisters = 0x10;
// Register numbers and frame lengths of the reads the link makes.
constexpr int kRegModelID = 0x0000;
constexpr int kRegSerialNo = 0x0002;
constexpr int kRegNewRecord = 0x0006;
constexpr int kRegSlaveID = 0x0080;

// The type code and model name of a Model ID register (family in the high byte, sub-model
// in the low byte). Unknown families and sub-models read "UnKnown".
ModelEntry ModelOf(int modelId);
// The serial number of the 8 data bytes of the 4-register read (response order).
QString SerialNumberText(const QByteArray& data);
// The COM1 setting byte: bits 7..6 the parity, the rest the baud identifier.
Com1Setting DecodeSettingByte(int settingByte);
// The setting byte for a baud identifier and a parity text ("NONE"/"N", "ODD"/"O",
// "EVEN"/"E", any letter case); -1 for another parity text or an identifier the byte cannot
// hold.
int SettingByte(int baudId, const QString& parity);
// The baud identifier of a rate text for a type code (letter case of the code ignored);
// -1 when no row matches.
int FindBaudID(SystemDb& sdb, const QString& typeCode, const QString& baudRate);
// The rate of a type code and identifier text, or "UnKnown".
QString LookupBaudRate(DeviceContext& ctx, const QString& typeCode, const QString& baudId);

// Reads of the device, each one command with the configured time-out and retries; the
// caller has opened the port. Results start empty and are set on success.
bool ReadModelType(const DeviceLink& ctx, QString& typeCode);
bool ReadModelName(const DeviceLink& ctx, QString& modelName);
bool ReadSerialNumber(const DeviceLink& ctx, QString& serialNo);
// Function 0x04 (input) or 0x03 (holding registers): the whole response frame.
bool ReadRegisters(const DeviceLink& ctx, int function, int start, int count, QByteArray& response);
// Coils 0..63: the whole response frame.
bool ReadCoils(const DeviceLink& ctx, QByteArray& response);
// Identity and COM1 settings, with the progress window when showProgress.
bool ReadCommSettings(DeviceContext& ctx, DeviceInfo& info, bool showProgress);
// Writes the slave ID and the COM1 setting byte. The baud identifier is looked up for
// typeCode, or, when it is empty, for the model name from its seventh character on. A rate
// without an identifier, an unknown parity text or a slave ID outside 1..255 is refused
// before anything is sent.
bool WriteCommSettings(DeviceContext& ctx, const QString& modelName, const QString& slaveId,
                       const QString& baudRate, const QString& parity, bool showProgress,
                       const QString& typeCode = {});

// The three things to check after a failed exchange, one per line.
QString CheckLines(const DeviceLink& ctx);
// Sets the connection flag and its status panel in one step.
void SetConnectStatus(DeviceContext& ctx, bool online);
// True while the link uses the simulated device; the status panel then says so.
bool DemoInUse(const DeviceContext& ctx);
// Opens the port, proves the device answers, reads its identity and settings and shows the
// outcome; ConnectStatus follows (false, the port closed, when it could not be opened).
void Connect(DeviceContext& ctx);
} // namespace KORVACommUtil
