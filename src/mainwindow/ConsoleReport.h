// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace harrowdeck {

// A failure the user is not to be bothered with in a box (at exit, or while
// the window is not up yet) goes to standard error as "harrowdeck: TEXT".
void ReportOnConsole(const std::string& text);

} // namespace harrowdeck
