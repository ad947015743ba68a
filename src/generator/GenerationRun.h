// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ExportReader.h"
#include "RunOptions.h"
#include "UserInterface.h"

#include <optional>
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

// What a run did, for the window's fields and for callers that summarise it
// (the command-line tool).
struct RunReport {
    RunOutcome outcome = RunOutcome::SourceMissing;
    std::optional<RunDecisions> decided; // from the question on
    ReadCounts counts;
};

// The click handler of "Make Harrowdeck": checks the source and destination,
// asks once, normalises the widths, reads the export while writing one link
// page per folder, then writes dir.html and Harrowdeck.html and reports.
// All or nothing: the pages replace the previous run's only once every one
// of them is complete, so a run that fails or is cancelled leaves the
// destination as it was.
[[nodiscard]] RunReport MakeFrameset(const RunOptions& options, UserInterface& ui);

} // namespace harrowdeck
