// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace harrowdeck {

// Window geometry is kept in twips, 1/1440 inch, so that a saved position
// and a control's place mean the same on screens of different density.
inline constexpr double kTwipsPerInch = 1440.0;

[[nodiscard]] int TwipsToPixels(double twips, double dpi);
[[nodiscard]] double PixelsToTwips(double pixels, double dpi);
// The nearest whole twips, held to what the parameter file can keep.
[[nodiscard]] std::int32_t NearestTwips(double twips);

// Outer window geometry in one unit (twips or pixels): frame and caption
// included.
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

// The screens a window can be on, in pixels: their work areas, and the
// primary screen's whole area, where a window goes home.
struct ScreenLayout {
    std::vector<WindowRect> workAreas;
    WindowRect primary;
};

// What of a window's title bar must lie on a screen for the user to grab
// it and drag the window back, in pixels: a stretch this wide, from the
// window's top edge down this far.
inline constexpr double kGrabWidth = 40;
inline constexpr double kGrabHeight = 8;

// True when a stretch of frame's title bar, kGrabWidth wide and kGrabHeight
// down from its top edge, lies on one of the screen areas (a window
// narrower than that needs its whole width on it).
[[nodiscard]] bool TitleBarReachable(const WindowRect& frame, std::span<const WindowRect> areas);

// Where a window saved at frame opens: there while its title bar can be
// grabbed, else at home (the primary screen's top-left corner), so that a
// window saved on an unplugged monitor does not open out of sight.
[[nodiscard]] WindowRect ReachablePlace(const WindowRect& frame, std::span<const WindowRect> areas,
                                        const WindowRect& home);

} // namespace harrowdeck
