#pragma once
// The windows the main window opens itself. The options window is registered by the
// program (the layer above), which owns it.
#include "base/Ui.h"

namespace Windows {
inline constexpr Window frmAbout{"frmAbout"};
inline constexpr Window frmToolsOptions{"frmToolsOptions"};
} // namespace Windows
