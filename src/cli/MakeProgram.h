// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace harrowdeck {

// harrowdeck-make, from its arguments (in UTF-8) to its exit code: the
// command line, the run and its report. Each platform's main calls it.
[[nodiscard]] int RunMakeProgram(int argc, char** argv);

// The same, with standard output left open and out of memory thrown as
// std::bad_alloc: for a caller that makes many runs in one process.
[[nodiscard]] int MakeFromArguments(int argc, char** argv);

// Says on standard error that memory ran out, without allocating.
void ReportOutOfMemory() noexcept;

} // namespace harrowdeck
