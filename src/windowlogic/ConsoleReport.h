// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace harrowdeck {

// A failure the user is not to be bothered with in a box (at exit, or while
// the window is not up yet) goes to standard error as "harrowdeck: TEXT".
// Allocates nothing, so that it can say that memory ran out.
void ReportOnConsole(std::string_view text) noexcept;

} // namespace harrowdeck
