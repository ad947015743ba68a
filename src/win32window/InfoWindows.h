// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <windows.h>

#include <string>

namespace harrowdeck::win32 {

// frmStart: the product name and the copyright line, both read from the
// program file's own version resource, and "Okej"; modal over owner.
void ShowAboutWindow(HWND owner);

// frmForklaring: the help text in a read-only box without a caret, in a
// window the user may size; modal over owner.
void ShowHelpText(const std::string& text, HWND owner);

} // namespace harrowdeck::win32
