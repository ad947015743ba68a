// SPDX-License-Identifier: GPL-3.0-or-later
// harrowdeck-make: the generation run without a window.
#include "CommandLine.h"
#include "ConsoleUi.h"
#include "GenerationRun.h"

#include <iostream>
#include <sstream>

namespace {

// Writes each line of text to out, each prefixed when a prefix is given.
void PrintLines(std::ostream& out, const std::string& text, const char* prefix)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        out << prefix << line << '\n';
    }
}

std::string Count(std::size_t count, const std::string& singular, const std::string& plural)
{
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

std::string Summary(const harrowdeck::RunReport& report)
{
    return Count(report.pagesWritten, "link page", "link pages") + ", " +
           Count(report.linksWritten, "link", "links") + ", " +
           Count(report.skippedLines, "skipped line", "skipped lines");
}

} // namespace

int main(int argc, char** argv)
{
    harrowdeck::MainState state;
    if (const auto exitCode = harrowdeck::ParseCommandLine(argc, argv, state, std::cout, std::cerr)) {
        return *exitCode;
    }
    harrowdeck::ConsoleUi ui;
    const harrowdeck::RunReport report = harrowdeck::MakeFrameset(state, ui);
    if (report.outcome == harrowdeck::RunOutcome::Done) {
        for (const std::string& message : ui.Messages()) {
            PrintLines(std::cout, message, "");
        }
        std::cout << Summary(report) << '\n';
        return harrowdeck::kExitSuccess;
    }
    for (const std::string& message : ui.Messages()) {
        PrintLines(std::cerr, message, "harrowdeck-make: ");
    }
    return harrowdeck::kExitFailure;
}
