#include "device/CommSetting.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "device/CommUtil.h"
#include "device/DeviceContext.h"
#include "ml/MLText.h"
#include "store/SystemSchema.h"

namespace CommSetting {
namespace {
QString ParityText(const QString& letter) {
    if (letter == QLatin1String("E")) return QStringLiteral("EVEN");
    if (letter == QLatin1String("N")) return QStringLiteral("NONE");
    if (letter == QLatin1String("O")) return QStringLiteral("ODD");
    return QStringLiteral("UnKnown");
}

// One line "what: old -> new" per changed value: a wrong one cuts the installer off from the
// dialer, so the question shows what changes.
QString ChangeLines(DeviceContext& ctx, const CommSettingForm& form) {
    const MLText T{ctx.ml, QStringLiteral("CommSetting")};
    QString lines;
    const auto line = [&](const QString& what, const QString& from, const QString& to) {
        if (from != to) lines += what + from + QStringLiteral(" -> ") + to + VBUtil::kCrLf;
    };
    line(T(QStringLiteral("通訊速率: "), 1, 20101), form.loadedBaud, form.cmbPortBaud);
    line(T(QStringLiteral("同位元檢查: "), 2, 20101), form.loadedParity,
         form.cmbParityBit.toUpper());
    line(T(QStringLiteral("站號 (Slave ID): "), 3, 20101), form.loadedSlaveID, form.txtSlaveID);
    return lines;
}

QString Title(DeviceContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("CommSetting")};
    return T(QStringLiteral("設定報警機通訊參數"), 1, 10);
}
} // namespace

bool LoadFormObj(DeviceContext& ctx, CommSettingForm& form) {
    const MLText T{ctx.ml, QStringLiteral("CommSetting")};
    form = CommSettingForm{};
    // The dialog reads over the port Connect left open; if it has been closed since (a
    // failed port change, a pulled cable), it is opened again here.
    bool ok = CommUtil::EnsurePortOpen(ctx);
    if (!ok) {
        KORVACommUtil::SetConnectStatus(ctx, false);
        return false;
    }
    ok = KORVACommUtil::ReadCommSettings(ctx, form.device, true);
    if (!ok) {
        ctx.ui.MsgBox(T(QStringLiteral("通訊錯誤, 無法連接簡訊報警機!"), 1, 1) + VBUtil::kCrLf +
                          T(QStringLiteral("請檢查下列項目:"), 2, 1) + VBUtil::kCrLf +
                          KORVACommUtil::CheckLines(ctx) + CommUtil::LostPortText(ctx),
                      vbOKOnly | vbCritical, T(QStringLiteral("裝置通訊設定"), 3, 1));
        KORVACommUtil::SetConnectStatus(ctx, false);
        return false;
    }
    const DeviceInfo& d = form.device;
    if (d.ModelName.toUpper() != QLatin1String("UNKNOWN")) {
        form.lblModelName = d.ModelName;
        form.lblSN = d.SerialNo;
    }
    if (RowSet* rs = ctx.sysdb.CommBaudList.get();
        rs && rs->IsOpen() && ADOUtil::GetRecordCount(rs) > 0) {
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            if (ADOUtil::NullToStr(rs->Field(SystemSchema::kModelName)) == d.TypeCode)
                form.cmbPortBaudItems << ADOUtil::NullToStr(rs->Field(SystemSchema::kBaudRate));
    }
    form.cmbPortBaudItems << QStringLiteral("UnKnown");
    form.cmbParityBitItems = {QStringLiteral("EVEN"), QStringLiteral("ODD"), QStringLiteral("NONE"),
                              QStringLiteral("UnKnown")};
    form.cmbParityBit = ParityText(d.Parity);
    form.cmbPortBaud = d.BaudRate;
    form.txtSlaveID = d.SlaveID;
    form.loadedBaud = form.cmbPortBaud;
    form.loadedParity = form.cmbParityBit;
    form.loadedSlaveID = form.txtSlaveID;
    return true;
}

