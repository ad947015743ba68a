// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace harrowdeck::test {

// What a run of the built harrowdeck-make gave back.
struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the built harrowdeck-make with the arguments, capturing both streams.
[[nodiscard]] CliResult RunCli(const std::vector<std::string>& args);

} // namespace harrowdeck::test
