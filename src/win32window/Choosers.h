// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChooserVars.h"

#include <windows.h>

namespace harrowdeck::win32 {

// The file chooser: the common file dialog, set up and read back through
// the chooser variables.
void ChooseFile(ChooserVars& vars, HWND owner);

// frmDir: a drive list and a directory list, modal over owner.
void ChooseDirectory(ChooserVars& vars, HWND owner);

} // namespace harrowdeck::win32
