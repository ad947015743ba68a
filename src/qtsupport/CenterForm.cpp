// SPDX-License-Identifier: GPL-3.0-or-later
#include "CenterForm.h"

#include <algorithm>

namespace harrowdeck {

namespace {

double Overlap(double start, double length, double areaStart, double areaLength)
{
    return std::min(start + length, areaStart + areaLength) - std::max(start, areaStart);
}

} // namespace

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

bool IsReachable(const WindowRect& frame, std::span<const WindowRect> areas)
{
    const double width = std::min(kReachableWidth, frame.width);
    const double height = std::min(kReachableHeight, frame.height);
    return std::any_of(areas.begin(), areas.end(), [&](const WindowRect& area) {
        return Overlap(frame.left, frame.width, area.left, area.width) >= width &&
               Overlap(frame.top, height, area.top, area.height) >= height;
    });
}

} // namespace harrowdeck
