// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChooserVars.h"
#include "ModalRunner.h"

class QWidget;

namespace harrowdeck {

// Runs the file dialog configured from vars and hands the choice back through
// them, as the chooser rules say (ChooserRules.h): on a confirmed choice
// result is the full path, file the bare name and dir the directory with its
// trailing separator; on cancel, or any failure, result is empty. The filter
// is empty afterwards either way. AskToOpen makes it an Open dialog.
void ChooseFile(ChooserVars& vars, QWidget* parent, ModalRunner& runner);

} // namespace harrowdeck
