#pragma once
// The editing windows.
#include "base/Ui.h"

namespace Windows {
inline constexpr Window frmEditGroupList{"frmEditGroupList"};
inline constexpr Window frmEditTelList{"frmEditTelList"};
inline constexpr Window frmEditZoneList{"frmEditZoneList"};
inline constexpr Window frmAddUser{"frmAddUser"};
inline constexpr Window frmAddUserGroup{"frmAddUserGroup"};
inline constexpr Window frmMoveUsers{"frmMoveUsers"};
inline constexpr Window frmAddOtherUser{"frmAddOtherUser"};
inline constexpr Window frmAllUserGroups{"frmAllUserGroups"};
inline constexpr Window frmCsvImport{"frmCsvImport"};
inline constexpr Window frmPickGroup{"frmPickGroup"};
} // namespace Windows
