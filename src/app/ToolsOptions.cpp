#include "app/ToolsOptions.h"

#include "app/AppContext.h"
#include "app/SettingUtil.h"
#include "base/AppInfo.h"
#include "base/VBUtil.h"
#include "ml/MLText.h"

#include <algorithm>

namespace ToolsOptions {

Texts LoadFormObj(const CommValues& comm) {
    return {QString::number(comm.Retry), QString::number(comm.TimeOut), QString()};
}

Texts Defaults() {
    return {QStringLiteral("3"), QStringLiteral("2"), QString()};
}

QVector<LanguageChoice> LanguageChoices(const MLState& ml) {
    const MLText T{ml, QStringLiteral("ToolsOptions")};
    // The languages are named in themselves, the same in every language shown.
    QVector<LanguageChoice> choices{{QStringLiteral("AUTO"), T(QStringLiteral("自動"), 1, 101)},
                                    {QStringLiteral("ChineseBig5"), QStringLiteral("繁體中文")},
                                    {QStringLiteral("ChineseGB"), QStringLiteral("简体中文")},
                                    {QStringLiteral("English"), QStringLiteral("English")}};
    const QString current = ml.AppliedLangName;
    const QString known =
        current.isEmpty() ? QStringLiteral("AUTO") : MLUtil::LanguageName(current);
    auto it = std::find_if(choices.begin(), choices.end(),
                           [&](const LanguageChoice& c) { return c.name == known; });
    if (it != choices.end())
        it->name = current;
    else
        choices.append({current, current});
    return choices;
}

bool CheckFormObj(AppContext& ctx, const Texts& texts, QString* focus) {
    const MLText T{ctx.ml, QStringLiteral("ToolsOptions")};
    QString text, box;
    if (!CommValues::RetryInRange(VBUtil::ToWhole16(texts.retry))) {
        text = T(QStringLiteral("重試次數必須在0到10之間。"), 1, 110);
        box = QStringLiteral("txtRetry");
    } else if (!CommValues::TimeOutInRange(VBUtil::ToWhole16(texts.timeOut))) {
        text = T(QStringLiteral("逾時時間必須在0到60秒之間。"), 2, 110);
        box = QStringLiteral("txtTimeOut");
    } else {
        return true;
    }
    ctx.ui.MsgBox(text, vbOKOnly | vbExclamation, T(QStringLiteral("選項"), 3, 110));
    if (focus) *focus = box;
    return false;
}

bool SaveFormObj(AppContext& ctx, const Texts& texts) {
    const MLText T{ctx.ml, QStringLiteral("ToolsOptions")};
    ctx.comm.Retry = VBUtil::ToWhole16(texts.retry);
    ctx.comm.TimeOut = VBUtil::ToWhole16(texts.timeOut);
    const bool languageChanged =
        !texts.language.isNull() && texts.language != ctx.ml.AppliedLangName;
    if (languageChanged) ctx.ml.AppliedLangName = texts.language;
    if (SettingUtil::WriteSettings(ctx)) {
        if (languageChanged) {
            // Said in the language chosen.
            const MLState chosen = MLUtil::MessagesIn(ctx.ml, texts.language);
            const MLText TChosen{chosen, QStringLiteral("ToolsOptions")};
            ctx.ui.MsgBox(TChosen(QStringLiteral("語言設定已變更, 下次啟動程式時生效。"), 1, 102),
                          vbOKOnly | vbInformation, TChosen(QStringLiteral("選項"), 3, 100));
        }
        return true;
    }
    ctx.ui.MsgBox(T(QStringLiteral("設定檔寫入失敗!"), 1, 100) + VBUtil::kCrLf +
                      T(QStringLiteral("無法寫入檔案"), 2, 100) + QStringLiteral(" [") +
                      DefaultSettingsPath() + QStringLiteral("]"),
                  vbOKOnly | vbCritical, T(QStringLiteral("選項"), 3, 100));
    return false;
}

} // namespace ToolsOptions
