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
    const std::vector<std::string_view> lines = test::SplitLines(page);
    std::vector<std::string> links;
    for (std::size_t i = 3; i + 2 < lines.size(); ++i) {
        links.emplace_back(lines[i]);
    }
    return links;
}

// Whether `part` can be read out of `whole` in order, skipping some lines.
bool InOrderWithin(const std::vector<std::string>& part, const std::vector<std::string>& whole)
{
    auto next = whole.begin();
    for (const std::string& line : part) {
        next = std::find(next, whole.end(), line);
        if (next == whole.end()) {
            return false;
        }
        ++next;
    }
    return true;
}

// The input's link lines that can be cut, converted, as the reader finds them.
std::vector<std::string> CuttableLinksOf(const std::string& bytes, const std::string& targetAttr)
{
    std::vector<std::string> links;
    const std::vector<std::string_view> lines = test::SplitLines(bytes);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = SkipIndent(lines[i]);
        if (IsLinkLine(line)) {
            if (std::optional<std::string> converted = test::ConvertedLinkLine(EntryStart(line), targetAttr)) {
                links.push_back(std::move(*converted));
            }
        }
    }
    return links;
}

// The entries --folders all must list, worked out from the folder lines
// alone: every folder with links of its own, or with such a folder inside
// it, in the order of the folder lines, at its depth; the root's page first.
std::vector<test::IndexEntry> ExpectedTree(const std::string& bytes)
{
    struct Folder {
        test::IndexEntry entry;
        bool ownLinks = false;
        bool pageBelow = false;
    };
    std::vector<Folder> folders;
    std::vector<std::size_t> open;
    bool rootLinks = false;
    const auto close = [&folders, &open] {
        const Folder& folder = folders[open.back()];
        open.pop_back();
        if ((folder.ownLinks || folder.pageBelow) && !open.empty()) {
            folders[open.back()].pageBelow = true;
        }
    };
    const std::vector<std::string_view> lines = test::SplitLines(bytes);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = SkipIndent(lines[i]);
        if (IsLinkLine(line)) {
            if (CutLinkLine(EntryStart(line))) {
                (open.empty() ? rootLinks : folders[open.back()].ownLinks) = true;
            }
        } else if (IsFolderLine(line)) {
            const std::string name = ExtractFolderName(EntryStart(line)).value_or("");
            folders.push_back({{std::min(open.size(), kDeepestIndent), name, 0}});
            open.push_back(folders.size() - 1);
        } else if (IsFolderEnd(line) && !open.empty()) {
            close();
        }
    }
    while (!open.empty()) {
        close();
    }
    std::vector<test::IndexEntry> tree;
    std::uint64_t pages = 0;
    if (rootLinks) {
        tree.push_back({0, "", ++pages}); // named by the title, which is not checked here
    }
    for (Folder& folder : folders) {
        if (folder.ownLinks || folder.pageBelow) {
            folder.entry.page = folder.ownLinks ? ++pages : 0;
            tree.push_back(folder.entry);
        }
    }
    return tree;
}

// True when the index reached the deepest indentation.
bool ExpectTheIndexIsTheTree(const std::string& bytes, const Outcome& outcome)
{
    std::vector<test::IndexEntry> listed = test::IndexEntries(ReadFile(outcome.dir / "dest/dir.html"));
    const std::vector<test::IndexEntry> expected = ExpectedTree(bytes);
    if (!listed.empty() && !expected.empty() && expected[0].name.empty() && expected[0].page == 1) {
        listed[0].name.clear();
    }
    const auto text = [](const std::vector<test::IndexEntry>& entries) {
        std::vector<std::string> lines;
        for (const test::IndexEntry& entry : entries) {
            lines.push_back(std::to_string(entry.depth) + " " + std::to_string(entry.page) + " " + entry.name);
        }
        return lines;
    };
    EXPECT_EQ(text(listed), text(expected));
    return std::any_of(listed.begin(), listed.end(),
                       [](const test::IndexEntry& entry) { return entry.depth == kDeepestIndent; });
}

// --folders all keeps every link: each line that can be cut is on exactly
// one page, among the links of its own folder in input order, and the
// index lists the folders as the tree they form. True when the tree went
// as deep as the index indents.
bool ExpectEveryLinkOnOnePage(const std::string& bytes, BrowseMode browseMode, std::vector<std::string> links)
{
    Outcome outcome;
    RunOn(bytes, browseMode, outcome, FolderMode::All);
    test::PageCheck check = test::CheckPages(outcome.dir / "dest/", bytes, outcome.targetAttr);
    // The pages follow the folder lines, not the input, so the in-order
    // check of the links over all pages does not hold; the one below does.
    std::erase_if(check.faults,
                  [](const std::string& fault) { return fault.ends_with("comes from no unused input line"); });
    EXPECT_TRUE(check.faults.empty()) << ::testing::PrintToString(check.faults);
    EXPECT_EQ(outcome.report.counts.leftOutLinks, 0u);
    if (outcome.report.outcome != RunOutcome::Done) {
        EXPECT_TRUE(links.empty() || outcome.report.outcome == RunOutcome::NotAnExport)
            << static_cast<int>(outcome.report.outcome) << ": " << outcome.ui.OnlyMessage();
        return false;
    }
    EXPECT_EQ(outcome.report.counts.linksWritten, links.size());
    std::vector<std::string> onPages;
    for (std::uint64_t n = 1; n <= outcome.report.counts.pagesWritten; ++n) {
        const std::vector<std::string> page = PageLinks(outcome, n);
        EXPECT_TRUE(InOrderWithin(page, links)) << n << ".html";
        onPages.insert(onPages.end(), page.begin(), page.end());
    }
    std::sort(onPages.begin(), onPages.end());
    std::sort(links.begin(), links.end());
    EXPECT_EQ(onPages, links);
    return ExpectTheIndexIsTheTree(bytes, outcome);
}

TEST(RandomExports, FoldersAllPutsEveryLinkThatCanBeCutOnExactlyOnePage)
{
    int deepTrees = 0;
    for (int seed = 1; seed <= kExports; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(static_cast<unsigned>(seed) + 300000u);
        const BrowseMode browseMode = kBrowseModes[seed % 3];
        const std::string targetAttr = TargetFor(browseMode);
        const RandomExport made = MakeRandomExport(random, targetAttr);
        deepTrees += ExpectEveryLinkOnOnePage(made.bytes, browseMode, made.cuttableLinks) ? 1 : 0;

        std::string damaged = made.bytes;
        test::Mutate(damaged, random);
        deepTrees += ExpectEveryLinkOnOnePage(damaged, browseMode, CuttableLinksOf(damaged, targetAttr)) ? 1 : 0;
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
