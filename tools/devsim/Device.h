#pragma once
// The alarm dialer's memory as the device holds it: input registers (identity and status),
// holding registers (COM1 settings and the project's check code), the alarm coils, and the
// phonebook and short-message areas that a download fills. Handle() carries out one request.
#include <QByteArray>
#include <QByteArrayView>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <array>
#include <cstdint>
#include <map>

namespace devsim {

struct DeviceConfig {
    uint8_t station = 247;     // the station address answered in setting mode
    uint16_t modelId = 0x4106; // family 0x41, sub-model 6
    uint16_t firmware = 0x0102;
    QString serialNo = QStringLiteral("1209214378563412"); // 16 decimal digits
    uint8_t com1Slave = 1;
    uint8_t com1Setting = 0x03;         // 9600 baud (identifier 3), no parity
    uint64_t coils = 0;                 // bit i = coil i
    QList<QPair<int, uint16_t>> inputs; // input registers set after the identity
};

// Bytes of phonebook and message memory a model holds: the 64-zone model (family 0x40)
// has 8192, every other model 16384. Each stored record takes its data bytes plus 4.
int MemoryOfModel(uint16_t modelId);

// Function codes and register ranges the device knows.
namespace fc {
constexpr uint8_t ReadCoils = 0x01, ReadHolding = 0x03, ReadInput = 0x04, WriteMultiple = 0x10,
                  Memory = 0x50;
}
namespace sub {
constexpr uint8_t ClearPhoneBook = 0x40, WritePhoneBook = 0x43, ClearMessages = 0x50,
                  WriteMessage = 0x53;
}
namespace exc {
constexpr uint8_t IllegalFunction = 0x01, IllegalAddress = 0x02, IllegalValue = 0x03,
                  DeviceFailure = 0x04;
}

struct PhoneRecord {
    uint8_t index = 0; // the record number k
    uint8_t flags = 0; // 0x80: disabled
    uint8_t group = 0;
    QByteArray number;
    QByteArray record; // request bytes without the check code, as received
};

struct MessageRecord {
    uint8_t code = 0;  // zone + 1 (alarm) or zone + 65 (reset)
    uint8_t flags = 0; // 0x40 always, 0x80 disabled, 0x01 UTF-16 text
    uint8_t group = 0;
    QByteArray text;
    QByteArray record;
};

class Device {
public:
    static constexpr int InputCount = 12;       // 0x0000..0x000B
    static constexpr int HoldingStart = 0x0080; // 0x0080..0x0082
    static constexpr int HoldingCount = 3;
    static constexpr int CoilCount = 64;

    explicit Device(const DeviceConfig& config);

    uint8_t Station() const { return m_station; }

    // Carries out one request addressed to this station whose check code is right, and
    // returns the reply with its check code (a normal reply or an exception).
    QByteArray Handle(QByteArrayView frame);
    static QByteArray ExceptionReply(uint8_t station, uint8_t function, uint8_t code);

    // Run-time changes (control commands); false when the address is out of range.
    bool SetInput(int address, uint16_t value);
    bool SetCoil(int number, bool on);

    uint16_t Input(int address) const { return m_input.at(address); }
    uint16_t Holding(int address) const { return m_holding.at(address - HoldingStart); }
    const std::map<int, PhoneRecord>& PhoneBook() const { return m_phonebook; }
    const std::map<int, MessageRecord>& Messages() const { return m_messages; }
    int MemoryLimit() const { return m_memoryLimit; }

    // Registers, coils and both memory areas as JSON (see the tool's help).
    QJsonObject State() const;

    // The serial number's 16 digits packed into input registers 0x0002..0x0005.
    static std::array<uint16_t, 4> PackSerial(const QString& digits);
    static QString UnpackSerial(const std::array<uint16_t, 4>& registers);

private:
    struct Result {
        QByteArray data; // reply bytes after the function code
        uint8_t exception = 0;
    };
    Result ReadCoils(QByteArrayView f) const;
    Result ReadRegisters(QByteArrayView f, bool holding) const;
    Result WriteRegisters(QByteArrayView f);
    Result MemoryCommand(QByteArrayView f);
    void UpdateProjectCrc();
    int MemoryUsed() const;
    bool Fits(int usedByOld, qsizetype dataBytes) const;

    uint8_t m_station;
    int m_memoryLimit;
    std::array<uint16_t, InputCount> m_input{};
    std::array<uint16_t, HoldingCount> m_holding{};
    uint64_t m_coils = 0;
    std::map<int, PhoneRecord> m_phonebook;
    std::map<int, MessageRecord> m_messages;
    int m_phonebookClears = 0;
    int m_messageClears = 0;
};

} // namespace devsim
