// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Forms.h"

#include <string>
#include <string_view>

class QFont;
class QString;
class QWidget;

namespace harrowdeck {

// A font of the tables. Few systems still have "MS Sans Serif" or "Courier",
// so Qt is told which faces stand in for them: ones of like widths first,
// and a monospaced one for Courier rather than a proportional one.
[[nodiscard]] QFont FontFor(const FontChoice& desc);

// The light grey (192, 192, 192) background of the program's windows.
void PaintLightGrey(QWidget& widget);

// Enter on a focused push button presses it, as Space does: users of the
// classic toolkit expect it. Applies to the window's buttons that exist now.
void EnterPressesButtons(QWidget& window);

// Text conversions between the program's byte strings (UTF-8 on this
// platform, as file names are) and Qt.
[[nodiscard]] QString ToQt(std::string_view text);
[[nodiscard]] std::string FromQt(const QString& text);

} // namespace harrowdeck
