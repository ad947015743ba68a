// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DriveList.h"

namespace harrowdeck {

// The machine's drive list, from the mounted volumes as Qt reports them.
[[nodiscard]] std::vector<std::string> ListDrives();

} // namespace harrowdeck
