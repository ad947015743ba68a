// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppPaths.h"
#include "ChooserVars.h"
#include "Forms.h"
#include "MainState.h"
#include "Placement.h"
#include "RunConversation.h"
#include "RunOptions.h"

#include <string>

namespace harrowdeck {

// What a front end offers the main window's rules: its controls, its
// geometry and the windows it opens. The controls are named by the table
// (Forms.h); setting one never counts as the user's input.
class MainWindowView {
public:
    virtual ~MainWindowView() = default;

    [[nodiscard]] virtual std::string Text(MainControl field) const = 0;
    virtual void SetText(MainControl field, const std::string& text) = 0;
    virtual void SetChecked(MainControl button, bool checked) = 0;
    virtual void SelectWholeText(MainControl field) = 0;
    virtual void Focus(MainControl control) = 0;

    // The window's outer geometry (frame included) in pixels, the density
    // that twips are converted at, and the screens.
    [[nodiscard]] virtual WindowRect OuterRect() const = 0;
    virtual void MoveOuterTo(double left, double top) = 0;
    [[nodiscard]] virtual double Dpi() const = 0;
    [[nodiscard]] virtual ScreenLayout Screens() const = 0;

    // Makes the window visible and lets it be mapped.
    virtual void ShowWindow() = 0;
    // The modal windows, each centred over this one.
    virtual void ShowAbout() = 0;
    virtual void ShowHelp(const std::string& text) = 0;
    virtual void ChooseFile(ChooserVars& vars) = 0;
    virtual void ChooseDirectory(ChooserVars& vars) = 0;
    // Where a run shows its boxes and its progress.
    [[nodiscard]] virtual RunSurface& RunDisplay() = 0;

    // Closes the window, which ends the program through Shutdown().
    virtual void Close() = 0;
    // Asks for the program's end once more, from the next event loop that
    // runs (a message box's).
    virtual void PostEndRequest() = 0;
};

// What the main window decides: the start-up and shutdown, what each
// control and menu item does with the main-window state, the width fields'
// keys, the picks, the run, and the parameter file with the window's place.
// Both windows route their events here and draw what it says.
class MainWindowLogic final : private RunHost {
public:
    MainWindowLogic(AppPaths paths, ChooserVars& chooserVars, MainWindowView& view);

    // Start-up: defaults, the saved choices and place, the fields and option
    // buttons, the window, then the about window over it. Returns when the
    // about window has been closed (or the program ended meanwhile).
    void StartUp();
    // Reads the parameter file over the current choices and moves the window
    // to the saved place, or home when its title bar could not be grabbed
    // there.
    void LaddaPara();
    // Takes the window's place and writes the parameter file; a failure goes
    // to standard error, the user is not bothered at exit.
    void SparaPara();
    // The window closes: Prog.tmp goes and the choices are saved, once.
    void Shutdown();

    // The program is asked to end (a signal, the session). A run that is
    // handling events stops at its report, or completes its renaming, and
    // the window closes after it.
    void RequestEnd();

    // A push button was pressed.
    void Clicked(MainControl button);
    // An option button became the selected one (a click, an arrow key).
    void Selected(MainControl option);
    // The check box was checked or cleared.
    void Checked(MainControl box, bool checked);
    void MenuChosen(MainMenuItem item);
    // A key typed into a field, as its character code: what the field gets,
    // 0 when the key is discarded or consumed. Enter normalises a width.
    [[nodiscard]] int KeyTyped(MainControl field, int code);
    // A field got the focus.
    void Focused(MainControl field);

    [[nodiscard]] MainState& State() { return state_; }
    [[nodiscard]] const MainState& State() const { return state_; }
    [[nodiscard]] const AppPaths& Paths() const { return paths_; }
    [[nodiscard]] bool HasShutDown() const { return shutDown_; }
    [[nodiscard]] bool Ending() const { return ending_; }
    // True while a run handles events: the window must not close then.
    [[nodiscard]] bool RunHandlingEvents() const;
    void SetProgressPacing(ProgressPacing pacing) { pacing_ = pacing; }

private:
    void FillFields();
    void SelectOptionButtons();
    void PickSource();
    void PickDestination();
    void RunFrameset();
    [[nodiscard]] RunOptions CurrentRunOptions() const;
    void EnterWidth(MainControl field);
    [[noreturn]] void EndForLackOfMemory() noexcept;

    // RunHost
    [[nodiscard]] bool EndRequested() const override { return ending_; }
    void TakeDecisions(const RunDecisions& decided) override;
    void RepeatEndRequest() override;

    AppPaths paths_;
    ChooserVars& chooserVars_;
    MainWindowView& view_;
    MainState state_;
    ProgressPacing pacing_;
    RunConversation* run_ = nullptr; // while a run is under way
    bool ending_ = false;
    bool shutDown_ = false;
};

} // namespace harrowdeck
