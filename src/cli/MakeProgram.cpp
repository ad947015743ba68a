// SPDX-License-Identifier: GPL-3.0-or-later
#include "MakeProgram.h"

#include "CommandLine.h"
#include "ConsoleUi.h"
#include "EndingSignals.h"
#include "FileProbe.h"
#include "GenerationRun.h"
#include "Interruption.h"
#include "Messages.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <sstream>

namespace {

constexpr const char* kPrefix = "harrowdeck-make: ";

// Writes each line of text to out, each prefixed when a prefix is given.
void PrintLines(std::ostream& out, const std::string& text, const char* prefix)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        out << prefix << line << '\n';
    }
}

std::string Count(std::uint64_t count, const std::string& singular, const std::string& plural)
{
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

std::string Summary(const harrowdeck::RunReport& report)
{
    std::string summary = Count(report.counts.pagesWritten, "link page", "link pages") + ", " +
                          Count(report.counts.linksWritten, "link", "links") + ", " +
                          Count(report.counts.skippedLines, "skipped line", "skipped lines");
    if (report.counts.leftOutLinks > 0) {
        summary += "; " + harrowdeck::messages::LeftOutLinks(report.counts.leftOutLinks) + " " +
                   harrowdeck::messages::kKeepLeftOutInCli;
    }
    return summary;
}

// A message that could not be written is a failure, as with any tool
// whose output goes to a full disk or a closed pipe (SIGPIPE is ignored, so
// a pipe that nobody reads is EPIPE here, not a silent death).
int CloseStandardOutput(int exitCode)
{
    bool failed = false;
    int error = 0;
    // The first failure's errno says why; later steps only see its traces.
    const auto note = [&failed, &error](bool stepFailed) {
        if (stepFailed && !failed) {
            error = errno;
        }
        failed = failed || stepFailed;
        errno = 0;
    };
    errno = 0;
    std::cout.flush();
    note(!std::cout);
    note(std::fflush(stdout) != 0 || std::ferror(stdout) != 0);
    note(std::fclose(stdout) != 0);
    if (failed) {
        std::cerr << kPrefix << "write error: " << (error != 0 ? std::strerror(error) : "Input/output error") << '\n';
        return harrowdeck::kExitFailure;
    }
    return exitCode;
}

int Convert(const harrowdeck::RunOptions& options)
{
    harrowdeck::CatchInterruptions();
    harrowdeck::ConsoleUi ui;
    const harrowdeck::RunReport report = harrowdeck::MakeFrameset(options, ui);
    // A signal that came once the pages were being renamed was too late to
    // stop the run; the exit status says what the destination holds.
    const harrowdeck::EndingSignal* ending = harrowdeck::InterruptingSignal();
    if (ending != nullptr && report.outcome != harrowdeck::RunOutcome::Done) {
        std::cerr << kPrefix << "interrupted\n";
        harrowdeck::EndBySignal(*ending);
    }
    if (report.outcome == harrowdeck::RunOutcome::Done) {
        try {
            for (const std::string& message : ui.Messages()) {
                PrintLines(std::cout, message, "");
            }
            std::cout << Summary(report) << '\n';
        } catch (const std::bad_alloc&) {
            // The pages are in place; only the report of them is cut short.
            harrowdeck::ReportOutOfMemory();
        }
        return harrowdeck::kExitSuccess;
    }
    for (const std::string& message : ui.Messages()) {
        PrintLines(std::cerr, message, kPrefix);
    }
    return harrowdeck::kExitFailure;
}

} // namespace

void harrowdeck::ReportOutOfMemory() noexcept
{
    // Said without allocating: there is no memory left to say it with.
    std::fputs(kPrefix, stderr);
    std::fputs("out of memory\n", stderr);
}

int harrowdeck::MakeFromArguments(int argc, char** argv)
{
    harrowdeck::IgnoreWriteSignals();
    harrowdeck::RunOptions options;
    if (const auto exitCode = harrowdeck::ParseCommandLine(argc, argv, options, std::cout, std::cerr)) {
        return *exitCode;
    }
    // Shown in messages as the platform's users write paths; on Windows,
    // '/' is taken as '\'.
    options.sourcePath = harrowdeck::NativeSeparators(std::move(options.sourcePath));
    options.destDir = harrowdeck::NativeSeparators(std::move(options.destDir));
    return Convert(options);
}

int harrowdeck::RunMakeProgram(int argc, char** argv)
try {
    return CloseStandardOutput(MakeFromArguments(argc, argv));
} catch (const std::bad_alloc&) {
    // A run gives up its files as it unwinds: the destination holds the
    // previous set.
    harrowdeck::ReportOutOfMemory();
    return harrowdeck::kExitFailure;
}
