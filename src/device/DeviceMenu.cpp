#include "device/DeviceMenu.h"

#include "device/CommUtil.h"
#include "device/DeviceContext.h"
#include "device/DeviceWindows.h"
#include "device/KORVACommUtil.h"
#include "ml/MLText.h"

namespace DeviceMenu {

DeviceMenuState DeviceMenuRule(DeviceContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    DeviceMenuState s;
    s.downloadManyEnabled = ctx.project.IsOpen();
    if (ctx.ConnectStatus) {
        s.connectChecked = true;
        s.connectCaption = T(QStringLiteral("連線簡訊報警機"), 1, 771);
        s.disconnectEnabled = true;
        s.settingEnabled = true;
        s.downloadEnabled = ctx.project.IsOpen();
    } else {
        s.connectChecked = false;
        s.connectCaption = T(QStringLiteral("連線簡訊報警機"), 1, 779);
        s.settingEnabled = false;
        s.downloadEnabled = false;
    }
    return s;
}

void DeviceConnectCommand(DeviceContext& ctx) {
    if (ctx.ui.ShowModal(Windows::frmComPort)) KORVACommUtil::Connect(ctx);
}

void DeviceDisconnectCommand(DeviceContext& ctx) {
    CommUtil::ClosePort(ctx);
    KORVACommUtil::SetConnectStatus(ctx, false);
}

bool DeviceSettingCommand(DeviceContext& ctx) {
    return ctx.ui.ShowModal(Windows::frmCommSetting);
}

} // namespace DeviceMenu
