// SPDX-License-Identifier: GPL-3.0-or-later
// Random exports, built together with what the run must make of them, and
// random damage to them, after which the invariants must still hold.
#include "ExportReader.h"
#include "Invariants.h"
#include "LineClass.h"
#include "Messages.h"
#include "PageModel.h"
#include "PageText.h"
#include "RandomExport.h"
#include "ReadPages.h"
#include "RunFixture.h"

#include <algorithm>
#include <filesystem>

namespace harrowdeck {
namespace {

using test::MakeRandomExport;
using test::RandomExport;
using test::ReadFile;
using test::TempDir;

constexpr int kExports = 400;

constexpr BrowseMode kBrowseModes[] = {BrowseMode::Frame, BrowseMode::FullWindow, BrowseMode::NewWindow};

std::string TargetFor(BrowseMode browseMode)
{
    return browseMode == BrowseMode::Frame        ? ""
           : browseMode == BrowseMode::FullWindow ? " TARGET=\"_top\""
                                                  : " TARGET=\"_blank\"";
}

// A run of the generation on `bytes` into a fresh destination.
struct Outcome {
    TempDir dir;
    RunReport report;
    test::ScriptedUi ui;
    std::string targetAttr;
};

void RunOn(const std::string& bytes, BrowseMode browseMode, Outcome& outcome, FolderMode folderMode = FolderMode::Top)
{
    test::WriteFile(outcome.dir / "export.htm", bytes);
    std::filesystem::create_directory(outcome.dir / "dest");
    RunOptions options;
    options.sourcePath = outcome.dir / "export.htm";
    options.destDir = outcome.dir / "dest/";
    options.browseMode = browseMode;
    options.folderMode = folderMode;
    outcome.report = MakeFrameset(options, outcome.ui);
    outcome.targetAttr = outcome.report.decided ? outcome.report.decided->targetAttr : "";
}

void ExpectInvariants(const Outcome& outcome, const std::string& bytes)
{
    const test::PageCheck check = test::CheckPages(outcome.dir / "dest/", bytes, outcome.targetAttr);
    EXPECT_TRUE(check.faults.empty()) << ::testing::PrintToString(check.faults);
    EXPECT_EQ(check.links, outcome.report.counts.linksWritten);
}

TEST(RandomExports, GiveExactlyThePagesTheyWereBuiltFor)
{
    for (int seed = 1; seed <= kExports; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(static_cast<unsigned>(seed));
        const BrowseMode browseMode = kBrowseModes[seed % 3];
        const RandomExport made = MakeRandomExport(random, TargetFor(browseMode));
        Outcome outcome;
        RunOn(made.bytes, browseMode, outcome);

        ExpectInvariants(outcome, made.bytes);
        EXPECT_EQ(outcome.report.counts.skippedLines, made.skippedLines);
        if (made.pages.empty()) {
            EXPECT_EQ(outcome.report.outcome, RunOutcome::NothingToWrite);
            EXPECT_EQ(outcome.ui.OnlyMessage(),
                      messages::NothingToWrite(made.leftOutLinks, outcome.ui.LeftOutRemedy(made.leftOutLinks)));
            continue;
        }
        EXPECT_EQ(outcome.report.outcome, RunOutcome::Done);
        EXPECT_EQ(outcome.ui.OnlyMessage(), messages::Completion(made.skippedLines, made.leftOutLinks));
        ASSERT_EQ(outcome.report.counts.pagesWritten, made.pages.size());
        std::vector<std::string> index;
        for (std::size_t i = 0; i < made.pages.size(); ++i) {
            const std::string name = std::to_string(i + 1) + ".html";
            EXPECT_EQ(ReadFile(outcome.dir / ("dest/" + name)), test::ExpectedLinkPage(made.pages[i])) << name;
            index.push_back("<A HREF=\"" + name + "\" TARGET=\"lankar\">" + made.pages[i].name + "</A><BR>");
        }
        EXPECT_EQ(ReadFile(outcome.dir / "dest/dir.html"), test::IndexPageBytes(index));
    }
}

TEST(RandomExports, DamagedExportsStillKeepTheInvariants)
{
    for (int seed = 1; seed <= kExports; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(static_cast<unsigned>(seed) + 100000u);
        const BrowseMode browseMode = kBrowseModes[seed % 3];
        std::string bytes = MakeRandomExport(random, TargetFor(browseMode)).bytes;
        test::Mutate(bytes, random);
        Outcome outcome;
        RunOn(bytes, browseMode, outcome);

        ExpectInvariants(outcome, bytes);
        ASSERT_EQ(outcome.ui.messages.size(), 1u);
        switch (outcome.report.outcome) {
        case RunOutcome::Done:
            EXPECT_EQ(outcome.ui.messages[0].text,
                      messages::Completion(outcome.report.counts.skippedLines, outcome.report.counts.leftOutLinks));
            break;
        case RunOutcome::NotAnExport:
            EXPECT_EQ(outcome.ui.messages[0].text, messages::kNotAnExport);
            break;
        case RunOutcome::NothingToWrite:
            EXPECT_EQ(outcome.ui.messages[0].text,
                      messages::NothingToWrite(outcome.report.counts.leftOutLinks,
                                               outcome.ui.LeftOutRemedy(outcome.report.counts.leftOutLinks)));
            break;
        default:
            ADD_FAILURE() << "unexpected outcome " << static_cast<int>(outcome.report.outcome) << ": "
                          << outcome.ui.messages[0].text;
        }
    }
}

// The link lines of page n.
std::vector<std::string> PageLinks(const Outcome& outcome, std::uint64_t n)
{
    const std::string page = ReadFile(outcome.dir / ("dest/" + std::to_string(n) + ".html"));
    const std::optional<test::PageParts> parts = test::SplitPage(test::SplitLines(page));
    if (!parts) {
        return {};
    }
    return std::vector<std::string>(parts->entries.begin(), parts->entries.end());
}

// With every folder the export is read as a browser reads it, so random
// text with "<", ">" and quotes in it makes tags of its own, and which
// links and folders such bytes hold is the reader's table of cases to say,
// not the line rules. What must hold for any export is checked here: the
// invariants of a set, no link left out, an orderly end, and link lines of
// the page form. True when the tree went as deep as the index indents.
bool ExpectEveryFolderKeepsTheInvariants(const std::string& bytes, BrowseMode browseMode)
{
    Outcome outcome;
    RunOn(bytes, browseMode, outcome, FolderMode::All);
    test::PageCheck check = test::CheckPages(outcome.dir / "dest/", bytes, outcome.targetAttr);
    // The pages follow the folders, not the input lines.
    std::erase_if(check.faults,
                  [](const std::string& fault) { return fault.ends_with("comes from no unused input line"); });
    EXPECT_TRUE(check.faults.empty()) << ::testing::PrintToString(check.faults);
    EXPECT_EQ(outcome.report.counts.leftOutLinks, 0u);
    if (outcome.report.outcome != RunOutcome::Done) {
        EXPECT_TRUE(outcome.report.outcome == RunOutcome::NothingToWrite ||
                    outcome.report.outcome == RunOutcome::NotAnExport)
            << static_cast<int>(outcome.report.outcome) << ": " << outcome.ui.OnlyMessage();
        return false;
    }
    EXPECT_EQ(check.links, outcome.report.counts.linksWritten);
    for (std::uint64_t n = 1; n <= outcome.report.counts.pagesWritten; ++n) {
        for (const std::string& link : PageLinks(outcome, n)) {
            EXPECT_TRUE(link.starts_with("<A HREF=") && link.ends_with("</A><BR>")) << n << ".html: " << link;
        }
    }
    const std::vector<test::IndexEntry> listed = test::IndexEntries(ReadFile(outcome.dir / "dest/dir.html"));
    return std::any_of(listed.begin(), listed.end(),
                       [](const test::IndexEntry& entry) { return entry.depth == kDeepestIndent; });
}

TEST(RandomExports, FoldersAllKeepsTheInvariantsOfAnyExport)
{
    int deepTrees = 0;
    for (int seed = 1; seed <= kExports; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(static_cast<unsigned>(seed) + 300000u);
        const BrowseMode browseMode = kBrowseModes[seed % 3];
        const RandomExport made = MakeRandomExport(random, TargetFor(browseMode));
        deepTrees += ExpectEveryFolderKeepsTheInvariants(made.bytes, browseMode) ? 1 : 0;

        std::string damaged = made.bytes;
        test::Mutate(damaged, random);
        deepTrees += ExpectEveryFolderKeepsTheInvariants(damaged, browseMode) ? 1 : 0;
    }
    RecordProperty("deepTrees", deepTrees);
    EXPECT_GT(deepTrees, 10) << "too few exports went as deep as the index indents";
}

// Hands out the bytes in pieces of random size, as a pipe or a slow disk
// might.
class ChunkedSource final : public ByteSource {
public:
    ChunkedSource(std::string_view bytes, std::mt19937& random) : bytes_(bytes), random_(random) {}

    long Read(char* buffer, std::size_t size) override
    {
        const std::size_t most =
            std::min({size, bytes_.size(), std::uniform_int_distribution<std::size_t>(1, 70)(random_)});
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
        EXPECT_EQ(a.counts.skippedLines, b.counts.skippedLines);
        EXPECT_EQ(test::TakeSnapshot(whole.Path()), test::TakeSnapshot(pieces.Path()));
    }
}

} // namespace
} // namespace harrowdeck
