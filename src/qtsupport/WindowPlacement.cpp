// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowPlacement.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace harrowdeck {

namespace {

WindowRect ToRect(const QRect& rect)
{
    return {double(rect.x()), double(rect.y()), double(rect.width()), double(rect.height())};
}

bool HasWindowManagerFrame(const QWidget& widget)
{
    return !widget.windowFlags().testFlag(Qt::FramelessWindowHint);
}

// A window that has not been shown yet has no frame: the window manager adds
// it on mapping. The main window's frame is the best guess for its size.
QSize FrameAllowance(const QWidget& win, const QWidget& over)
{
    if (win.isVisible() || !HasWindowManagerFrame(win)) {
        return win.frameGeometry().size() - win.size();
    }
    return over.frameGeometry().size() - over.size();
}

} // namespace

double DpiOf(const QWidget& widget)
{
    const int dpi = widget.logicalDpiX();
    return dpi > 0 ? dpi : 96.0;
}

WindowRect OuterRect(const QWidget& widget)
{
    return ToRect(widget.frameGeometry());
}

WindowRect OuterRectInTwips(const QWidget& widget)
{
    const double dpi = DpiOf(widget);
    const WindowRect frame = OuterRect(widget);
    return {PixelsToTwips(frame.left, dpi), PixelsToTwips(frame.top, dpi), PixelsToTwips(frame.width, dpi),
            PixelsToTwips(frame.height, dpi)};
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

void PlaceTwips(QWidget& widget, const WindowRect& twips)
{
    widget.setGeometry(TwipsToPixelsFor(widget, twips.left), TwipsToPixelsFor(widget, twips.top),
                       TwipsToPixelsFor(widget, twips.width), TwipsToPixelsFor(widget, twips.height));
}

ScreenLayout CurrentScreens()
{
    ScreenLayout layout;
    for (const QScreen* screen : QGuiApplication::screens()) {
        layout.workAreas.push_back(ToRect(screen->availableGeometry()));
    }
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        layout.primary = ToRect(primary->geometry());
    }
    return layout;
}

void CenterForm(QWidget& win, const QWidget& over)
{
    const double dpi = DpiOf(win);
    const QSize outer = win.size() + FrameAllowance(win, over);
    WindowRect placed{0, 0, PixelsToTwips(outer.width(), dpi), PixelsToTwips(outer.height(), dpi)};
    CenterForm(placed, OuterRectInTwips(over));
    MoveToTwips(win, placed.left, placed.top);
}

void WaitForFrame(QWidget& window)
{
    constexpr qint64 kLongestWaitMs = 1000;
    QElapsedTimer waited;
    waited.start();
    const QWindow* handle = window.windowHandle();
    while (handle != nullptr && !handle->isExposed() && waited.elapsed() < kLongestWaitMs) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    }
}

} // namespace harrowdeck
