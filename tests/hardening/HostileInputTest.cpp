// SPDX-License-Identifier: GPL-3.0-or-later
// Inputs no exporter writes: garbage, NUL bytes, odd line ends, empty files,
// and folder names that look like paths. Each converts or fails with its
// message, and nothing is ever written outside the destination.
#include "Invariants.h"
#include "Messages.h"
#include "PageModel.h"
#include "PageText.h"
#include "RunFixture.h"

#include <unistd.h>

#include <filesystem>
#include <random>

namespace harrowdeck {
namespace {

using test::kHeaderLine;
using test::ReadFile;
using test::Snapshot;
using test::TakeSnapshot;

using HostileTest = test::RunFixture;

// The lines of the worked example, without their line ends.
const std::vector<std::string> kExampleLines = {
    "<!DOCTYPE FIRSTFLOOR>",
    "<DL><p>",
    "<DT><A HREF=\"loose.htm\">Loose</A>",
    "<DT><H3 ADD_DATE=\"1\">News</H3>",
    "<DL><p>",
    "<DT><A HREF=\"news/a.htm\" ADD_DATE=\"1\" LAST_VISIT=\"2\">A &amp; B</A>",
    "<DT><A HREF=\"news/b.htm\">B</A>",
    "</DL><p>",
    "<DT><H3>Empty</H3>",
    "<DL><p>",
    "</DL><p>",
    "<DT><H3>Tools</H3>",
    "<DT><A HREF=\"tools/c.htm\">C</A>",
    "</DL><p>",
    "</DL><p>",
};

std::string Joined(const std::vector<std::string>& lines, const std::string& end)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + end;
    }
    return text;
}

TEST_F(HostileTest, EveryKindOfLineEndGivesTheSamePages)
{
    Source(Joined(kExampleLines, "\r\n"));
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    const Snapshot expected = TakeSnapshot(destDir);
    ASSERT_EQ(expected.size(), 4u);

    std::string mixed;
    for (std::size_t i = 0; i < kExampleLines.size(); ++i) {
        mixed += kExampleLines[i] + (i % 3 == 0 ? "\r" : i % 3 == 1 ? "\n" : "\r\n");
    }
    for (const std::string& body : {Joined(kExampleLines, "\r"), Joined(kExampleLines, "\n"), mixed}) {
        std::filesystem::remove_all(destDir);
        std::filesystem::create_directory(destDir);
        Source(body);
        EXPECT_EQ(Run().outcome, RunOutcome::Done);
        EXPECT_EQ(TakeSnapshot(destDir), expected);
    }
}

TEST_F(HostileTest, NulBytesAreCopiedThroughLikeAnyOther)
{
    const std::string name("A\0B", 3);
    const std::string address("x\0y.htm", 7);
    const std::string text("t\0", 2);
    Source(std::string(kHeaderLine) + "<DT><H3>" + name + "</H3>\n<DT><A HREF=\"" + address + "\">" + text +
           "</A>\n</DL><p>\n");
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    EXPECT_EQ(ReadFile(destDir + "1.html"),
              test::LinkPageBytes(name, {"<A HREF=\"" + address + "\">" + text + "</A><BR>"}));
    EXPECT_NE(ReadFile(destDir + "dir.html").find(">" + name + "</A><BR>"), std::string::npos);
}

TEST_F(HostileTest, EmptyOrHeaderOnlyFilesEndWithTheirMessage)
{
    struct Case {
        std::string body;
        RunOutcome outcome;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"", RunOutcome::NotAnExport, messages::kNotAnExport},
        {"\n", RunOutcome::NotAnExport, messages::kNotAnExport},
        {"<!DOCTYPE FIRSTFLOO", RunOutcome::NotAnExport, messages::kNotAnExport},
        {std::string("\0<!DOCTYPE FIRSTFLOOR>\n", 23), RunOutcome::NotAnExport, messages::kNotAnExport},
        {"<!DOCTYPE FIRSTFLOOR", RunOutcome::NothingToWrite, messages::kNothingToWrite},
        {"<!DOCTYPE FIRSTFLOOR>\r\n", RunOutcome::NothingToWrite, messages::kNothingToWrite},
        {"<!DOCTYPE FIRSTFLOOR>\r\n<DT><H3>Open</H3>", RunOutcome::NothingToWrite, messages::kNothingToWrite},
        // A first line over the length cap is judged by its start.
        {"<!DOCTYPE FIRSTFLOOR" + std::string(2 << 20, 'x') + "\n", RunOutcome::NothingToWrite,
         messages::kNothingToWrite},
        {"\xEF\xBB\xBF<!DOCTYPE FIRSTFLOOR" + std::string(1 << 20, 'x'), RunOutcome::NothingToWrite,
         messages::kNothingToWrite},
        {"<!DOCTYPE FIRSTFLOOX" + std::string(2 << 20, 'x') + "\n", RunOutcome::NotAnExport, messages::kNotAnExport},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.body));
        Source(c.body);
        EXPECT_EQ(Run().outcome, c.outcome);
        EXPECT_EQ(ui.OnlyMessage(), c.message);
        EXPECT_TRUE(TakeSnapshot(destDir).empty());
    }
}

