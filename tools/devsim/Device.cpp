#include "Device.h"
#include "Frame.h"

#include <QJsonArray>
#include <QStringDecoder>

namespace devsim {

namespace {

uint8_t Byte(QByteArrayView f, int i) {
    return static_cast<uint8_t>(f[i]);
}
uint16_t Word(QByteArrayView f, int i) {
    return static_cast<uint16_t>(Byte(f, i) << 8 | Byte(f, i + 1));
}
void PutWord(QByteArray& out, uint16_t v) {
    out.append(static_cast<char>(v >> 8));
    out.append(static_cast<char>(v & 0xFF));
}

// Parity bits 01 name no parity the device knows.
bool ValidSetting(uint16_t v) {
    return v <= 0xFF && (v & 0xC0) != 0x40;
}
bool ValidSlave(uint16_t v) {
    return v >= 1 && v <= 0xFF;
}

QString DecodeText(const QByteArray& bytes, bool unicode) {
    if (unicode) return QStringDecoder(QStringDecoder::Utf16BE)(bytes);
    QStringDecoder big5("Big5"); // the local code page of non-Unicode messages
    return big5.isValid() ? QString(big5(bytes)) : QString::fromLatin1(bytes);
}

} // namespace

int MemoryOfModel(uint16_t modelId) {
    return (modelId >> 8) == 0x40 ? 8192 : 16384;
}

Device::Device(const DeviceConfig& config)
    : m_station(config.station), m_memoryLimit(MemoryOfModel(config.modelId)),
      m_coils(config.coils) {
    m_input[0] = config.modelId;
    m_input[1] = config.firmware;
    const auto serial = PackSerial(config.serialNo);
    std::copy(serial.begin(), serial.end(), m_input.begin() + 2);
    for (const auto& [address, value] : config.inputs)
        SetInput(address, value);
    m_holding[0] = config.com1Slave;
    m_holding[1] = config.com1Setting;
    UpdateProjectCrc();
}

std::array<uint16_t, 4> Device::PackSerial(const QString& digits) {
    // Two digits per byte, high nibble first. Digits 1-4 go to 0x0005, 5-8 to 0x0004,
    // 9-12 to 0x0003 and 13-16 to 0x0002, so a read of 0x0002..0x0005 gives the bytes
    // d13d14 d15d16 d9d10 d11d12 d5d6 d7d8 d1d2 d3d4.
    auto group = [&](int first) {
        uint16_t v = 0;
        for (int i = first; i < first + 4; ++i)
            v = static_cast<uint16_t>(v << 4 | (digits.at(i).unicode() - u'0'));
        return v;
    };
    return {group(12), group(8), group(4), group(0)};
}

QString Device::UnpackSerial(const std::array<uint16_t, 4>& r) {
    // Each nibble written as a hexadecimal digit: packed decimal shows as its digits.
    return QStringLiteral("%1%2%3%4")
        .arg(r[3], 4, 16, QLatin1Char('0'))
        .arg(r[2], 4, 16, QLatin1Char('0'))
        .arg(r[1], 4, 16, QLatin1Char('0'))
        .arg(r[0], 4, 16, QLatin1Char('0'));
}

bool Device::SetInput(int address, uint16_t value) {
    if (address < 0 || address >= InputCount) return false;
    m_input[address] = value;
    return true;
}

bool Device::SetCoil(int number, bool on) {
    if (number < 0 || number >= CoilCount) return false;
    const uint64_t bit = uint64_t{1} << number;
    m_coils = on ? (m_coils | bit) : (m_coils & ~bit);
    return true;
}

QByteArray Device::ExceptionReply(uint8_t station, uint8_t function, uint8_t code) {
    QByteArray out;
    out.append(static_cast<char>(station));
    out.append(static_cast<char>(function | 0x80));
    out.append(static_cast<char>(code));
    AppendCrc(out);
    return out;
}

QByteArray Device::Handle(QByteArrayView f) {
    const uint8_t function = Byte(f, 1);
    Result r;
    switch (function) {
    case fc::ReadCoils:
        r = ReadCoils(f);
        break;
    case fc::ReadHolding:
        r = ReadRegisters(f, true);
        break;
    case fc::ReadInput:
        r = ReadRegisters(f, false);
        break;
    case fc::WriteMultiple:
        r = WriteRegisters(f);
        break;
    case fc::Memory:
        r = MemoryCommand(f);
        break;
    default:
        r.exception = exc::IllegalFunction;
        break;
    }
    if (r.exception) return ExceptionReply(m_station, function, r.exception);
    QByteArray out;
    out.append(static_cast<char>(m_station));
    out.append(static_cast<char>(function));
    out.append(r.data);
    AppendCrc(out);
    return out;
}

Device::Result Device::ReadCoils(QByteArrayView f) const {
    const int start = Word(f, 2), quantity = Word(f, 4);
    if (quantity < 1 || quantity > 2000) return {{}, exc::IllegalValue};
    if (start + quantity > CoilCount) return {{}, exc::IllegalAddress};
    QByteArray data(1 + (quantity + 7) / 8, '\0');
    data[0] = static_cast<char>(data.size() - 1);
    for (int i = 0; i < quantity; ++i)
        if (m_coils >> (start + i) & 1)
            data[1 + i / 8] = static_cast<char>(data[1 + i / 8] | (1 << (i % 8)));
    return {data};
}

Device::Result Device::ReadRegisters(QByteArrayView f, bool holding) const {
    const int start = Word(f, 2), quantity = Word(f, 4);
    if (quantity < 1 || quantity > 125) return {{}, exc::IllegalValue};
    const int first = holding ? HoldingStart : 0;
    const int count = holding ? HoldingCount : InputCount;
    if (start < first || start + quantity > first + count) return {{}, exc::IllegalAddress};
    QByteArray data;
    data.append(static_cast<char>(2 * quantity));
    for (int a = start; a < start + quantity; ++a)
        PutWord(data, holding ? m_holding[a - first] : m_input[a]);
    return {data};
}

Device::Result Device::WriteRegisters(QByteArrayView f) {
    const int start = Word(f, 2), quantity = Word(f, 4), byteCount = Byte(f, 6);
    if (quantity < 1 || quantity > 123 || byteCount != 2 * quantity || f.size() != 9 + byteCount)
        return {{}, exc::IllegalValue};
    // Only the COM1 settings are writable; the project's check code is the device's own.
    if (start < HoldingStart || start + quantity > HoldingStart + 2)
        return {{}, exc::IllegalAddress};
    std::array<uint16_t, HoldingCount> next = m_holding;
    for (int i = 0; i < quantity; ++i) {
        const int address = start + i;
        const uint16_t v = Word(f, 7 + 2 * i);
        if (address == HoldingStart ? !ValidSlave(v) : !ValidSetting(v))
            return {{}, exc::IllegalValue};
        next[address - HoldingStart] = v;
    }
    m_holding = next;
    QByteArray data;
    PutWord(data, static_cast<uint16_t>(start));
    PutWord(data, static_cast<uint16_t>(quantity));
    return {data};
}

Device::Result Device::MemoryCommand(QByteArrayView f) {
    const uint8_t code = Byte(f, 2);
    QByteArray echo = f.sliced(2, 2).toByteArray(); // replies carry the sub-code and byte 4 back
    switch (code) {
    case sub::ClearPhoneBook:
    case sub::ClearMessages:
        if (f.size() != 6 || Byte(f, 3) != 0xFF) return {{}, exc::IllegalValue};
        if (code == sub::ClearPhoneBook) {
            m_phonebook.clear();
            ++m_phonebookClears;
        } else {
            m_messages.clear();
            ++m_messageClears;
        }
        UpdateProjectCrc();
        return {echo};
    case sub::WritePhoneBook:
    case sub::WriteMessage: {
        // Header: sub-code, record key, data length + 4, flags, group, data length, byte 9.
        const uint8_t key = Byte(f, 3), length = Byte(f, 7);
        if (f.size() != 11 + length || Byte(f, 4) != ((length + 4) & 0xFF))
            return {{}, exc::IllegalValue};
        const QByteArray record = f.first(9 + length).toByteArray();
        const QByteArray data = f.sliced(9, length).toByteArray();
        if (code == sub::WritePhoneBook) {
            if (key == 0) return {{}, exc::IllegalAddress};
            if (Byte(f, 8) != key) return {{}, exc::IllegalValue};
            const auto old = m_phonebook.find(key);
            if (!Fits(old == m_phonebook.end() ? 0 : old->second.number.size() + 4, length))
                return {{}, exc::IllegalAddress};
            m_phonebook[key] = PhoneRecord{key, Byte(f, 5), Byte(f, 6), data, record};
        } else {
            // Codes 1..64 are the alarm messages of zones 0..63, 65..128 their reset messages.
            if (key == 0 || key > 128) return {{}, exc::IllegalAddress};
            const bool unicode = Byte(f, 5) & 0x01;
            if (Byte(f, 8) != 0 || (unicode && length % 2)) return {{}, exc::IllegalValue};
            const auto old = m_messages.find(key);
            if (!Fits(old == m_messages.end() ? 0 : old->second.text.size() + 4, length))
                return {{}, exc::IllegalAddress};
            m_messages[key] = MessageRecord{key, Byte(f, 5), Byte(f, 6), data, record};
        }
        UpdateProjectCrc();
        return {echo};
    }
    default:
        return {{}, exc::IllegalFunction};
    }
}

void Device::UpdateProjectCrc() {
    // The check code of the memory: CRC-16 over every stored record (as received, without
    // its check code), the phonebook by record number, then the messages by code.
    uint16_t crc = 0xFFFF;
    for (const auto& [k, r] : m_phonebook)
        crc = Crc16(r.record, crc);
    for (const auto& [k, m] : m_messages)
        crc = Crc16(m.record, crc);
    m_holding[2] = crc;
}

int Device::MemoryUsed() const {
    int used = 0;
    for (const auto& [k, r] : m_phonebook)
        used += r.number.size() + 4;
    for (const auto& [k, m] : m_messages)
        used += m.text.size() + 4;
    return used;
}

// Whether a record of dataBytes fits when it replaces one that took usedByOld bytes; a
// record that does not fit is refused and the memory stays as it was.
bool Device::Fits(int usedByOld, qsizetype dataBytes) const {
    return MemoryUsed() - usedByOld + dataBytes + 4 <= m_memoryLimit;
}

QJsonObject Device::State() const {
    QJsonArray inputs, holdings, coils, phonebook, messages;
    for (uint16_t v : m_input)
        inputs.append(v);
    for (uint16_t v : m_holding)
        holdings.append(v);
    for (int i = 0; i < CoilCount; ++i)
        coils.append(static_cast<int>(m_coils >> i & 1));
    for (const auto& [k, r] : m_phonebook) {
        phonebook.append(QJsonObject{
            {QStringLiteral("index"), r.index},
            {QStringLiteral("disabled"), (r.flags & 0x80) != 0},
            {QStringLiteral("flags"), r.flags},
            {QStringLiteral("group"), r.group},
            {QStringLiteral("number"), QString::fromLatin1(r.number)},
            {QStringLiteral("record"), QString::fromLatin1(r.record.toHex())},
        });
    }
    for (const auto& [k, m] : m_messages) {
        const bool unicode = m.flags & 0x01;
        const bool alarm = m.code <= 64;
        messages.append(QJsonObject{
            {QStringLiteral("code"), m.code},
            {QStringLiteral("zone"), alarm ? m.code - 1 : m.code - 65},
            {QStringLiteral("kind"), alarm ? QStringLiteral("alarm") : QStringLiteral("reset")},
            {QStringLiteral("disabled"), (m.flags & 0x80) != 0},
            {QStringLiteral("unicode"), unicode},
            {QStringLiteral("flags"), m.flags},
            {QStringLiteral("group"), m.group},
            {QStringLiteral("text"), DecodeText(m.text, unicode)},
            {QStringLiteral("textBytes"), QString::fromLatin1(m.text.toHex())},
            {QStringLiteral("record"), QString::fromLatin1(m.record.toHex())},
        });
    }
    const std::array<uint16_t, 4> serial{m_input[2], m_input[3], m_input[4], m_input[5]};
    return QJsonObject{
        {QStringLiteral("station"), m_station},
        {QStringLiteral("inputRegisters"), inputs},
        {QStringLiteral("holdingRegisters"), holdings},
        {QStringLiteral("coils"), coils},
        {QStringLiteral("identity"),
         QJsonObject{
             {QStringLiteral("modelId"), m_input[0]},
             {QStringLiteral("firmwareVersion"), m_input[1]},
             {QStringLiteral("serialNo"), UnpackSerial(serial)},
             {QStringLiteral("com1SlaveId"), m_holding[0]},
             {QStringLiteral("com1Setting"), m_holding[1]},
             {QStringLiteral("projectCrc"), m_holding[2]},
         }},
        {QStringLiteral("phonebook"), phonebook},
        {QStringLiteral("phonebookClears"), m_phonebookClears},
        {QStringLiteral("shortMessages"), messages},
        {QStringLiteral("shortMessageClears"), m_messageClears},
        {QStringLiteral("memoryUsed"), MemoryUsed()},
        {QStringLiteral("memoryLimit"), m_memoryLimit},
    };
}

} // namespace devsim
