// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliRun.h"

#include "TestFiles.h"

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

#include <cstdlib>

namespace harrowdeck::test {

namespace {

#if defined(_WIN32)

// For cmd.exe, which std::system starts, and the program's own reading of
// its command line, where backslashes before a quote escape it: those at
// an argument's end are doubled. No argument of the tests holds a quote.
std::string Quote(const std::string& text)
{
    const std::size_t kept = text.find_last_not_of('\\') + 1;
    return "\"" + text + text.substr(kept) + "\"";
}

constexpr const char* kNoInput = "NUL";

// The program's output has Windows' line ends; the tests compare its lines.
std::string Lines(std::string text)
{
    std::string lines;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (!(text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n')) {
            lines.push_back(text[at]);
        }
    }
    return lines;
}

int ExitCode(int status)
{
    return status;
}

// cmd.exe drops the first and the last quote of a command line that starts
// with one; these two are what it drops.
std::string Command(const std::string& line)
{
    return "\"" + line + "\"";
}

#else

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

constexpr const char* kNoInput = "/dev/null";

std::string Lines(std::string text)
{
    return text;
}

int ExitCode(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Command(const std::string& line)
{
    return line;
}

#endif

} // namespace

CliResult RunCli(const std::vector<std::string>& args)
{
    TempDir io;
    std::string command = Quote(HARROWDECK_MAKE_PATH);
    for (const std::string& arg : args) {
        command += " " + Quote(arg);
    }
    command += " >" + Quote(io / "out") + " 2>" + Quote(io / "err") + " <" + kNoInput;
    const int status = std::system(Command(command).c_str());
    return {ExitCode(status), Lines(ReadFile(io / "out")), Lines(ReadFile(io / "err"))};
}

} // namespace harrowdeck::test
