// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChooserVars.h"
#include "MainState.h"
#include "ModalRunner.h"

class QWidget;

namespace harrowdeck {

// The main window's source-file pick: opens the file chooser on the last
// source directory and name. True when the user chose a file; state then
// holds its path, directory and name and txtSource should show sourcePath.
[[nodiscard]] bool PickSource(MainState& state, ChooserVars& vars, QWidget& mainWindow, ModalRunner& runner);

// The main window's destination pick: opens frmDir on destDir. True when the
// user pressed OK; destDir then holds the directory with its trailing
// separator and txtDest should show it.
[[nodiscard]] bool PickDestination(MainState& state, ChooserVars& vars, QWidget& mainWindow, ModalRunner& runner);

} // namespace harrowdeck