TEST_F(HostileTest, BinaryGarbageEitherConvertsOrIsRefused)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // Half of them behind a valid header, so the reader sees the garbage.
        std::string body = round % 2 == 0 ? kHeaderLine : "";
        for (int i = 0; i < 20000; ++i) {
            body.push_back(static_cast<char>(byte(random)));
        }
        // Some garbage with the marks the reader looks for sprinkled in.
        if (round % 4 == 0) {
            for (std::size_t at = 100; at + 200 < body.size(); at += 700) {
                body.insert(at, round % 8 == 0 ? "\n<DT><H3>G</H3>\n<DT><A HREF=\"g\">g</A>\n" : "\n</DL><p>\n");
            }
        }
        std::filesystem::remove_all(destDir);
        std::filesystem::create_directory(destDir);
        Source(body);
        const RunReport report = Run();
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_TRUE(report.outcome == RunOutcome::Done || report.outcome == RunOutcome::NotAnExport ||
                    report.outcome == RunOutcome::NothingToWrite)
            << ui.messages[0].text;
        const test::PageCheck check = test::CheckPages(destDir, body, TargetAttrFor(options.browseMode));
        EXPECT_TRUE(check.faults.empty()) << ::testing::PrintToString(check.faults);
    }
}

TEST_F(HostileTest, FolderNamesThatLookLikePathsStayInsideTheDestination)
{
    const std::vector<std::string> names = {
        "../escape",
        "../../../../../../tmp/harrowdeck-escape",
        "/etc/passwd",
        "..\\..\\windows\\win.ini",
        std::string("nul\0byte", 8),
        "2.html",
        "dir.html",
        "Harrowdeck.html",
        std::string(200000, 'n'),
        "%2e%2e%2f",
        "",
    };
    std::string body = kHeaderLine;
    for (const std::string& name : names) {
        body += "<DT><H3>" + name + "</H3>\n<DT><A HREF=\"../" + name + "\">../" + name + "</A>\n</DL><p>\n";
    }
    Source(body);
    // A link planted where page 1 goes must be replaced, not followed.
    const std::string outside = work / "outside.txt";
    test::WriteFile(outside, "untouched");
    ASSERT_EQ(::symlink(outside.c_str(), (destDir + "1.html").c_str()), 0);

    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    EXPECT_EQ(ReadFile(outside), "untouched");
    EXPECT_FALSE(std::filesystem::is_symlink(destDir + "1.html"));
    std::vector<std::string> beside;
    for (const auto& entry : std::filesystem::directory_iterator(work.Path())) {
        beside.push_back(entry.path().filename().string());
    }
    std::sort(beside.begin(), beside.end());
    EXPECT_EQ(beside, (std::vector<std::string>{"dest", "export.htm", "outside.txt"}));
    EXPECT_FALSE(test::PathExists("/tmp/harrowdeck-escape"));

    const test::PageCheck check = test::CheckPages(destDir, body, TargetAttrFor(options.browseMode));
    EXPECT_TRUE(check.faults.empty()) << ::testing::PrintToString(check.faults);
    EXPECT_EQ(check.pages, names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_NE(ReadFile(destDir + std::to_string(i + 1) + ".html").find("<H3>" + names[i] + "</H3>\r\n"),
                  std::string::npos)
            << "name " << i + 1 << " was not copied through unchanged";
    }
}

TEST_F(HostileTest, AnExportStoredUnderAPageNameIsStillReadWhole)
{
    // The pages replace files by renaming, so the export, open under the
    // name 1.html, is read to its end from the file it was.
    sourcePath = destDir + "1.html";
    options.sourcePath = sourcePath;
    Source(kHeaderLine + test::Folders(1, "First") + test::BigFolder("Second", 5000));
    const RunReport report = Run();
    EXPECT_EQ(report.outcome, RunOutcome::Done);
    EXPECT_EQ(report.counts.pagesWritten, 2u);
    EXPECT_EQ(report.counts.linksWritten, 5001u);
}

} // namespace
} // namespace harrowdeck
