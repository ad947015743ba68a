// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CenterForm.h"

class QWidget;

namespace harrowdeck {

// A widget's outer geometry (frame included) in twips, at its screen's dpi.
[[nodiscard]] WindowRect OuterRectInTwips(const QWidget& widget);

// Moves the widget so that its outer top-left corner lies at the given
// position in twips.
void MoveToTwips(QWidget& widget, double left, double top);

void ResizeClientTwips(QWidget& widget, double width, double height);

void PlaceTwips(QWidget& widget, const WindowRect& twips);

[[nodiscard]] int TwipsToPixelsFor(const QWidget& widget, double twips);

// Centres win's outer size over over, before or after win is first shown.
void CenterForm(QWidget& win, const QWidget& over);

// A window saved on a screen that has gone (an unplugged monitor) would open
// where nobody can see or grab it; it goes to the primary screen's top-left
// corner instead. A window the user can get hold of stays where it is.
void KeepReachable(QWidget& window);

// Lets a window that has just been shown get mapped, so that its frame is
// known before other windows are placed by it. Bounded, for a window manager
// that never answers; the user's input waits until it is over.
void WaitForFrame(QWidget& window);

} // namespace harrowdeck
