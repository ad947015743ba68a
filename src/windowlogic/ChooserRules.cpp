// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChooserRules.h"

#include "DirExists.h"
#include "FileFilter.h"
#include "FileProbe.h"

namespace harrowdeck {

namespace {

void DefaultTitle(ChooserVars& vars)
{
    if (vars.title.empty()) {
        vars.title = kDefaultChooserTitle;
    }
}

} // namespace

MessageBoxRequest NoDiskBox()
{
    MessageBoxRequest box;
    box.text = kNoDiskMessage;
    box.exclamation = true;
    return box;
}

void AskToOpen(ChooserVars& vars)
{
    vars.action = kChooserOpen;
    vars.flags = kChooserHideReadOnly;
}

FileDialogSetup BeginFileChoice(ChooserVars& vars)
{
    DefaultTitle(vars);
    if (!vars.dir.empty()) {
        AppendSeparator(vars.dir);
    }
    FileDialogSetup setup;
    setup.title = vars.title;
    setup.flags = vars.flags;
    setup.initialFile = vars.file;
    setup.initialDir = InitialDirFor(vars.dir);
    setup.filterText = BuildFilterText(vars.filter);
    setup.save = vars.action == kChooserSave;
    return setup;
}

void EndFileChoice(ChooserVars& vars, const std::optional<ChosenFile>& chosen)
{
    if (chosen && !chosen->path.empty() && !chosen->name.empty()) {
        vars.result = chosen->path;
        vars.file = chosen->name;
        vars.dir = DirPartOf(chosen->path, chosen->name);
    } else {
        vars.result.clear();
    }
    vars.filter.clear();
}

DirChoiceStart BeginDirChoice(ChooserVars& vars, const std::string& fallback)
{
    DefaultTitle(vars);
    vars.result.clear();
    NormaliseStartDir(vars.dir, fallback);
    return {vars.title, vars.dir};
}

void ConfirmDirChoice(ChooserVars& vars, const std::string& listPath)
{
    vars.dir = listPath;
    AppendSeparator(vars.dir);
    vars.result = vars.dir;
}

void CancelDirChoice(ChooserVars& vars)
{
    vars.result.clear();
}

void PrepareSourcePick(const MainState& state, ChooserVars& vars)
{
    vars.dir = state.sourceDir;
    vars.file = state.sourceName;
    vars.title = "Select Gloamerys exported file";
    vars.filter = "htm (*.htm*)|*.htm*";
}

bool TakeSourcePick(MainState& state, const ChooserVars& vars)
{
    if (vars.result.empty()) {
        return false;
    }
    state.sourcePath = vars.result;
    state.sourceDir = vars.dir;
    state.sourceName = vars.file;
    return true;
}

void PrepareDestPick(const MainState& state, ChooserVars& vars)
{
    vars.title = "Select destination directory";
    vars.dir = state.destDir;
    vars.file.clear();
}

bool TakeDestPick(MainState& state, const ChooserVars& vars)
{
    if (vars.result.empty()) {
        return false;
    }
    state.destDir = vars.result;
    return true;
}

} // namespace harrowdeck
