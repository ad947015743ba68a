// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace harrowdeck {

// The product name and version, "Harrowdeck 1.1": the main window's caption
// and the about window's product line.
[[nodiscard]] std::string AppTitle();

// The about window's copyright line: "Copyright " + the legal copyright
// entry + " ". Made afresh for every showing, so that it never grows.
[[nodiscard]] std::string CopyrightLine();

// How much wider the about window grows, in pixels, so that its widest text
// fits its labels with margin to spare in the font that stands in for the
// one it was drawn for: 0 when it fits. The labels grow by as much, the
// button moves by half of it, and everything stays centred.
[[nodiscard]] int AboutWidening(int widestText, int labelWidth, int margin);

} // namespace harrowdeck
