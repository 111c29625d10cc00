#include "device/DebugRegisters.h"

#include "base/VBUtil.h"
#include "device/CommUtil.h"
#include "device/DeviceContext.h"
#include "device/DeviceLink.h"
#include "device/DeviceWindows.h"
#include "device/KORVACommUtil.h"
#include "ml/MLText.h"
#include "ml/MLUtil.h"

namespace DebugRegisters {

QVector<DebugRegisterRow> Rows() {
    auto row = [](const char* name, const char* key, const char* address, const char* count,
                  const char* tag) {
        return DebugRegisterRow{QString::fromLatin1(name), QString::fromLatin1(key),
                                QString::fromLatin1(address), QString::fromLatin1(count),
                                QString::fromLatin1(tag)};
    };
    return {
        row("Model ID", "ModelID", "0000H", "1", "0,4"),
        row("Firmware Version", "FirmwareVersion", "0001H", "1", "1,4"),
        row("Product S/N", "ProductSN", "0002H", "4", "2,4"),
        row("Address Of New Record", "AddressOfNewRecord", "0006H", "1", "6,4"),
        row("Device Status", "DeviceStatus", "0007H", "1", "7,4"),
        row("Device Last Alarm Code", "DeviceLastAlarmCode", "0008H", "1", "8,4"),
        row("Result Code that Process Alarm Code", "ResultCodethatProcessAlarmCode", "0009H", "1",
            "9,4"),
        row("WatchDog Reset Count", "WatchDogResetCount", "000AH", "1", "10,4"),
        row("Firmware Reset Count", "FirmwareResetCount", "000BH", "1", "11,4"),
        row("Slave ID of COM1", "SlaveIDofCOM1", "0080H", "1", "128,3"),
        row("Setting of COM1", "SettingofCOM1", "0081H", "1", "129,3"),
        row("CRC-16 of project", "CRC-16ofProject", "0082H", "1", "130,3"),
        row("Current Alarm", "CurrentAlarm", "0000H", "4", "0,1"),
    };
}

void SplitTag(const QString& tmpTag, int& tmpAddress, int& tmpFunction) {
    const qsizetype comma = tmpTag.indexOf(u',');
    tmpAddress = int(VBUtil::Val(comma < 0 ? tmpTag : tmpTag.left(comma)));
    tmpFunction = comma < 0 ? 0 : int(VBUtil::Val(tmpTag.mid(comma + 1)));
}

bool ReadRow(const DeviceLink& ctx, const DebugRegisterRow& row, QString& value) {
    int address = 0;
    int function = 0;
    SplitTag(row.tag, address, function);
    const int count = int(VBUtil::Val(row.count));
    QByteArray response;
    bool ok = false;
    switch (function) {
    case 4:
        ok = KORVACommUtil::ReadRegisters(ctx, KORVACommUtil::kReadInputRegisters, address, count,
                                          response);
        break;
    case 3:
        ok = KORVACommUtil::ReadRegisters(ctx, KORVACommUtil::kReadHoldingRegisters, address, count,
                                          response);
        break;
    case 1:
        ok = KORVACommUtil::ReadCoils(ctx, response);
        break;
    default:
        return false;
    }
    if (!ok) return false;
    const int n = quint8(response[2]);
    value = QString::fromLatin1(response.mid(3, n).toHex()).toUpper();
    return true;
}

void LoadFormObj(DeviceContext& ctx, DebugForm& form) {
    DeviceInfo info;
    const bool ok = ctx.ui.ShowModal(Windows::frmComPort) && CommUtil::EnsurePortOpen(ctx) &&
                    KORVACommUtil::ReadCommSettings(ctx, info, false);
    if (ok && info.ModelName.toUpper() != QStringLiteral("UNKNOWN")) {
        form.lblSNNo = info.SerialNo;
        form.lblCommSettings =
            info.BaudRate + QStringLiteral(", ") + info.Parity + QStringLiteral(", 8, 1");
    } else {
        form.lblSNNo = QStringLiteral("UnKnown");
        form.lblCommSettings = QStringLiteral("UnKnown");
    }
    form.rows = Rows();
    form.values = QStringList(form.rows.size(), QString());
}

bool cmdRead_Click(const DeviceLink& ctx, DebugForm& form,
                   const std::function<void(int)>& rowRead) {
    const MLText T{ctx.ml, QStringLiteral("DebugRegisters")};
    if (!ctx.ui.ShowModal(Windows::frmComPort)) return false;
    if (form.values.size() != form.rows.size()) form.values.resize(form.rows.size());
    bool all = true;
    ctx.ui.SetBusy(true);
    for (int i = 0; i < form.rows.size() && all; ++i) {
        all = ReadRow(ctx, form.rows[i], form.values[i]);
        if (all && rowRead) {
            rowRead(i);
            ctx.ui.DoEvents();
        }
    }
    ctx.ui.SetBusy(false);
    ctx.ui.MsgBox(all ? T(QStringLiteral("讀取Quillon暫存器資訊成功！"), 2, 1)
                      : T(QStringLiteral("讀取Quillon暫存器資訊失敗！"), 3, 1),
                  vbOKOnly, T(QStringLiteral("RV27 偵錯工具"), 1, 1));
    return all;
}

} // namespace DebugRegisters
