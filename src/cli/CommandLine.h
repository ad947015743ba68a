// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RunOptions.h"

#include <optional>
#include <ostream>

namespace harrowdeck {

// Exit codes of harrowdeck-make.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Reads the command line into the options of a run. Returns the exit
// code instead when the program should stop: after --help or --version
// (printed to out) or on a usage error (printed to err).
[[nodiscard]] std::optional<int> ParseCommandLine(int argc, char** argv, RunOptions& options, std::ostream& out,
                                                  std::ostream& err);

} // namespace harrowdeck
