#pragma once
// Frame helpers of the device side: the Modbus RTU check code and the length of a request
// as far as its first bytes tell it.
#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace devsim {

// CRC-16 of Modbus RTU: reflected polynomial 0xA001, initial value 0xFFFF, no final XOR.
uint16_t Crc16(QByteArrayView bytes, uint16_t crc = 0xFFFF);

// Appends the check code, low byte first.
void AppendCrc(QByteArray& frame);

// True when the frame (at least 4 bytes) ends in the right check code.
bool CrcOk(QByteArrayView frame);

// Length of the request frame at the start of buf, check code included:
//   > 0        the whole length, known from the function code (and its length fields);
//   NeedMore   not enough bytes yet to tell;
//   Unknown    a function whose length cannot be told: the frame ends at the line's silence.
constexpr int NeedMore = 0;
constexpr int Unknown = -1;
int RequestLength(QByteArrayView buf);

// Bytes as "f7 04 00 00" for the log.
QByteArray Hex(QByteArrayView bytes);

} // namespace devsim
