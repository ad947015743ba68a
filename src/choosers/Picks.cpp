// SPDX-License-Identifier: GPL-3.0-or-later
#include "Picks.h"

#include "DirChooser.h"
#include "FileChooser.h"

namespace harrowdeck {

bool PickSource(MainState& state, ChooserVars& vars, QWidget& mainWindow, ModalRunner& runner)
{
    vars.dir = state.sourceDir;
    vars.file = state.sourceName;
    vars.title = "Select Gloamerys exported file";
    vars.filter = "htm (*.htm*)|*.htm*";
    ChooseFileToOpen(vars, &mainWindow, runner);
    if (vars.result.empty()) {
        return false;
    }
    state.sourcePath = vars.result;
    state.sourceDir = vars.dir;
    state.sourceName = vars.file;
    return true;
}

bool PickDestination(MainState& state, ChooserVars& vars, QWidget& mainWindow, ModalRunner& runner)
{
    vars.title = "Select destination directory";
    vars.dir = state.destDir;
    vars.file.clear();
    ChooseDirectory(vars, mainWindow, runner);
    if (vars.result.empty()) {
        return false;
    }
    state.destDir = vars.result;
    return true;
}

} // namespace harrowdeck
