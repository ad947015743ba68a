// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IoError.h"
#include "LineReader.h"
#include "MainState.h"

#include <optional>
#include <string>

namespace harrowdeck {

// The parameter file keeps the user's choices and the main window's position
// between runs: sections opened by a marker line ("PATHS", "POS", "DEF",
// "FOLDERS", and the older "SIZE" that is only read), one value a line, every
// line ended by CR LF, numbers written as " 25 " (a "-" in place of the
// leading space when negative). "FOLDERS" comes last, so that a program that
// knows only the first 13 lines passes over its two as lines it ignores.

// Reads sections over the values already in state, in whatever order and as
// often as they come. Stops at the first damage (the input ends inside a
// section or inside a line, a line is over 64 KiB, a number is damaged or out
// of range, the read fails) and keeps what was read up to there. Returns
// false when it stopped early.
bool ReadParams(ByteSource& source, MainState& state);

// Reads the file at path the same way; a file that cannot be opened, or that
// is no regular file, leaves state unchanged. Returns false when the file was
// missing or damaged.
bool LoadParamFile(const std::string& path, MainState& state);

// The 15 lines as they are saved.
[[nodiscard]] std::string FormatParams(const MainState& state);

// A number as the file holds it: " 25 ", "-5 ".
[[nodiscard]] std::string FormatParamNumber(long long value);

// Writes the file as one AtomicFile, so that a save that fails half-way
// leaves the old file as it was. Otherwise the save acts as rewriting the
// file in place would: a symlinked file stays a link and the file it names
// is written; a file that cannot be opened for writing is left as it is and
// the save fails; an old file keeps its permission bits and, where the
// system allows, its owner. A killed save's temporary file goes with the
// next save.
[[nodiscard]] std::optional<IoError> SaveParamFile(const std::string& path, const MainState& state);

} // namespace harrowdeck
