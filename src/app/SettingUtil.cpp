#include "app/SettingUtil.h"

#include "app/AppContext.h"
#include "base/AppInfo.h"
#include "base/VBUtil.h"
#include "db/FileUtil.h"

#include <QDir>

namespace SettingUtil {

using VBUtil::IniGet;
using VBUtil::ToWhole16;

bool ReadSettings(AppContext& ctx, const QString& pathIn) {
    const QString path = pathIn.isEmpty() ? DefaultSettingsPath() : pathIn;
    if (!FileUtil::FileExists(path)) {
        ctx.ui.MsgBox(QStringLiteral("KORVA system failed!\r\nFile [") + path +
                          QStringLiteral("] not exist."),
                      vbOKOnly | vbCritical, QStringLiteral("KORVA system failed"));
        return false;
    }
    const QString text = FileUtil::ReadTextFile(path);
    ctx.comm.TimeOut = ToWhole16(
        IniGet(QStringLiteral("Comm"), QStringLiteral("Timeout"), QStringLiteral("2"), text));
    ctx.comm.Retry = ToWhole16(
        IniGet(QStringLiteral("Comm"), QStringLiteral("Retry"), QStringLiteral("3"), text));
    ctx.comm.HoldToRange();
    return true;
}

QString SettingsText(const AppContext& ctx) {
    const QString& crlf = VBUtil::kCrLf;
    QString s;
    s += QStringLiteral("[Comm]") + crlf;
    s += QStringLiteral("TimeOut=") + QString::number(ctx.comm.TimeOut) + crlf;
    s += QStringLiteral("Retry=") + QString::number(ctx.comm.Retry) + crlf;
    s += crlf;
    s += QStringLiteral("[ML]") + crlf;
    s += QStringLiteral("AppliedLangName=") + ctx.ml.AppliedLangName + crlf;
    s += QStringLiteral("AlternateLangName=") + ctx.ml.AlternateLangName + crlf;
    s += QStringLiteral("OriginalLangName =") + ctx.ml.OriginalLangName + crlf;
    s += QStringLiteral("IsFormDisable= ") + (ctx.ml.IsFormDisable == 1 ? u'1' : u'0') + crlf;
    s += QStringLiteral("IsTextDisable= ") + (ctx.ml.IsTextDisable == 1 ? u'1' : u'0') + crlf;
    return s;
}

bool WriteSettings(const AppContext& ctx, const QString& pathIn) {
    const QString path = pathIn.isEmpty() ? DefaultSettingsPath() : pathIn;
    // Written through a temporary file and renamed over the old one: never half a file.
    return FileUtil::WriteTextFile(path, SettingsText(ctx)) >= 0;
}

} // namespace SettingUtil
