#pragma once
// The device's status registers as the diagnostic views list them: name, key, address,
// register count and a tag "address,function"; and how one row is read.
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

struct DeviceContext;
struct DeviceLink;

struct DebugRegisterRow {
    QString name;
    QString key;
    QString addressText;
    QString count;
    QString tag; // decimal address, ",", function code
};

// The diagnostic window's state: the rows with the value each last read (empty until read),
// and the identity read when the window opened.
struct DebugForm {
    QVector<DebugRegisterRow> rows;
    QStringList values;
    QString lblSNNo;
    QString lblCommSettings;
};

namespace DebugRegisters {
// The thirteen rows, in order.
QVector<DebugRegisterRow> Rows();
// The address (text before the first comma) and function code (text after it) of a tag.
void SplitTag(const QString& tmpTag, int& tmpAddress, int& tmpFunction);
// Reads one row: value is the response's data bytes as upper-case hexadecimal, in response
// order. False (value untouched) when the read failed.
bool ReadRow(const DeviceLink& ctx, const DebugRegisterRow& row, QString& value);
// Asks for the port, reads the identity and COM1 settings ("UnKnown" when that fails or the
// model is unknown) and lists the thirteen rows with empty values.
void LoadFormObj(DeviceContext& ctx, DebugForm& form);
// Asks for the port, then reads the rows in order until the first failure (later rows keep
// their values) and says how it went. rowRead(i) runs as soon as row i has its new value, so
// a window shows each before the next is asked for and before the outcome. True when every
// row was read.
bool cmdRead_Click(const DeviceLink& ctx, DebugForm& form,
                   const std::function<void(int)>& rowRead = {});
} // namespace DebugRegisters
