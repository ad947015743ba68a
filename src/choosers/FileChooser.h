// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChooserVars.h"
#include "FileFilter.h"
#include "ModalRunner.h"

class QWidget;

namespace harrowdeck {

// The title a chooser uses when its caller gave none; it then stays in the
// chooser variables for later picks.
inline constexpr const char* kDefaultChooserTitle = "Filväljare";

// Runs the file dialog configured from vars and hands the choice back through
// them. On a confirmed choice: result is the full path, file the bare name
// and dir the directory with its trailing separator. On cancel, or any
// failure: result is empty, and title, dir and file keep what they held.
// The filter is empty afterwards either way, so it never leaks into the next
// pick.
void ChooseFile(ChooserVars& vars, QWidget* parent, ModalRunner& runner);

// ChooseFile as an Open dialog.
void ChooseFileToOpen(ChooserVars& vars, QWidget* parent, ModalRunner& runner);

} // namespace harrowdeck
