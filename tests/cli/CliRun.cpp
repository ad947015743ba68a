// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliRun.h"

#include "TestFiles.h"

#include <sys/wait.h>

#include <cstdlib>

namespace harrowdeck::test {

namespace {

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

} // namespace

CliResult RunCli(const std::vector<std::string>& args)
{
    TempDir io;
    std::string command = Quote(HARROWDECK_MAKE_PATH);
    for (const std::string& arg : args) {
        command += " " + Quote(arg);
    }
    command += " >" + Quote(io / "out") + " 2>" + Quote(io / "err") + " </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(io / "out"), ReadFile(io / "err")};
}

} // namespace harrowdeck::test
