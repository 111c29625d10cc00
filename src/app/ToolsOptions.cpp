#include "app/ToolsOptions.h"

#include "app/AppContext.h"
#include "app/SettingUtil.h"
#include "base/AppInfo.h"
#include "base/VBUtil.h"

namespace ToolsOptions {

Texts LoadFormObj(const CommValues& comm) {
    return {QString::number(comm.Retry), QString::number(comm.TimeOut)};
}

Texts Defaults() {
    return {QStringLiteral("3"), QStringLiteral("2")};
}

bool CheckFormObj(AppContext& ctx, const Texts& texts, QString* focus) {
    const MLState& ml = ctx.ml;
    QString text, box;
    if (!CommValues::RetryInRange(VBUtil::ToWhole16(texts.retry))) {
        text = GetMLText(ml, QStringLiteral("重試次數必須在0到10之間。"), 1, 110,
                         QStringLiteral("ToolsOptions"));
        box = QStringLiteral("txtRetry");
    } else if (!CommValues::TimeOutInRange(VBUtil::ToWhole16(texts.timeOut))) {
        text = GetMLText(ml, QStringLiteral("逾時時間必須在0到60秒之間。"), 2, 110,
                         QStringLiteral("ToolsOptions"));
        box = QStringLiteral("txtTimeOut");
    } else {
        return true;
    }
    ctx.ui.MsgBox(text, vbOKOnly | vbExclamation,
                  GetMLText(ml, QStringLiteral("選項"), 3, 110, QStringLiteral("ToolsOptions")));
    if (focus) *focus = box;
    return false;
}

bool SaveFormObj(AppContext& ctx, const Texts& texts) {
    ctx.comm.Retry = VBUtil::ToWhole16(texts.retry);
    ctx.comm.TimeOut = VBUtil::ToWhole16(texts.timeOut);
    if (SettingUtil::WriteSettings(ctx)) return true;
    ctx.ui.MsgBox(
        GetMLText(ctx.ml, QStringLiteral("設定檔寫入失敗!"), 1, 100,
                  QStringLiteral("ToolsOptions")) +
            VBUtil::kCrLf +
            GetMLText(ctx.ml, QStringLiteral("無法寫入檔案"), 2, 100,
                      QStringLiteral("ToolsOptions")) +
            QStringLiteral(" [") + DefaultSettingsPath() + QStringLiteral("]"),
        vbOKOnly | vbCritical,
        GetMLText(ctx.ml, QStringLiteral("選項"), 3, 100, QStringLiteral("ToolsOptions")));
    return false;
}

} // namespace ToolsOptions
