#include "device/KORVACommUtil.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "device/CommUtil.h"
#include "device/DeviceContext.h"
#include "device/DeviceLink.h"
#include "device/DownloadOutcome.h"
#include "ml/MLText.h"
#include "store/SystemDb.h"
#include "store/SystemSchema.h"

namespace KORVACommUtil {
namespace {

QByteArray ReadRequest(const DeviceLink& ctx, int function, int start, int count) {
    QByteArray r(8, '\0');
    r[0] = char(ctx.comm.SlaveID);
    r[1] = char(function);
    r[2] = char(start >> 8);
    r[3] = char(start & 0xFF);
    r[4] = char(count >> 8);
    r[5] = char(count & 0xFF);
    return r;
}

bool Exchange(const DeviceLink& ctx, QByteArray& request, int n, QByteArray& response, int m) {
    return CommUtil::SendCommand(ctx, request, n, response, m, ctx.comm.TimeOut, ctx.comm.Retry);
}

bool ReadModel(const DeviceLink& ctx, ModelEntry& model) {
    QByteArray response;
    if (!ReadRegisters(ctx, kReadInputRegisters, kRegModelID, 1, response)) return false;
    model = ModelOf(quint8(response[3]) * 256 + quint8(response[4]));
    return true;
}

QString Hex2(quint8 b) {
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

ModelEntry ModelOf(int modelId) {
    const int family = (modelId >> 8) & 0xFF;
    const int sub = modelId & 0xFF;
    const ModelEntry unknown{QStringLiteral("UnKnown"), QStringLiteral("UnKnown")};
    switch (family) {
    case 0x40:
        return sub == 6 ? ModelEntry{QStringLiteral("RV27S"), QStringLiteral("VX700-RV27S")}
                        : unknown;
    case 0x41:
        return sub == 6 ? ModelEntry{QStringLiteral("RV27MS"), QStringLiteral("VX700-RV27MS")}
                        : unknown;
    case 0x43:
        switch (sub) {
        case 0x00:
            return {QStringLiteral("DI1"), QString()}; // this model has no name of its own
        case 0x10:
            return {QStringLiteral("DI1V"), QStringLiteral("VX800-DI1V")};
        case 0x03:
            return {QStringLiteral("DI8"), QStringLiteral("VX800-DI8")};
        case 0x13:
            return {QStringLiteral("DI8VM"), QStringLiteral("VX800-DI8VM")};
        default:
            return unknown;
        }
    case 0x44:
        return sub == 6 ? ModelEntry{QStringLiteral("RV27MS"), QStringLiteral("VX800-RV27MS")}
                        : unknown;
    case 0x45:
        switch (sub) {
        case 0x00:
            return {QStringLiteral("MD"), QStringLiteral("VX800-MD")};
        case 0x10:
            return {QStringLiteral("SCF"), QStringLiteral("VX800-SCF")};
        case 0x20:
            return {QStringLiteral("SLF"), QStringLiteral("VX800-SLF")};
        default:
            return unknown;
        }
    case 0x80:
        return {QStringLiteral("AI"), QStringLiteral("VX700-AI")};
    default:
        return unknown;
    }
}

QString SerialNumberText(const QByteArray& data) {
    if (data.size() < 8) return {};
    auto r = [&](int i) { return Hex2(quint8(data[i - 1])); };
    return r(7) + u'-' + r(8) + u'-' + r(5) + r(6) + u'-' + r(3) + r(4) + r(1) + u'-' + r(2);
}

Com1Setting DecodeSettingByte(int s) {
    if (s < 128) return {QStringLiteral("N"), s};
    if (s - 128 >= 64) return {QStringLiteral("E"), s - 192};
    return {QStringLiteral("O"), s - 128};
}

int SettingByte(int baudId, const QString& parity) {
    if (baudId < 0 || baudId > 63) return -1;
    const QString p = parity.toUpper();
    if (p == QLatin1String("NONE") || p == QLatin1String("N")) return baudId;
    if (p == QLatin1String("ODD") || p == QLatin1String("O")) return baudId + 128;
    if (p == QLatin1String("EVEN") || p == QLatin1String("E")) return baudId + 192;
    return -1;
}

int FindBaudID(SystemDb& sdb, const QString& typeCode, const QString& baudRate) {
    RowSet* rs = sdb.CommBaudList.get();
    if (!rs || !rs->IsOpen() || ADOUtil::GetRecordCount(rs) < 1) return -1;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        if (ADOUtil::NullToStr(rs->Field(SystemSchema::kModelName)).toUpper() ==
                typeCode.toUpper() &&
            ADOUtil::NullToStr(rs->Field(SystemSchema::kBaudRate)) == baudRate) {
            bool ok = false;
            const int id = ADOUtil::NullToStr(rs->Field(SystemSchema::kBaudID)).toInt(&ok);
            return ok ? id : -1;
        }
    }
    return -1;
}

QString LookupBaudRate(DeviceContext& ctx, const QString& typeCode, const QString& baudId) {
    return SystemDB::LookupBaudRate(ctx.sysdb, typeCode, baudId);
}

bool ReadRegisters(const DeviceLink& ctx, int function, int start, int count,
                   QByteArray& response) {
    QByteArray request = ReadRequest(ctx, function, start, count);
    return Exchange(ctx, request, 6, response, 5 + 2 * count);
}

bool ReadCoils(const DeviceLink& ctx, QByteArray& response) {
    QByteArray request = ReadRequest(ctx, kReadCoils, 0x0000, 64);
    return Exchange(ctx, request, 6, response, 13);
}

bool ReadModelType(const DeviceLink& ctx, QString& typeCode) {
    typeCode.clear();
    ModelEntry model;
    if (!ReadModel(ctx, model)) return false;
    typeCode = model.TypeCode;
    return true;
}

bool ReadModelName(const DeviceLink& ctx, QString& modelName) {
    modelName.clear();
    ModelEntry model;
    if (!ReadModel(ctx, model)) return false;
    modelName = model.ModelName;
    return true;
}

bool ReadSerialNumber(const DeviceLink& ctx, QString& serialNo) {
    serialNo.clear();
    QByteArray response;
    if (!ReadRegisters(ctx, kReadInputRegisters, kRegSerialNo, 4, response)) return false;
    serialNo = SerialNumberText(response.mid(3, 8));
    return true;
}

bool ReadCommSettings(DeviceContext& ctx, DeviceInfo& info, bool showProgress) {
    const MLText T{ctx.ml, QStringLiteral("KORVACommUtil")};
    if (showProgress) {
        ctx.ui.ShowProgress(T(QStringLiteral("裝置通訊設定"), 1, 1),
                            T(QStringLiteral("讀取裝置通訊設定中..."), 2, 1));
        ctx.ui.DoEvents();
    }
    QByteArray response;
    bool ok = ReadModelType(ctx, info.TypeCode) && ReadModelName(ctx, info.ModelName) &&
              ReadSerialNumber(ctx, info.SerialNo) &&
              ReadRegisters(ctx, kReadHoldingRegisters, kRegSlaveID, 2, response);
    if (ok) {
        info.SlaveID = QString::number(quint8(response[4]));
        const Com1Setting setting = DecodeSettingByte(quint8(response[6]));
        info.Parity = setting.Parity;
        info.BaudRate = LookupBaudRate(ctx, info.TypeCode, QString::number(setting.BaudID));
    }
    if (showProgress) ctx.ui.CloseProgress();
    return ok;
}

bool WriteCommSettings(DeviceContext& ctx, const QString& modelName, const QString& slaveId,
                       const QString& baudRate, const QString& parity, bool showProgress,
                       const QString& typeCode) {
    const MLText T{ctx.ml, QStringLiteral("KORVACommUtil")};
    const QString key = typeCode.isEmpty() ? modelName.mid(6) : typeCode;
    const int baudId = FindBaudID(ctx.sysdb, key, baudRate);
    // A rate the model does not list, or a parity the byte cannot say, would set the
    // device to a rate nobody chose: nothing is sent.
    const int setting = SettingByte(baudId, parity);
    bool slaveOk = false;
    const int slave = slaveId.trimmed().toInt(&slaveOk);
    if (baudId < 0 || setting < 0 || !slaveOk || slave < 1 || slave > 255) return false;
    if (!CommUtil::EnsurePortOpen(ctx)) return false;
    if (showProgress)
        ctx.ui.ShowProgress(T(QStringLiteral("裝置通訊設定"), 1, 2),
                            T(QStringLiteral("設定裝置通訊參數中..."), 2, 2));
    ctx.ui.DoEvents();
    QByteArray request(13, '\0');
    const char body[] = {char(ctx.comm.SlaveID),
                         char(kWriteMultipleRegisters),
                         0x00,
                         char(kRegSlaveID),
                         0x00,
                         0x02,
                         0x04,
                         0x00,
                         char(slave),
                         0x00,
                         char(setting)};
    for (int i = 0; i < 11; ++i)
        request[i] = body[i];
    QByteArray response;
    const bool ok = Exchange(ctx, request, 11, response, 8);
    if (showProgress) ctx.ui.CloseProgress();
    return ok;
}

QString CheckLines(const DeviceLink& ctx) {
    const MLText T{ctx.ml, QStringLiteral("KORVACommUtil")};
    return T(QStringLiteral("1. RS232 通訊線是否已正確連接"), 1, 7) + VBUtil::kCrLf +
           T(QStringLiteral("2. PC通訊埠是否正確指定"), 2, 7) + VBUtil::kCrLf +
           T(QStringLiteral("3. 簡訊報警機的指撥開關SW2是否設為 ON (設定模式)"), 3, 7);
}

bool DemoInUse(const DeviceContext& ctx) {
    return ctx.demo.Running() && CommUtil::CurrentPortName(ctx.comm) == ctx.demo.PortName();
}

void SetConnectStatus(DeviceContext& ctx, bool online) {
    const MLText T{ctx.ml, QStringLiteral("KORVACommUtil")};
    ctx.ConnectStatus = online;
    QString text =
        online ? T(QStringLiteral(" Online"), 1, 6) : T(QStringLiteral(" Offline"), 2, 6);
    if (DemoInUse(ctx)) text += T(QStringLiteral(" (示範)"), 1, 7303);
    if (ctx.link.incomplete) text += T(QStringLiteral(" — 下載不完整"), 1, 23001);
    ctx.ui.SetStatusText(QStringLiteral("ConnectStatus"), text);
}

void Connect(DeviceContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("KORVACommUtil")};
    // A port that cannot be opened is no connection, whatever was connected before.
    if (!CommUtil::EnsurePortOpen(ctx)) {
        CommUtil::ClosePort(ctx);
        SetConnectStatus(ctx, false);
        return;
    }
    const QString title = T(QStringLiteral("連線簡訊報警機"), 1, 3);
    ctx.ui.ShowProgress(title, T(QStringLiteral("正在連線中..."), 2, 3));
    ctx.ui.DoEvents();
    QByteArray response;
    DeviceInfo info;
    // The progress window stays up over the whole sequence: while it is shown no second
    // exchange can be started from the window.
    const bool ok = ReadRegisters(ctx, kReadInputRegisters, kRegNewRecord, 1, response) &&
                    ReadCommSettings(ctx, info, false);
    ctx.ui.CloseProgress();
    if (!ok) {
        SetConnectStatus(ctx, false);
        ctx.ui.MsgBox(T(QStringLiteral("連線至簡訊報警機失敗! "), 1, 4) + VBUtil::kCrLf +
                          T(QStringLiteral("請檢查下列項目:"), 2, 4) + VBUtil::kCrLf +
                          CheckLines(ctx) + CommUtil::LostPortText(ctx),
                      vbOKOnly | vbCritical, T(QStringLiteral("連線簡訊報警機"), 3, 4));
        return;
    }
    // What the history knows of this dialer goes to the status bar and the result.
    const QString last =
        DownloadOutcome::Identified(ctx, {info.SerialNo, info.ModelName, info.TypeCode});
    if (!last.isEmpty()) ctx.ui.SetStatusText(QStringLiteral("Status"), last);
    SetConnectStatus(ctx, true);
    ctx.ui.MsgBox(T(QStringLiteral("連線至簡訊報警機成功!"), 1, 5) + VBUtil::kCrLf + VBUtil::kCrLf +
                      T(QStringLiteral("Model No.: "), 2, 5) + info.ModelName + VBUtil::kCrLf +
                      T(QStringLiteral("S/N : "), 3, 5) + info.SerialNo + VBUtil::kCrLf +
                      T(QStringLiteral("Commnunication Settings : "), 4, 5) + info.BaudRate +
                      QStringLiteral(", ") + info.Parity + QStringLiteral(", 8, 1") +
                      (last.isEmpty() ? QString() : VBUtil::kCrLf + last),
                  vbOKOnly | vbInformation, T(QStringLiteral("連線簡訊報警機"), 5, 5));
}

} // namespace KORVACommUtil
