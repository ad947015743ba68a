// SPDX-License-Identifier: GPL-3.0-or-later
#include "Placement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace harrowdeck {

namespace {

double Overlap(double start, double length, double areaStart, double areaLength)
{
    return std::min(start + length, areaStart + areaLength) - std::max(start, areaStart);
}

} // namespace

int TwipsToPixels(double twips, double dpi)
{
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

double PixelsToTwips(double pixels, double dpi)
{
    return pixels * kTwipsPerInch / dpi;
}

std::int32_t NearestTwips(double twips)
{
    const double rounded = std::nearbyint(twips);
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(rounded, low, high));
}

void CenterForm(WindowRect& win, const WindowRect& over)
{
    win.left = over.left + (over.width - win.width) / 2;
    win.top = over.top + (over.height - win.height) / 2;
    // Each edge on its own: a caption above the screen or a frame beyond its
    // left edge cannot be grabbed again.
    if (win.top < 0) {
        win.top = 0;
    }
    if (win.left < 0) {
        win.left = 0;
    }
}

bool TitleBarReachable(const WindowRect& frame, std::span<const WindowRect> areas)
{
    const double width = std::min(kGrabWidth, frame.width);
    return std::any_of(areas.begin(), areas.end(), [&](const WindowRect& area) {
        return Overlap(frame.left, frame.width, area.left, area.width) >= width &&
               Overlap(frame.top, kGrabHeight, area.top, area.height) >= kGrabHeight;
    });
}

WindowRect ReachablePlace(const WindowRect& frame, std::span<const WindowRect> areas, const WindowRect& home)
{
    if (TitleBarReachable(frame, areas)) {
        return frame;
    }
    return {home.left, home.top, frame.width, frame.height};
}

} // namespace harrowdeck
