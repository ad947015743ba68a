// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace harrowdeck {

// Outer window geometry in one unit (the program uses twips): frame and
// caption included.
struct WindowRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

// Centres win over over, then pulls its top and left edges back onto the
// screen. Half units are kept; only win's left and top change. There is no
// limit at the right or bottom edge.
void CenterForm(WindowRect& win, const WindowRect& over);

} // namespace harrowdeck
