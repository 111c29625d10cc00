#pragma once
// The check code of every device frame: the CRC-16 of Modbus RTU (reflected polynomial
// 0xA001, no final XOR), computed in the program.
#include <QByteArray>
#include <cstdint>

namespace KORVADll {
// The check code of count bytes from data, starting from initial (every frame passes
// 0xFFFF). The result is 0..65535: low byte first on the wire.
int CRC16(int initial, const unsigned char* data, qsizetype count);
// The same over the first count bytes of a buffer (all of it when count is -1).
int CRC16(int initial, const QByteArray& bytes, qsizetype count = -1);
} // namespace KORVADll
