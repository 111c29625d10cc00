#pragma once
// The main window's Device menu: the state of its items when it opens, and the connect and
// settings commands.
#include <QString>

struct DeviceContext;

struct DeviceMenuState {
    bool connectChecked = false; // mnuDeviceConnect
    QString connectCaption;
    bool disconnectEnabled = false;   // mnuDeviceDisconnect
    bool settingEnabled = false;      // mnuDeviceSetting
    bool downloadEnabled = false;     // mnuDeviceDownLoad
    bool downloadManyEnabled = false; // mnuDeviceDownLoadMany: its own ports, no connection
};

namespace DeviceMenu {
// Connected: the connect item checked, disconnect and settings enabled, download enabled when
// a project is open. Not connected: unchecked, all three disabled. Connecting is always
// possible. Downloading to several dialers needs only an open project.
DeviceMenuState DeviceMenuRule(DeviceContext& ctx);
// mnuDeviceConnect: the port dialog; when a port was chosen and opened, Connect.
void DeviceConnectCommand(DeviceContext& ctx);
// mnuDeviceDisconnect: closes the port; the link is offline.
void DeviceDisconnectCommand(DeviceContext& ctx);
// mnuDeviceSetting: the settings dialog (shown only when it could read the device).
bool DeviceSettingCommand(DeviceContext& ctx);
} // namespace DeviceMenu
