// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Placement.h"

#include <cstddef>
#include <string>

namespace harrowdeck {

// The signature under the help text. The program has no single author, so
// it signs with its own name.
inline constexpr const char* kHelpSignature = "Harrowdeck";

// The widest line of the help text: the classic entries' lines, so that
// the help window shows every line unwrapped at its size.
inline constexpr std::size_t kHelpLineWidth = 51;

// The short help shown by the Help menu item: the classic 33 lines and the
// block on every folder, each ending in CR LF, the descriptions starting in
// the 18th column so that they line up in a monospaced font. Built anew for
// every showing; nothing in it depends on the current settings.
[[nodiscard]] std::string BuildHelpText();

// The help text box's place in a client area of the given size: all of it,
// to its last pixel, whatever frame the window has (the classic rule took
// the outer size less a fixed frame allowance, which leaves a band or cuts
// the scroll bar under any frame but the one it was measured on). Never
// less than nothing when the window is minimised or tiny.
[[nodiscard]] WindowRect HelpTextBoxPlace(double clientWidth, double clientHeight);

} // namespace harrowdeck
