// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>

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

// How much of a window must lie on a screen for the user to get hold of it:
// a stretch of its title bar that can be grabbed and dragged.
inline constexpr double kReachableWidth = 100;
inline constexpr double kReachableHeight = 50;

// In pixels. True when the top kReachableHeight of frame (its title bar and
// a little more) lies on one of the areas, at least kReachableWidth wide. A
// window smaller than that needs to lie on it whole.
[[nodiscard]] bool IsReachable(const WindowRect& frame, std::span<const WindowRect> areas);

} // namespace harrowdeck
