// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindowLogic.h"

#include "ChooserRules.h"
#include "ConsoleReport.h"
#include "DigitKeyFilter.h"
#include "FileProbe.h"
#include "GenerationRun.h"
#include "HelpText.h"
#include "Messages.h"
#include "ParamFile.h"
#include "WidthField.h"

#include <cstdlib>
#include <filesystem>
#include <new>
#include <system_error>

namespace harrowdeck {

namespace {

// Which mode each option button stands for.
struct OptionMode {
    MainControl option;
    BrowseMode browse;
    SizeMode size;
    bool isBrowse;
};

constexpr OptionMode kOptionModes[] = {
    {MainControl::optFrame, BrowseMode::Frame, {}, true},
    {MainControl::optWindow, BrowseMode::FullWindow, {}, true},
    {MainControl::optNewWin, BrowseMode::NewWindow, {}, true},
    {MainControl::optProcent, {}, SizeMode::Percent, false},
    {MainControl::optPixel, {}, SizeMode::Pixels, false},
};

// A mode read from the parameter file selects its button; anything else
// than Frame or Full window selects New Window, anything but percent pixels.
MainControl BrowseButton(BrowseMode mode)
{
    switch (mode) {
    case BrowseMode::Frame:
        return MainControl::optFrame;
    case BrowseMode::FullWindow:
        return MainControl::optWindow;
    case BrowseMode::NewWindow:
        break;
    }
    return MainControl::optNewWin;
}

} // namespace

MainWindowLogic::MainWindowLogic(AppPaths paths, ChooserVars& chooserVars, MainWindowView& view)
    : paths_(std::move(paths)), chooserVars_(chooserVars), view_(view)
{
}

// ---- start-up and shutdown -------------------------------------------------

void MainWindowLogic::StartUp()
{
    state_ = MainState{};
    LaddaPara();
    FillFields();
    SelectOptionButtons();
    view_.Focus(MainControl::Command1);
    view_.ShowWindow();
    if (!shutDown_) { // a termination signal while the window was mapped
        view_.ShowAbout();
    }
    if (!shutDown_) {
        view_.Focus(MainControl::Command1);
    }
}

void MainWindowLogic::LaddaPara()
{
    // A missing or damaged file leaves the defaults and whatever was read
    // before the damage; the user is not told, the next save mends it.
    (void)LoadParamFile(paths_.paramFile, state_);
    const double dpi = view_.Dpi();
    view_.MoveOuterTo(TwipsToPixels(state_.mainLeft, dpi), TwipsToPixels(state_.mainTop, dpi));
    const WindowRect frame = view_.OuterRect();
    const ScreenLayout screens = view_.Screens();
    const WindowRect placed = ReachablePlace(frame, screens.workAreas, screens.primary);
    if (placed != frame) {
        view_.MoveOuterTo(placed.left, placed.top);
    }
}

void MainWindowLogic::SparaPara()
{
    const WindowRect outer = view_.OuterRect();
    const double dpi = view_.Dpi();
    state_.mainTop = NearestTwips(PixelsToTwips(outer.top, dpi));
    state_.mainLeft = NearestTwips(PixelsToTwips(outer.left, dpi));
    EnsureParamDirExists(paths_);
    if (const auto error = SaveParamFile(paths_.paramFile, state_)) {
        // The user is not bothered at exit; the old file stays as it was.
        ReportOnConsole(messages::CouldNotWrite(error->path, error->reason));
    }
}

void MainWindowLogic::Shutdown()
{
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    ending_ = true; // a run still reading stops at its next report
    // The program never makes Prog.tmp itself; one that cannot be removed
    // must not keep the choices from being saved.
    try {
        std::error_code ignored;
        std::filesystem::remove(PathFromUtf8(paths_.tempFile), ignored);
    } catch (...) {
        // Nor may a name that is not UTF-8.
    }
    SparaPara();
}

void MainWindowLogic::RequestEnd()
{
    ending_ = true;
    if (RunHandlingEvents()) {
        return; // the run ends first; the window closes after it
    }
    view_.Close();
}

bool MainWindowLogic::RunHandlingEvents() const
{
    return run_ != nullptr && run_->HandlingEvents();
}

void MainWindowLogic::FillFields()
{
    view_.SetText(MainControl::txtSource, state_.sourcePath);
    view_.SetText(MainControl::txtDest, state_.destDir);
    view_.SetText(MainControl::txtProc, WidthText(state_.leftPercent));
    view_.SetText(MainControl::txtPixel, WidthText(state_.leftPixels));
}

// Selecting a button has the effect of the user's click on it, so that
// after start-up the modes are the ones the buttons show.
void MainWindowLogic::SelectOptionButtons()
{
    const MainControl browse = BrowseButton(state_.browseMode);
    const MainControl size = state_.sizeMode == SizeMode::Percent ? MainControl::optProcent : MainControl::optPixel;
    for (const MainControl option : {browse, size}) {
        Selected(option);
        view_.SetChecked(option, true);
    }
    view_.SetChecked(MainControl::chkAllFolders, state_.folderMode == FolderMode::All);
}

// ---- the controls ----------------------------------------------------------

void MainWindowLogic::Clicked(MainControl button)
{
    switch (button) {
    case MainControl::cmdSource:
        PickSource();
        return;
    case MainControl::cmdDest:
        PickDestination();
        return;
    case MainControl::Command1:
        RunFrameset();
        return;
    default:
        return;
    }
}

void MainWindowLogic::Selected(MainControl option)
{
    for (const OptionMode& mode : kOptionModes) {
        if (mode.option != option) {
            continue;
        }
        if (mode.isBrowse) {
            state_.browseMode = mode.browse;
        } else {
            state_.sizeMode = mode.size;
        }
    }
}

void MainWindowLogic::Checked(MainControl box, bool checked)
{
    if (box == MainControl::chkAllFolders) {
        state_.folderMode = checked ? FolderMode::All : FolderMode::Top;
    }
}

void MainWindowLogic::MenuChosen(MainMenuItem item)
{
    switch (item) {
    case MainMenuItem::mnuInfo:
        view_.ShowAbout();
        return;
    case MainMenuItem::mnuQuit:
        view_.Close();
        return;
    case MainMenuItem::mnuHelp:
        view_.ShowHelp(BuildHelpText());
        return;
    }
}

// The width fields take digits and control codes only; Enter brings the
// value into range.
int MainWindowLogic::KeyTyped(MainControl field, int code)
{
    if (field != MainControl::txtProc && field != MainControl::txtPixel) {
        return code;
    }
    const int filtered = DigitKeyFilter(code);
    if (filtered == kKeyEnter) {
        EnterWidth(field);
        return 0;
    }
    return filtered;
}

// Both widths are stored, so that a confirmed value survives a restart.
void MainWindowLogic::EnterWidth(MainControl field)
{
    const bool percent = field == MainControl::txtProc;
    const int value = NormaliseWidth(view_.Text(field), percent ? WidthField::Percent : WidthField::Pixels);
    view_.SetText(field, WidthText(value));
    (percent ? state_.leftPercent : state_.leftPixels) = value;
}

// Typing replaces the value.
void MainWindowLogic::Focused(MainControl field)
{
    if (field == MainControl::txtProc || field == MainControl::txtPixel) {
        view_.SelectWholeText(field);
    }
}

void MainWindowLogic::PickSource()
{
    PrepareSourcePick(state_, chooserVars_);
    AskToOpen(chooserVars_);
    view_.ChooseFile(chooserVars_);
    if (TakeSourcePick(state_, chooserVars_)) {
        view_.SetText(MainControl::txtSource, state_.sourcePath);
    }
}

void MainWindowLogic::PickDestination()
{
    PrepareDestPick(state_, chooserVars_);
    view_.ChooseDirectory(chooserVars_);
    if (TakeDestPick(state_, chooserVars_)) {
        view_.SetText(MainControl::txtDest, state_.destDir);
    }
}

// ---- the run ---------------------------------------------------------------

RunOptions MainWindowLogic::CurrentRunOptions() const
{
    RunOptions options;
    options.sourcePath = state_.sourcePath;
    options.destDir = state_.destDir;
    options.browseMode = state_.browseMode;
    options.sizeMode = state_.sizeMode;
    options.folderMode = state_.folderMode;
    options.procText = view_.Text(MainControl::txtProc);
    options.pixelText = view_.Text(MainControl::txtPixel);
    return options;
}

void MainWindowLogic::RunFrameset()
{
    if (run_ != nullptr) {
        return;
    }
    {
        RunConversation conversation(view_.RunDisplay(), *this, state_.folderMode, pacing_);
        run_ = &conversation;
        try {
            (void)MakeFrameset(CurrentRunOptions(), conversation);
        } catch (const std::bad_alloc&) {
            EndForLackOfMemory();
        }
        run_ = nullptr;
    }
    if (ending_ && !shutDown_) {
        view_.Close();
    }
}

// A run that got past its question brought both widths into range; the
// fields and the saved choices show them as the run uses them, whatever
// ends it later.
void MainWindowLogic::TakeDecisions(const RunDecisions& decided)
{
    state_.leftPercent = decided.leftPercent;
    state_.leftPixels = decided.leftPixels;
    view_.SetText(MainControl::txtProc, WidthText(decided.leftPercent));
    view_.SetText(MainControl::txtPixel, WidthText(decided.leftPixels));
}

void MainWindowLogic::RepeatEndRequest()
{
    view_.PostEndRequest();
}

// Not even the run's message box could be had. The run's memory and files
// went with the unwinding, so the choices can usually still be saved; then
// the program ends as the command-line tool does, before the event loop,
// which cannot take the exception, goes on without memory.
void MainWindowLogic::EndForLackOfMemory() noexcept
{
    ReportOnConsole("out of memory");
    try {
        SparaPara();
    } catch (...) {
        ReportOnConsole("the settings could not be saved: out of memory");
    }
    std::_Exit(EXIT_FAILURE);
}

} // namespace harrowdeck
