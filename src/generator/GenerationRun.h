// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MainState.h"
#include "UserInterface.h"

#include <cstdint>
#include <string>

namespace harrowdeck {

// Where a generation run ended.
enum class RunOutcome {
    SourceMissing,  // the source file cannot be opened for reading
    DestMissing,    // the destination is not an existing directory
    Declined,       // the user answered No
    NotAnExport,    // the first line is not an export header
    DestBusy,       // another run is writing into the destination
    ReadFailed,     // the source could not be read to its end, or changed
    WriteFailed,    // a page could not be written
    OutOfMemory,    // the run ran out of memory
    Cancelled,      // the user cancelled while the export was read
    NothingToWrite, // no folder held a link
    Done,           // every page was written
};

// What a run did, for callers that summarise it (the command-line tool).
struct RunReport {
    RunOutcome outcome = RunOutcome::SourceMissing;
    std::uint64_t pagesWritten = 0; // link pages
    std::uint64_t linksWritten = 0;
    std::uint64_t skippedLines = 0; // lines that could not be cut
    std::uint64_t leftOutLinks = 0; // links outside every folder, not kept
};

// The click handler of "Make Harrowdeck": checks the source and destination,
// asks once, normalises the widths, reads the export while writing one link
// page per folder, then writes dir.html and Harrowdeck.html and reports.
// All or nothing: the pages replace the previous run's only once every one
// of them is complete, so a run that fails or is cancelled leaves the
// destination as it was.
RunReport MakeFrameset(MainState& state, UserInterface& ui);

} // namespace harrowdeck
