#pragma once
// The device windows.
#include "base/Ui.h"

namespace Windows {
inline constexpr Window frmComPort{"frmComPort"};
inline constexpr Window frmCommSetting{"frmCommSetting"};
inline constexpr Window frmDiagnostic{"frmDiagnostic"};
} // namespace Windows