bool CheckFormObj(DeviceContext& ctx, const CommSettingForm& form) {
    const MLText T{ctx.ml, QStringLiteral("CommSetting")};
    // A rate the model does not list (typed into the combo) has no identifier the device
    // could take: it is refused like an unknown rate.
    if (form.cmbPortBaud.toUpper() == QLatin1String("UNKNOWN") ||
        KORVACommUtil::FindBaudID(ctx.sysdb, form.device.TypeCode, form.cmbPortBaud) < 0) {
        ctx.ui.MsgBox(T(QStringLiteral("通訊速率錯誤!"), 1, 2) + VBUtil::kCrLf +
                          T(QStringLiteral("通訊速率不得為 Unknown。"), 2, 2) + VBUtil::kCrLf +
                          T(QStringLiteral("請重新指定通訊速率!"), 3, 2),
                      vbOKOnly | vbCritical, Title(ctx));
        return false;
    }
    if (form.cmbParityBit.toUpper() == QLatin1String("UNKNOWN")) {
        ctx.ui.MsgBox(T(QStringLiteral("同位元檢查錯誤!"), 1, 3) + VBUtil::kCrLf +
                          T(QStringLiteral("同位元檢查不得為 Unknown。"), 2, 3) + VBUtil::kCrLf +
                          T(QStringLiteral("請重新指定同位元檢查!"), 3, 3),
                      vbOKOnly | vbCritical, Title(ctx));
        return false;
    }
    return form.cmbPortBaud != form.loadedBaud ||
           form.cmbParityBit.toUpper() != form.loadedParity ||
           form.txtSlaveID != form.loadedSlaveID;
}

OkAction OkPressed(DeviceContext& ctx, const CommSettingForm& form) {
    const MLText T{ctx.ml, QStringLiteral("CommSetting")};
    if (!CheckFormObj(ctx, form)) return OkAction::Close;
    const MsgResult answer = ctx.ui.MsgBox(
        T(QStringLiteral("您已變更通訊參數! "), 1, 4) + VBUtil::kCrLf + ChangeLines(ctx, form) +
            T(QStringLiteral("是否要將新的通訊參數, 存入簡訊報警機中?"), 2, 4),
        vbOKCancel | vbQuestion, Title(ctx));
    return answer == vbOK ? OkAction::CloseAndSave : OkAction::StayOpen;
}

bool SaveFormObj(DeviceContext& ctx, const CommSettingForm& form) {
    const MLText T{ctx.ml, QStringLiteral("CommSetting")};
    const bool ok =
        KORVACommUtil::WriteCommSettings(ctx, form.lblModelName, form.txtSlaveID, form.cmbPortBaud,
                                         form.cmbParityBit, true, form.device.TypeCode);
    if (ok) {
        ctx.ui.MsgBox(T(QStringLiteral("設定報警機通訊參數成功!"), 1, 5), vbOKOnly, Title(ctx));
    } else {
        ctx.ui.MsgBox(T(QStringLiteral("設定報警機通訊參數失敗!"), 1, 6) + VBUtil::kCrLf +
                          T(QStringLiteral("請檢查下列項目:"), 2, 6) + VBUtil::kCrLf +
                          KORVACommUtil::CheckLines(ctx) + CommUtil::LostPortText(ctx),
                      vbOKOnly | vbCritical, Title(ctx));
    }
    KORVACommUtil::SetConnectStatus(ctx, ok);
    return ok;
}

bool SlaveIDKeyAccepted(QChar key) {
    return key >= u'0' && key <= u'9';
}

QString ClampSlaveID(const QString& text) {
    // Pasted text may carry other characters than the keys let through: only digits stay.
    QString digits;
    for (QChar c : text)
        if (SlaveIDKeyAccepted(c)) digits += c;
    const double v = VBUtil::Val(digits);
    if (v < 1) return QStringLiteral("1");
    if (v > 255) return QStringLiteral("255");
    return digits;
}
} // namespace CommSetting
