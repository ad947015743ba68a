// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Placement.h"

class QWidget;

namespace harrowdeck {

// The density twips are converted at for a widget: its screen's logical dpi.
[[nodiscard]] double DpiOf(const QWidget& widget);

// A widget's outer geometry (frame included), in pixels and in twips.
[[nodiscard]] WindowRect OuterRect(const QWidget& widget);
[[nodiscard]] WindowRect OuterRectInTwips(const QWidget& widget);

// Moves the widget so that its outer top-left corner lies at the given
// position in twips.
void MoveToTwips(QWidget& widget, double left, double top);

void ResizeClientTwips(QWidget& widget, double width, double height);

void PlaceTwips(QWidget& widget, const WindowRect& twips);

[[nodiscard]] int TwipsToPixelsFor(const QWidget& widget, double twips);

// The connected screens' work areas and the primary screen.
[[nodiscard]] ScreenLayout CurrentScreens();

// Centres win's outer size over over, before or after win is first shown.
void CenterForm(QWidget& win, const QWidget& over);

// Lets a window that has just been shown get mapped, so that its frame is
// known before other windows are placed by it. Bounded, for a window manager
// that never answers; the user's input waits until it is over.
void WaitForFrame(QWidget& window);

} // namespace harrowdeck
