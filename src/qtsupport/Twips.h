// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>

namespace harrowdeck {

// Window geometry is kept in twips, 1/1440 inch, so that a saved position
// means the same on screens of different density.
inline constexpr double kTwipsPerInch = 1440.0;

[[nodiscard]] inline int TwipsToPixels(double twips, double dpi)
{
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

[[nodiscard]] inline double PixelsToTwips(int pixels, double dpi)
{
    return pixels * kTwipsPerInch / dpi;
}

} // namespace harrowdeck
