// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

class QFont;
class QString;
class QWidget;

namespace harrowdeck {

// The caption of every message box the program shows.
[[nodiscard]] QString ProgramCaption();

// "MS Sans Serif" bold, the font of the main window and the about window.
[[nodiscard]] QFont BoldSansSerif(double pointSize);

// "Courier" 9.75 points, normal weight. Few systems still have that face, so
// Qt is told to substitute a monospaced one rather than a proportional one.
[[nodiscard]] QFont CourierFont();

// The light grey (192, 192, 192) background of the program's windows.
void PaintLightGrey(QWidget& widget);

// Enter on a focused push button presses it, as Space does: users of the
// classic toolkit expect it. Applies to the window's buttons that exist now.
void EnterPressesButtons(QWidget& window);

// Text conversions between the choosers' byte strings (UTF-8 on this
// platform, as file names are) and Qt.
[[nodiscard]] QString ToQt(const std::string& text);
[[nodiscard]] std::string FromQt(const QString& text);

} // namespace harrowdeck
