// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileProbe.h"

#include <string>

namespace harrowdeck {

inline constexpr const char* kParamFileName = "Harrowdeck.ini";
inline constexpr const char* kTempFileName = "Prog.tmp";

// The program's files, fixed once at start-up.
struct AppPaths {
    std::string appDir;    // the program's directory, with a trailing '/'
    std::string tempFile;  // appDir + "Prog.tmp", removed at shutdown
    std::string paramFile; // where the choices are kept between runs
};

// What is known about the program's directory when the paths are chosen.
struct ProgramDirFacts {
    bool writable = false;    // a file can be created there
    bool holdsParams = false; // a parameter file is already there
};

// True for the directories a package installs programs into. Nothing is
// written there, not even by an administrator who could.
[[nodiscard]] bool IsSystemProgramDir(const std::string& dir);

// The parameter file sits beside the program when the program runs from a
// directory of its own (a build tree, an unpacked copy) and in the per-user
// configuration directory when it is installed.
[[nodiscard]] AppPaths MakeAppPaths(std::string appDir, const std::string& configDir, const ProgramDirFacts& facts);

// Makes the parameter file's directory when it is missing, so that a first
// save into the per-user configuration directory can succeed.
void EnsureParamDirExists(const AppPaths& paths);

} // namespace harrowdeck
