// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChooserVars.h"
#include "MainState.h"
#include "MessageBoxRequest.h"

#include <cstdint>
#include <optional>
#include <string>

namespace harrowdeck {

// The title a chooser uses when its caller gave none; it then stays in the
// chooser variables for later picks.
inline constexpr const char* kDefaultChooserTitle = "Filväljare";
// The box shown, after the system beep, when a drive cannot be read.
inline constexpr const char* kNoDiskMessage = " Ingen disk i driven!";
[[nodiscard]] MessageBoxRequest NoDiskBox();
// Where the directory chooser opens, on a system with drive letters, when
// its start directory cannot be listed: drive C's current directory.
inline constexpr const char* kDriveFallbackDir = "c:";

// ---- the file chooser ------------------------------------------------------

// What the file dialog is given.
struct FileDialogSetup {
    std::string title;
    std::int32_t flags = 0;
    std::string initialFile;
    std::string initialDir; // empty for the dialog's own default
    std::string filterText; // "desc|pattern|...", its first entry in force
    bool save = false;      // a Save dialog rather than an Open one
};

// A confirmed choice in the dialog.
struct ChosenFile {
    std::string path; // in full
    std::string name; // without its directory
};

// An Open dialog that hides the read-only check box.
void AskToOpen(ChooserVars& vars);

// The steps before the dialog, on the chooser variables: the default title
// when none was given, a separator after a directory that lacks one.
[[nodiscard]] FileDialogSetup BeginFileChoice(ChooserVars& vars);

// The steps after it. A choice sets result to the full path, file to the
// bare name and dir to the directory with its separator; a cancel, or any
// failure (no choice), empties result and leaves title, dir and file as they
// are. The filter is emptied either way, so it never leaks into the next pick.
void EndFileChoice(ChooserVars& vars, const std::optional<ChosenFile>& chosen);

// ---- the directory chooser -------------------------------------------------

struct DirChoiceStart {
    std::string caption;
    std::string startDir; // what the directory list opens on
};

// The opening step: the default title when none was given, no result yet,
// and a start directory that exists (vars.dir, with its separator, or
// fallback when it cannot be listed).
[[nodiscard]] DirChoiceStart BeginDirChoice(ChooserVars& vars, const std::string& fallback);
// OK: the list's current directory, with a separator, is the result.
void ConfirmDirChoice(ChooserVars& vars, const std::string& listPath);
// Cancel, the close control or Escape.
void CancelDirChoice(ChooserVars& vars);

// ---- the main window's two picks -------------------------------------------

// The source pick starts on the last source directory and name.
void PrepareSourcePick(const MainState& state, ChooserVars& vars);
// True when a file was chosen; state then holds its path, directory and name.
[[nodiscard]] bool TakeSourcePick(MainState& state, const ChooserVars& vars);

// The destination pick starts on the destination.
void PrepareDestPick(const MainState& state, ChooserVars& vars);
// True when a directory was chosen; destDir then holds it with its separator.
[[nodiscard]] bool TakeDestPick(MainState& state, const ChooserVars& vars);

} // namespace harrowdeck
