// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowPlacement.h"

#include "Twips.h"

#include <QWidget>

#include <cmath>

namespace harrowdeck {

namespace {

double DpiOf(const QWidget& widget)
{
    const int dpi = widget.logicalDpiX();
    return dpi > 0 ? dpi : 96.0;
}

} // namespace

WindowRect OuterRectInTwips(const QWidget& widget)
{
    const double dpi = DpiOf(widget);
    const QRect frame = widget.frameGeometry();
    return {PixelsToTwips(frame.x(), dpi), PixelsToTwips(frame.y(), dpi),
            PixelsToTwips(frame.width(), dpi), PixelsToTwips(frame.height(), dpi)};
}

void MoveToTwips(QWidget& widget, double left, double top)
{
    const double dpi = DpiOf(widget);
    widget.move(TwipsToPixels(left, dpi), TwipsToPixels(top, dpi));
}

void ResizeClientTwips(QWidget& widget, double width, double height)
{
    const double dpi = DpiOf(widget);
    widget.resize(TwipsToPixels(width, dpi), TwipsToPixels(height, dpi));
}

int TwipsToPixelsFor(const QWidget& widget, double twips)
{
    return TwipsToPixels(twips, DpiOf(widget));
}

void CenterForm(QWidget& win, const QWidget& over)
{
    WindowRect placed = OuterRectInTwips(win);
    CenterForm(placed, OuterRectInTwips(over));
    MoveToTwips(win, placed.left, placed.top);
}

} // namespace harrowdeck
