#include "Frame.h"

namespace devsim {

uint16_t Crc16(QByteArrayView bytes, uint16_t crc) {
    for (char c : bytes) {
        crc ^= static_cast<uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

void AppendCrc(QByteArray& frame) {
    const uint16_t crc = Crc16(frame);
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
}

bool CrcOk(QByteArrayView frame) {
    if (frame.size() < 4) return false;
    const qsizetype n = frame.size() - 2;
    const uint16_t crc = Crc16(frame.first(n));
    return static_cast<uint8_t>(frame[n]) == (crc & 0xFF) &&
           static_cast<uint8_t>(frame[n + 1]) == (crc >> 8);
}

int RequestLength(QByteArrayView buf) {
    if (buf.size() < 2) return NeedMore;
    auto at = [&](int i) { return static_cast<uint8_t>(buf[i]); };
    switch (at(1)) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06:
        return 8; // station, fc, address, quantity/value, crc
    case 0x0F:
    case 0x10:
        if (buf.size() < 7) return NeedMore;
        return 9 + at(6); // ... quantity, byte count, data, crc
    case 0x50:
        if (buf.size() < 3) return NeedMore;
        switch (at(2)) {
        case 0x40:
        case 0x50:
            return 6; // station, 0x50, sub-code, 0xFF, crc
        case 0x43:
        case 0x53:
            if (buf.size() < 8) return NeedMore;
            return 11 + at(7); // 9 header bytes, data of byte 8's length, crc
        default:
            return Unknown;
        }
    default:
        return Unknown;
    }
}

QByteArray Hex(QByteArrayView bytes) {
    return bytes.toByteArray().toHex(' ');
}

} // namespace devsim
