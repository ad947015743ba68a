// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace harrowdeck {

// The signature under the help text. The program has no single author, so
// it signs with its own name.
inline constexpr const char* kHelpSignature = "Harrowdeck";

// The short help shown by the Help menu item: 33 lines, each ending in CR LF,
// the descriptions starting in the 18th column so that they line up in a
// monospaced font. Built anew for every showing; nothing in it depends on
// the current settings.
[[nodiscard]] std::string BuildHelpText();

} // namespace harrowdeck
