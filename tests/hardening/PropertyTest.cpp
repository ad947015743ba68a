// SPDX-License-Identifier: GPL-3.0-or-later
// Random exports, built together with what the run must make of them, and
// random damage to them, after which the invariants must still hold.
#include "ExportReader.h"
#include "Invariants.h"
#include "Messages.h"
#include "RandomExport.h"
#include "ReadPages.h"
#include "RunFixture.h"

#include <filesystem>

namespace harrowdeck {
namespace {

using test::MakeRandomExport;
using test::RandomExport;
using test::ReadFile;
using test::TempDir;

constexpr int kExports = 400;

std::string TargetFor(int browseMode)
{
    return browseMode == kBrowseFrame ? "" : browseMode == kBrowseFullWindow ? " TARGET=\"_top\"" : " TARGET=\"_blank\"";
}

// A run of the generation on `bytes` into a fresh destination.
struct Outcome {
    TempDir dir;
    RunReport report;
    test::ScriptedUi ui;
    std::string targetAttr;
};

void RunOn(const std::string& bytes, int browseMode, Outcome& outcome)
{
    test::WriteFile(outcome.dir / "export.htm", bytes);
    std::filesystem::create_directory(outcome.dir / "dest");
    MainState state;
    state.sourcePath = outcome.dir / "export.htm";
    state.destDir = outcome.dir / "dest/";
    state.browseMode = browseMode;
    outcome.report = MakeFrameset(state, outcome.ui);
    outcome.targetAttr = state.targetAttr;
}

void ExpectInvariants(const Outcome& outcome, const std::string& bytes)
{
    const test::PageCheck check = test::CheckPages(outcome.dir / "dest/", bytes, outcome.targetAttr);
    EXPECT_TRUE(check.faults.empty()) << ::testing::PrintToString(check.faults);
    EXPECT_EQ(check.links, outcome.report.linksWritten);
}

TEST(RandomExports, GiveExactlyThePagesTheyWereBuiltFor)
{
    for (int seed = 1; seed <= kExports; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(static_cast<unsigned>(seed));
        const int browseMode = seed % 3 + 1;
        const RandomExport made = MakeRandomExport(random, TargetFor(browseMode));
        Outcome outcome;
        RunOn(made.bytes, browseMode, outcome);

        ExpectInvariants(outcome, made.bytes);
        EXPECT_EQ(outcome.report.skippedLines, made.skippedLines);
        if (made.pages.empty()) {
            EXPECT_EQ(outcome.report.outcome, RunOutcome::NothingToWrite);
            EXPECT_EQ(outcome.ui.OnlyMessage(), messages::kNothingToWrite);
            continue;
        }
        EXPECT_EQ(outcome.report.outcome, RunOutcome::Done);
        EXPECT_EQ(outcome.ui.OnlyMessage(), messages::Completion(made.skippedLines, made.leftOutLinks));
        ASSERT_EQ(outcome.report.pagesWritten, made.pages.size());
        std::string index;
        for (std::size_t i = 0; i < made.pages.size(); ++i) {
            const std::string name = std::to_string(i + 1) + ".html";
            EXPECT_EQ(ReadFile(outcome.dir / ("dest/" + name)), test::ExpectedLinkPage(made.pages[i])) << name;
            index += "<A HREF=\"" + name + "\" TARGET=\"lankar\">" + made.pages[i].name + "</A><BR>\r\n";
        }
        EXPECT_EQ(ReadFile(outcome.dir / "dest/dir.html"),
                  "<HTML>\r\n<BODY BGCOLOR=\"#FFFFFF\">\r\n<H3>Harrowdeck</H3>\r\n" + index + "</BODY>\r\n</HTML>\r\n");
    }
}

TEST(RandomExports, DamagedExportsStillKeepTheInvariants)
{
    for (int seed = 1; seed <= kExports; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(static_cast<unsigned>(seed) + 100000u);
        const int browseMode = seed % 3 + 1;
        std::string bytes = MakeRandomExport(random, TargetFor(browseMode)).bytes;
        test::Mutate(bytes, random);
        Outcome outcome;
        RunOn(bytes, browseMode, outcome);

        ExpectInvariants(outcome, bytes);
        ASSERT_EQ(outcome.ui.messages.size(), 1u);
        switch (outcome.report.outcome) {
        case RunOutcome::Done:
            EXPECT_EQ(outcome.ui.messages[0].text, messages::Completion(outcome.report.skippedLines, outcome.report.leftOutLinks));
            break;
        case RunOutcome::NotAnExport:
            EXPECT_EQ(outcome.ui.messages[0].text, messages::kNotAnExport);
            break;
        case RunOutcome::NothingToWrite:
            EXPECT_EQ(outcome.ui.messages[0].text, messages::kNothingToWrite);
            break;
        default:
            ADD_FAILURE() << "unexpected outcome " << static_cast<int>(outcome.report.outcome) << ": "
                          << outcome.ui.messages[0].text;
        }
    }
}

// Hands out the bytes in pieces of random size, as a pipe or a slow disk
// might.
class ChunkedSource final : public ByteSource {
public:
    ChunkedSource(std::string_view bytes, std::mt19937& random) : bytes_(bytes), random_(random) {}

    long Read(char* buffer, std::size_t size) override
    {
        const std::size_t most = std::min({size, bytes_.size(), std::uniform_int_distribution<std::size_t>(1, 70)(random_)});
        std::copy_n(bytes_.data(), most, buffer);
        bytes_.remove_prefix(most);
        return static_cast<long>(most);
    }

private:
    std::string_view bytes_;
    std::mt19937& random_;
};

TEST(RandomExports, ReadInPiecesTheyGiveTheSamePages)
{
    for (int seed = 1; seed <= kExports / 4; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(static_cast<unsigned>(seed) + 200000u);
        const RandomExport made = MakeRandomExport(random, "");
        TempDir whole;
        TempDir pieces;
        MemorySource wholeSource(made.bytes);
        LineReader wholeInput(wholeSource, 64);
        ChunkedSource pieceSource(made.bytes, random);
        LineReader pieceInput(pieceSource, 64);
        const test::PagesRead a = test::ReadPages(wholeInput, whole.Path(), "", "<BODY>");
        const test::PagesRead b = test::ReadPages(pieceInput, pieces.Path(), "", "<BODY>");
        EXPECT_EQ(a.folderNames, b.folderNames);
        EXPECT_EQ(a.skippedLines, b.skippedLines);
        EXPECT_EQ(test::TakeSnapshot(whole.Path()), test::TakeSnapshot(pieces.Path()));
    }
}

} // namespace
} // namespace harrowdeck
