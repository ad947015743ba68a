// SPDX-License-Identifier: GPL-3.0-or-later
// The command line read in-process, the same on every platform: what each
// accepted command line asks of the run, and how every other one stops.
#include "CommandLine.h"

#include "ArgumentVector.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace harrowdeck {
namespace {

struct Parsed {
    std::optional<int> exitCode;
    RunOptions options;
    std::string out;
    std::string err;
};

Parsed Parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "harrowdeck-make");
    ArgumentVector argv(std::move(args));
    Parsed parsed;
    std::ostringstream out;
    std::ostringstream err;
    parsed.exitCode = ParseCommandLine(argv.Count(), argv.Values(), parsed.options, out, err);
    parsed.out = out.str();
    parsed.err = err.str();
    return parsed;
}

TEST(CommandLine, AcceptedCommandLinesSetTheRunsOptions)
{
    const RunOptions defaults;
    const auto with = [&](auto change) {
        RunOptions options = defaults;
        options.sourcePath = "in.htm";
        options.destDir = "dest";
        change(options);
        return options;
    };
    const struct {
        const char* what;
        std::vector<std::string> args;
        RunOptions expected;
    } cases[] = {
        {"the defaults", {"in.htm", "dest"}, with([](RunOptions&) {})},
        {"percent, kept as typed for the run to bring into range",
         {"--percent", "0095", "in.htm", "dest"},
         with([](RunOptions& o) { o.procText = "0095"; })},
        {"percent with =", {"--percent=30", "in.htm", "dest"}, with([](RunOptions& o) { o.procText = "30"; })},
        {"pixels", {"--pixels", "7", "in.htm", "dest"}, with([](RunOptions& o) {
             o.sizeMode = SizeMode::Pixels;
             o.pixelText = "7";
         })},
        {"browse frame", {"--browse", "frame", "in.htm", "dest"}, with([](RunOptions&) {})},
        {"browse full", {"--browse", "full", "in.htm", "dest"}, with([](RunOptions& o) {
             o.browseMode = BrowseMode::FullWindow;
         })},
        {"browse new", {"in.htm", "--browse", "new", "dest"}, with([](RunOptions& o) {
             o.browseMode = BrowseMode::NewWindow;
         })},
        {"every folder", {"--folders", "all", "in.htm", "dest"}, with([](RunOptions& o) {
             o.folderMode = FolderMode::All;
         })},
        {"the classic folders", {"--folders", "top", "in.htm", "dest"}, with([](RunOptions&) {})},
        // A path from the drive's root on Windows, an option there to CLI11
        // unless told otherwise.
        {"paths that begin with a slash", {"/x/in.htm", "/x/dest"}, with([](RunOptions& o) {
             o.sourcePath = "/x/in.htm";
             o.destDir = "/x/dest";
         })},
        {"Windows paths, either separator", {"C:\\Bokm\xc3\xa4rken\\in.htm", "D:/M\xc3\xa5l/"}, with([](RunOptions& o) {
             o.sourcePath = "C:\\Bokm\xc3\xa4rken\\in.htm";
             o.destDir = "D:/M\xc3\xa5l/";
         })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Parsed parsed = Parse(c.args);
        EXPECT_EQ(parsed.exitCode, std::nullopt) << parsed.err;
        EXPECT_EQ(parsed.options.sourcePath, c.expected.sourcePath);
        EXPECT_EQ(parsed.options.destDir, c.expected.destDir);
        EXPECT_EQ(parsed.options.sizeMode, c.expected.sizeMode);
        EXPECT_EQ(parsed.options.procText, c.expected.procText);
        EXPECT_EQ(parsed.options.pixelText, c.expected.pixelText);
        EXPECT_EQ(parsed.options.browseMode, c.expected.browseMode);
        EXPECT_EQ(parsed.options.folderMode, c.expected.folderMode);
        EXPECT_EQ(parsed.out + parsed.err, "");
    }
}

TEST(CommandLine, OtherCommandLinesStopWithTheirExitCode)
{
    const std::string kTry = "Try 'harrowdeck-make --help' for more information.\n";
    const struct {
        const char* what;
        std::vector<std::string> args;
        int exitCode;
        std::string outStart; // what standard output begins with
        std::string errEnd;   // and what standard error ends with
    } cases[] = {
        {"version", {"--version"}, kExitSuccess, "harrowdeck-make (Harrowdeck) 1.1\n", ""},
        {"help", {"--help"}, kExitSuccess, "Turns a Gloamery bookmark export", ""},
        {"short help", {"-h", "in.htm", "dest"}, kExitSuccess, "Turns a Gloamery bookmark export", ""},
        {"nothing", {}, kExitUsage, "", kTry},
        {"no destination", {"in.htm"}, kExitUsage, "", kTry},
        {"a third path", {"in.htm", "dest", "more"}, kExitUsage, "", kTry},
        {"a word not offered", {"--browse", "sideways", "in.htm", "dest"}, kExitUsage, "", kTry},
        {"a width in words", {"--percent", "ten", "in.htm", "dest"}, kExitUsage, "", kTry},
        {"a negative width", {"--pixels", "-5", "in.htm", "dest"}, kExitUsage, "", kTry},
        {"both widths", {"--percent", "30", "--pixels", "200", "in.htm", "dest"}, kExitUsage, "", kTry},
        {"a folder mode not offered", {"--folders", "nested", "in.htm", "dest"}, kExitUsage, "", kTry},
        {"an unknown option", {"--bogus", "in.htm", "dest"}, kExitUsage, "", kTry},
        {"a Windows-style option", {"/help"}, kExitUsage, "", kTry},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Parsed parsed = Parse(c.args);
        EXPECT_EQ(parsed.exitCode, c.exitCode);
        EXPECT_TRUE(parsed.out.starts_with(c.outStart)) << parsed.out;
        EXPECT_EQ(parsed.out.empty(), c.outStart.empty()) << parsed.out;
        EXPECT_TRUE(parsed.err.ends_with(c.errEnd)) << parsed.err;
        if (c.exitCode == kExitUsage) {
            EXPECT_TRUE(parsed.err.starts_with("harrowdeck-make: ")) << parsed.err;
        } else {
            EXPECT_EQ(parsed.err, "");
        }
    }
}

} // namespace
} // namespace harrowdeck
