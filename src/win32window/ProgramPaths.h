// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppPaths.h"

namespace harrowdeck::win32 {

// The program's folder, and where its parameter file goes: beside the
// program when the user may write there, else in %APPDATA%\Harrowdeck.
[[nodiscard]] AppPaths LocateAppPaths();

} // namespace harrowdeck::win32
