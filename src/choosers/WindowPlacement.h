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

// Sizes a widget's client area in twips.
void ResizeClientTwips(QWidget& widget, double width, double height);

// Converts a length in twips to pixels at the widget's screen's dpi.
[[nodiscard]] int TwipsToPixelsFor(const QWidget& widget, double twips);

// Centres win over over before win is first shown.
void CenterForm(QWidget& win, const QWidget& over);

} // namespace harrowdeck
