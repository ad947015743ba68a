// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MainState.h"
#include "UserInterface.h"

#include <cstddef>
#include <string>

namespace harrowdeck {

// Where a generation run ended.
enum class RunOutcome {
    SourceMissing,  // the source file cannot be opened for reading
    DestMissing,    // the destination is not an existing directory
    Declined,       // the user answered No
    NotAnExport,    // the first line is not an export header
    ReadFailed,     // the source could not be read to its end
    WriteFailed,    // a page could not be written
    Cancelled,      // the user cancelled while the export was read
    NothingToWrite, // no folder held a link
    Done,           // every page was written
};

// What a run did, for callers that summarise it (the command-line tool).
struct RunReport {
    RunOutcome outcome = RunOutcome::SourceMissing;
    std::size_t pagesWritten = 0; // link pages
    std::size_t linksWritten = 0;
    std::size_t skippedLines = 0; // lines that could not be cut
};

// The click handler of "Make Harrowdeck": checks the source and destination,
// asks once, normalises the widths, reads the export while writing one link
// page per folder, then writes dir.html and Harrowdeck.html and reports.
RunReport MakeFrameset(MainState& state, UserInterface& ui);

} // namespace harrowdeck
