#pragma once
// The device's status registers as the diagnostic views list them: name, key, address,
// register count and a tag "address,function"; and how one row is read.
#include <QString>
#include <QVector>

struct DeviceContext;

struct DebugRegisterRow {
    QString name;
    QString key;
    QString addressText;
    QString count;
    QString tag;   // decimal address, ",", function code
};

namespace DebugRegisters {
// The thirteen rows, in order.
QVector<DebugRegisterRow> Rows();
// The address (text before the first comma) and function code (text after it) of a tag.
void SplitTag(const QString& tmpTag, int& tmpAddress, int& tmpFunction);
// Reads one row: value is the response's data bytes as upper-case hexadecimal, in response
// order. False (value untouched) when the read failed.
bool ReadRow(DeviceContext& ctx, const DebugRegisterRow& row, QString& value);
} // namespace DebugRegisters
