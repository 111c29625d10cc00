#pragma once
// The windows of the project store.
#include "base/Ui.h"

namespace Windows {
inline constexpr Window frmProjBasic{"frmProjBasic"};
} // namespace Windows
