// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppPaths.h"

namespace harrowdeck {

// The paths of the running program: its own directory, and the parameter
// file beside it or in the per-user configuration directory. Needs the
// application object (its name decides the configuration directory).
[[nodiscard]] AppPaths LocateAppPaths();

} // namespace harrowdeck
