#include "device/KORVADll.h"

#include <array>

namespace KORVADll {
namespace {
constexpr std::array<std::uint16_t, 256> MakeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t c = std::uint16_t(i);
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? std::uint16_t((c >> 1) ^ 0xA001) : std::uint16_t(c >> 1);
        table[i] = c;
    }
    return table;
}
constexpr std::array<std::uint16_t, 256> kTable = MakeTable();
} // namespace

int CRC16(int initial, const unsigned char* data, qsizetype count) {
    std::uint16_t crc = std::uint16_t(initial);
    for (qsizetype i = 0; i < count; ++i)
        crc = std::uint16_t((crc >> 8) ^ kTable[(crc ^ data[i]) & 0xFF]);
    return crc;
}

int CRC16(int initial, const QByteArray& bytes, qsizetype count) {
    if (count < 0 || count > bytes.size()) count = bytes.size();
    return CRC16(initial, reinterpret_cast<const unsigned char*>(bytes.constData()), count);
}
} // namespace KORVADll
