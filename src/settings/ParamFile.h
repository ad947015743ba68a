// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MainState.h"

#include <istream>
#include <string>

namespace harrowdeck {

// The parameter file keeps the user's choices and the main window's position
// between runs: sections opened by a marker line ("PATHS", "POS", "DEF", and
// the older "SIZE" that is only read), one value a line, every line ended by
// CR LF, numbers written as " 25 " (a "-" in place of the leading space when
// negative).

// Reads sections over the values already in state, in whatever order and as
// often as they come. Stops at the first failure (the input ends inside a
// section, a number is damaged or out of range) and keeps what was read up
// to there. Returns false when it stopped early.
bool ReadParams(std::istream& in, MainState& state);

// Reads the file at path the same way; a file that cannot be opened leaves
// state unchanged. Returns false when the file was missing or damaged.
bool LoadParamFile(const std::string& path, MainState& state);

// The 13 lines as they are saved.
[[nodiscard]] std::string FormatParams(const MainState& state);

// A number as the file holds it: " 25 ", "-5 ".
[[nodiscard]] std::string FormatParamNumber(long long value);

struct SaveResult {
    bool ok = false;
    std::string error; // what failed and why, with the path
};

// Writes the file through a fresh temporary file in the same directory that
// then replaces the old one, so that a save that fails half-way leaves the
// old file as it was.
[[nodiscard]] SaveResult SaveParamFile(const std::string& path, const MainState& state);

} // namespace harrowdeck
