// SPDX-License-Identifier: GPL-3.0-or-later
// The two folder modes through whole runs: what today's exports need from
// both (a byte-order mark, separators on an entry's line, a word on the
// links left out) and the rules of --folders all.
#include "GenerationRun.h"

#include "PageModel.h"
#include "ReadPages.h"
#include "ResourceLimit.h"
#include "RunFixture.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace harrowdeck {
namespace {

using test::Crlf;
using test::DataPath;
using test::kHeaderLine;
using test::ReadFile;

using Names = std::vector<std::string>;

constexpr FolderMode kModes[] = {FolderMode::Top, FolderMode::All};

// An input link line and what a page shows of it, the address as its text.
std::string In(const std::string& address)
{
    return "<DT><A HREF=\"" + address + "\" ADD_DATE=\"1\">" + address + "</A>\n";
}

std::string Out(const std::string& address)
{
    return "<A HREF=\"" + address + "\">" + address + "</A><BR>\n";
}

std::string Page(const std::string& name, const std::string& links)
{
    return test::LinkPageFromText(name, links);
}

class FolderModesTest : public test::RunFixture {
protected:
    RunReport RunIn(FolderMode mode)
    {
        options.folderMode = mode;
        return Run();
    }

    [[nodiscard]] Names Index() const { return test::IndexNames(ReadFile(destDir + "dir.html")); }
    [[nodiscard]] Names Tree() const { return test::IndexTree(ReadFile(destDir + "dir.html")); }
};

TEST_F(FolderModesTest, AByteOrderMarkIsSkippedBeforeTheHeaderCheck)
{
    const std::string worked = ReadFile(DataPath("worked/export.htm"));
    const std::string plainDest = destDir;
    const std::string markedDest = work / "marked/";
    ASSERT_EQ(test::MakeDir(markedDest), 0);
    for (const FolderMode mode : kModes) {
        options.destDir = plainDest;
        Source(worked);
        ASSERT_EQ(RunIn(mode).outcome, RunOutcome::Done);
        const std::string plainMessage = ui.OnlyMessage();

        options.destDir = markedDest;
        Source("\xEF\xBB\xBF" + worked);
        ASSERT_EQ(RunIn(mode).outcome, RunOutcome::Done);
        EXPECT_EQ(ui.OnlyMessage(), plainMessage);
        EXPECT_EQ(test::TakeSnapshot(markedDest), test::TakeSnapshot(plainDest));
    }
}

TEST_F(FolderModesTest, AnEntryAfterASeparatorOnItsLineIsCutFromItsDT)
{
    Source(std::string(kHeaderLine) + "<DT><H3>Plain</H3>\n<DL><p>\n" +
           "    <HR>    <DT><A HREF=\"after-hr.htm\" ADD_DATE=\"1\">After a separator</A>\n</DL><p>\n" +
           "<HR>    <DT><H3 ADD_DATE=\"2\">Separated</H3>\n<DL><p>\n" + In("s") + "</DL><p>\n");
    for (const FolderMode mode : kModes) {
        ASSERT_EQ(RunIn(mode).outcome, RunOutcome::Done);
        EXPECT_EQ(ReadFile(destDir + "1.html"), Page("Plain", "<A HREF=\"after-hr.htm\">After a separator</A><BR>\n"));
        EXPECT_EQ(ReadFile(destDir + "2.html"), Page("Separated", Out("s")));
        EXPECT_EQ(Index(), (Names{"Plain", "Separated"}));
    }
}

TEST_F(FolderModesTest, LinksOutsideEveryFolderAreCountedInTopModeAndKeptInAll)
{
    // Left out: link lines read between folders, uncuttable ones too, but
    // not a folder line that also holds the link mark.
    Source(std::string(kHeaderLine) + In("loose1") + "<DT><A HREF=\"no-closing-quote>x</A>\n" +
           "<DT><H3>About A HREF= links</H3>\n<DL><p>\n" + In("f") + "<DT><A HREF=\"bad>\n</DL><p>\n" + In("loose2"));
    RunReport report = RunIn(FolderMode::Top);
    ASSERT_EQ(report.outcome, RunOutcome::Done);
    EXPECT_EQ(report.counts.leftOutLinks, 3u);
    EXPECT_EQ(ui.OnlyMessage(), "Harrowdeck.html is done!\n1 line could not be read and was left out.\n"
                                "3 links outside any folder were left out.");
    EXPECT_EQ(ReadFile(destDir + "1.html"), Page("About A HREF= links", Out("f")));

    // With every folder the folder line is a heading, as a browser reads
    // it; the two tags whose address never closes are given up, and every
    // other link has a page.
    report = RunIn(FolderMode::All);
    ASSERT_EQ(report.outcome, RunOutcome::Done);
    EXPECT_EQ(report.counts.leftOutLinks, 0u);
    EXPECT_EQ(report.counts.skippedLines, 2u);
    EXPECT_EQ(ui.OnlyMessage(), "Harrowdeck.html is done!\n2 lines could not be read and were left out.");
    EXPECT_EQ(ReadFile(destDir + "1.html"), Page("Bookmarks", Out("loose1") + Out("loose2")));
    EXPECT_EQ(ReadFile(destDir + "2.html"), Page("About A HREF= links", Out("f")));
}

// With every folder, the export is read as a browser reads it; each case is
// one folder F's list, what its page shows and how many lines were lost.
TEST_F(FolderModesTest, EveryFolderReadsTagsAsABrowserDoes)
{
    struct Case {
        const char* what;
        std::string list;
        std::string links; // F's page, without the line ends' CR
        std::uint64_t skipped = 0;
    };
    const Case cases[] = {
        {"HREF after other attributes", "<DT><A SUBSCRIBE LASTUPDATE=\"1\" HREF=\"x.htm\">X</A>\n",
         "<A HREF=\"x.htm\">X</A><BR>\n"},
        {"lower case", "<dt><a add_date=1 href=\"y.htm\">Y</a>\n", "<A HREF=\"y.htm\">Y</A><BR>\n"},
        {"unquoted and single-quoted addresses", "<DT><A HREF=u.htm>U</A>\n<DT><A HREF='q\"t'>Q</A>\n",
         "<A HREF=\"u.htm\">U</A><BR>\n<A HREF='q\"t'>Q</A><BR>\n"},
        {"a comment over lines", "<!-- <DT><A HREF=\"gone\">gone</A>\n<DT><A HREF=\"gone2\">g</A> -->" + In("kept"),
         Out("kept")},
        {"two links on one line", "<DT><A HREF=\"a\">A</A><DT><A HREF=\"b\">B</A>\n",
         "<A HREF=\"a\">A</A><BR>\n<A HREF=\"b\">B</A><BR>\n"},
        {"a description on the link's line", "<DT><A HREF=\"t\">Trail</A><DD>a description\n",
         "<A HREF=\"t\">Trail</A><BR>\n"},
        {"an attribute that runs onto the next line",
         "<DT><A HREF=\"s\" DESCRIPTION=\"first\nsecond\">S</A>\n<DT><A\nHREF=\"n\">N</A>\n",
         "<A HREF=\"s\">S</A><BR>\n<A HREF=\"n\">N</A><BR>\n"},
        {"an address over two lines", "<DT><A HREF=\"https://ex\nample.org/\">E</A>\n",
         "<A HREF=\"https://example.org/\">E</A><BR>\n"},
        {"no text shows the address", "<DT><A HREF=\"e.htm\"></A>\n<DT><A HREF=\"f.htm\">  </A>\n",
         "<A HREF=\"e.htm\">e.htm</A><BR>\n<A HREF=\"f.htm\">f.htm</A><BR>\n"},
        {"a link without HREF is none", "<DT><A NAME=\"n\">N</A>\n" + In("h"), Out("h")},
        {"a quote left open is given up at the next entry", "<DT><A HREF=\"bad>x\n" + In("ok"), Out("ok"), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Source(std::string(kHeaderLine) + "<DL><p>\n<DT><H3>F</H3>\n<DL><p>\n" + c.list + "</DL><p>\n</DL><p>\n");
        const RunReport report = RunIn(FolderMode::All);
        ASSERT_EQ(report.outcome, RunOutcome::Done) << ui.OnlyMessage();
        EXPECT_EQ(report.counts.skippedLines, c.skipped);
        EXPECT_EQ(Tree(), (Names{"1.html F"}));
        EXPECT_EQ(ReadFile(destDir + "1.html"), Page("F", c.links));
    }
}

// Links as browsers write them are read by a shorter way than any other
// spelling; each line must give what its lower-case spelling gives, which
// takes the long way, including the near misses that leave the short one.
TEST_F(FolderModesTest, EveryFolderReadsTheBrowsersSpellingAsAnyOther)
{
    struct Case {
        const char* what;
        std::string line;  // with "<A HREF=", which the twin spells "<a href="
        std::string links; // F's page, without the line ends' CR
    };
    const Case cases[] = {
        {"as browsers write it", "<DT><A HREF=\"x.htm\" ADD_DATE=\"1\" ICON_URI=\"i\">X</A>\n",
         "<A HREF=\"x.htm\">X</A><BR>\n"},
        {"a \">\" in a later value", "<DT><A HREF=\"g\" DESCRIPTION=\"a>b\">G</A>\n", "<A HREF=\"g\">G</A><BR>\n"},
        {"an attribute without a value", "<DT><A HREF=\"p\" PRIVATE>P</A>\n", "<A HREF=\"p\">P</A><BR>\n"},
        {"unquoted and single-quoted later values", "<DT><A HREF=\"u\" A=1 B='x\">y'>U</A>\n",
         "<A HREF=\"u\">U</A><BR>\n"},
        {"spaces around =", "<DT><A HREF=\"s\" ADD_DATE = \"1\">S</A>\n", "<A HREF=\"s\">S</A><BR>\n"},
        {"a second HREF", "<DT><A HREF=\"one\" HREF=\"two\">O</A>\n", "<A HREF=\"one\">O</A><BR>\n"},
        {"a single quote in the address", "<DT><A HREF=\"it's\">I</A>\n", "<A HREF=\"it's\">I</A><BR>\n"},
        {"a tag that ends on the next line", "<DT><A HREF=\"n\" ADD_DATE=\"1\"\n>N</A>\n", "<A HREF=\"n\">N</A><BR>\n"},
        {"a value that runs on", "<DT><A HREF=\"r\" D=\"a\nb\">R</A>\n", "<A HREF=\"r\">R</A><BR>\n"},
        {"a close tag in another spelling", "<DT><A HREF=\"c\">C</a >tail\n", "<A HREF=\"c\">C</A><BR>\n"},
        {"no text", "<DT><A HREF=\"e\" ADD_DATE=\"1\"></A>\n", "<A HREF=\"e\">e</A><BR>\n"},
        {"two on a line", "<DT><A HREF=\"a\">A</A><DT><A HREF=\"b\">B</A>\n",
         "<A HREF=\"a\">A</A><BR>\n<A HREF=\"b\">B</A><BR>\n"},
        {"a \"<\" in the text", "<DT><A HREF=\"l\">a<b</A>\n", "<A HREF=\"l\">a<b</A><BR>\n"},
        {"an end tag before the line's end", "<DT><A HREF=\"k\">K</A>x</A>\n", "<A HREF=\"k\">K</A><BR>\n"},
        {"an \"=\" or a quote between the values", "<DT><A HREF=\"v\" A=B=\"1\" C=\"2\">V</A>\n",
         "<A HREF=\"v\">V</A><BR>\n"},
    };
    const auto pageFrom = [this](const std::string& line) {
        Source(std::string(kHeaderLine) + "<DL><p>\n<DT><H3>F</H3>\n<DL><p>\n" + line + "</DL><p>\n</DL><p>\n");
        const RunReport report = RunIn(FolderMode::All);
        EXPECT_EQ(report.outcome, RunOutcome::Done) << ui.OnlyMessage();
        EXPECT_EQ(report.counts.skippedLines, 0U);
        return ReadFile(destDir + "1.html");
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string twin = c.line;
        for (std::size_t at = twin.find("<A HREF="); at != std::string::npos; at = twin.find("<A HREF=", at)) {
            twin.replace(at, 8, "<a href=");
        }
        EXPECT_EQ(pageFrom(c.line), Page("F", c.links));
        EXPECT_EQ(pageFrom(twin), Page("F", c.links));
    }
}

// Folders nest as the lists do: a list's end closes its folder with or
// without the "<p>", and a heading without a list is an empty folder.
TEST_F(FolderModesTest, EveryFolderNestsFoldersByTheirLists)
{
    struct Case {
        const char* what;
        std::string body;
        Names tree;
    };
    const Case cases[] = {
        {"</DL> without <p>",
         "<DT><H3>A</H3>\n<DL>\n" + In("a") + "</DL>\n<DT><H3>B</H3>\n<DL>\n" + In("b") + "</DL>\n",
         {"1.html A", "2.html B"}},
        {"several tags on a line",
         "<DT><H3>A</H3><DL><p>" + In("a") + "</DL><p><DT><H3>B</H3><DL><p>" + In("b"),
         {"1.html A", "2.html B"}},
        {"a heading without a list",
         "<DT><H3>A</H3>\n<DL><p>\n<DT><H3>Empty</H3>\n" + In("a") + "</DL><p>\n",
         {"1.html A"}},
        {"a list without a heading",
         "<DT><H3>A</H3>\n<DL><p>\n<DL><p>\n" + In("a1") + "</DL><p>\n" + In("a2") + "</DL><p>\n" + In("root"),
         {"1.html Bookmarks", "2.html A"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Source(std::string(kHeaderLine) + c.body);
        ASSERT_EQ(RunIn(FolderMode::All).outcome, RunOutcome::Done) << ui.OnlyMessage();
        EXPECT_EQ(Tree(), c.tree);
    }
}

// A link without text shows its address in both modes.
TEST_F(FolderModesTest, ALinkWithoutTextShowsItsAddress)
{
    Source(std::string(kHeaderLine) + "<DT><H3>F</H3>\n<DL><p>\n<DT><A HREF=\"e.htm\" ADD_DATE=\"1\"></A>\n" +
           "<DT><A HREF=\"b.htm\"> </A><DD>d\n<DT><A HREF=\"\"></A>\n</DL><p>\n");
    for (const FolderMode mode : kModes) {
        ASSERT_EQ(RunIn(mode).outcome, RunOutcome::Done);
        const std::string classicTail = mode == FolderMode::Top ? "<DD>d" : "";
        EXPECT_EQ(ReadFile(destDir + "1.html"),
                  Page("F", "<A HREF=\"e.htm\">e.htm</A><BR>\n<A HREF=\"b.htm\">b.htm</A>" + classicTail +
                                "<BR>\n<A HREF=\"\"></A><BR>\n"));
    }
}

TEST_F(FolderModesTest, TheRootPageIsNamedByTheFirstTitleBeforeTheFirstFolder)
{
    struct Case {
        std::string lines;
        std::string rootName;
    };
    const Case cases[] = {
        {"<TITLE>Not this</TITLE>\n<H1 ID=\"t\">My &amp; links</H1>\n<H1>Second</H1>\n", "My &amp; links"},
        {"<TITLE>Bookmarks file</TITLE>\n", "Bookmarks"},
        {"<H1></H1>\n", ""},
        {"<DT><A HREF=\"x\">Not a title </H1></A>\n", "Bookmarks"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        Source(std::string(kHeaderLine) + c.lines + In("r1") + "<DT><H3>F</H3>\n<DL><p>\n<H1>Late</H1>\n" + In("f") +
               "</DL><p>\n" + In("r2") + "</DL><p>\n");
        ASSERT_EQ(RunIn(FolderMode::All).outcome, RunOutcome::Done);
        const std::string titleLink = c.lines.starts_with("<DT>") ? "<A HREF=\"x\">Not a title </H1></A><BR>\n" : "";
        EXPECT_EQ(ReadFile(destDir + "1.html"), Page(c.rootName, titleLink + Out("r1") + Out("r2")));
        EXPECT_EQ(ReadFile(destDir + "2.html"), Page("F", Out("f")));
        EXPECT_EQ(Index(), (Names{c.rootName, "F"}));
    }
}

TEST_F(FolderModesTest, PagesFollowTheFolderLinesAndOnlyFoldersWithOwnLinksGetOne)
{
    Source(std::string(kHeaderLine) + "<H1>T</H1>\n<DT><H3>E</H3>\n<DL><p>\n<DT><H3>F</H3>\n</DL><p>\n</DL><p>\n");
    EXPECT_EQ(RunIn(FolderMode::All).outcome, RunOutcome::NothingToWrite);
    EXPECT_EQ(ui.OnlyMessage(), "No folder with links was found; nothing was written.");
    EXPECT_TRUE(DestFiles().empty());

    // The outer folder's page comes first, though its link comes last.
    Source(std::string(kHeaderLine) + "<H1>Title</H1>\n<DT><H3>Outer</H3>\n<DL><p>\n" +
           "    <DT><H3>Only subfolders</H3>\n    <DL><p>\n" + "        <DT><H3>Inner</H3>\n        <DL><p>\n" +
           "        " + In("i1") + "        " + In("i2") + "        </DL><p>\n    </DL><p>\n" + In("o") + "</DL><p>\n");
    const RunReport report = RunIn(FolderMode::All);
    ASSERT_EQ(report.outcome, RunOutcome::Done);
    EXPECT_EQ(report.counts.pagesWritten, 2u);
    EXPECT_EQ(report.counts.linksWritten, 3u);
    EXPECT_EQ(DestFiles(), (Names{"1.html", "2.html", "Harrowdeck.html", "dir.html"}));
    EXPECT_EQ(ReadFile(destDir + "1.html"), Page("Outer", Out("o")));
    EXPECT_EQ(ReadFile(destDir + "2.html"), Page("Outer / Only subfolders / Inner", Out("i1") + Out("i2")));
    EXPECT_EQ(Tree(), (Names{"1.html Outer", "  Only subfolders", "    2.html Inner"}));
}

TEST_F(FolderModesTest, PathsDeeperThanFourNamesShowTheLastFour)
{
    std::string body = kHeaderLine;
    for (const char* name : {"A", "B", "C", "D", "E", "F"}) {
        body += "<DT><H3>" + std::string(name) + "</H3>\n<DL><p>\n" + In(name);
    }
    Source(body);
    ASSERT_EQ(RunIn(FolderMode::All).outcome, RunOutcome::Done);
    EXPECT_EQ(Tree(), (Names{"1.html A", "  2.html B", "    3.html C", "      4.html D", "        5.html E",
                             "          6.html F"}));
    EXPECT_EQ(ReadFile(destDir + "5.html"), Page("... / B / C / D / E", Out("E")));
    EXPECT_EQ(ReadFile(destDir + "6.html"), Page("... / C / D / E / F", Out("F")));
}

// Each folder of a chain deeper than the pages kept open has a link before
// and after the folder inside it: every page, kept open or opened again,
// gets both links in order and its end once.
TEST_F(FolderModesTest, LinksAfterANestedFolderJoinTheirPageAtAnyDepth)
{
    constexpr int kDepth = 12;
    std::string body = kHeaderLine;
    for (int i = 1; i <= kDepth; ++i) {
        body += "<DT><H3>F" + std::to_string(i) + "</H3>\n<DL><p>\n" + In("before" + std::to_string(i));
    }
    for (int i = kDepth; i >= 1; --i) {
        body += In("after" + std::to_string(i)) + "</DL><p>\n";
    }
    Source(body);
    ASSERT_EQ(RunIn(FolderMode::All).outcome, RunOutcome::Done) << ui.OnlyMessage();
    for (int i = 1; i <= kDepth; ++i) {
        // The heading: the last four names, after an ellipsis past four.
        std::string heading = i > 4 ? "... / " : "";
        for (int shown = std::max(1, i - 3); shown <= i; ++shown) {
            heading += "F" + std::to_string(shown) + (shown < i ? " / " : "");
        }
        const std::string n = std::to_string(i);
        EXPECT_EQ(ReadFile(destDir + n + ".html"), Page(heading, Out("before" + n) + Out("after" + n))) << n;
    }
}

// A heading's end without its start opens no folder: the list after it
// belongs to the folder it stands in. The end closes every folder still open.
TEST_F(FolderModesTest, AStrayHeadingEndIsNoFolderAndTheEndClosesAllStillOpen)
{
    Source(std::string(kHeaderLine) + "<DT><H3>Outer</H3>\n<DL><p>\n" + "<DT>No tag before the name</H3>\n<DL><p>\n" +
           In("u") + "</DL><p>\n" + In("o") + "<DT><H3>Two</H3>\n<DL><p>\n" + In("t") +
           "<DT><H3>Three</H3>\n<DL><p>\n" + In("d"));
    const RunReport report = RunIn(FolderMode::All);
    ASSERT_EQ(report.outcome, RunOutcome::Done);
    EXPECT_EQ(report.counts.skippedLines, 0u);
    EXPECT_EQ(ui.OnlyMessage(), "Harrowdeck.html is done!");
    EXPECT_EQ(Tree(), (Names{"1.html Outer", "  2.html Two", "    3.html Three"}));
    EXPECT_EQ(ReadFile(destDir + "1.html"), Page("Outer", Out("u") + Out("o")));
    EXPECT_EQ(ReadFile(destDir + "2.html"), Page("Outer / Two", Out("t")));
    EXPECT_EQ(ReadFile(destDir + "3.html"), Page("Outer / Two / Three", Out("d")));
}

TEST_F(FolderModesTest, AHundredThousandNestedFoldersNeedOnlyAFewOpenFiles)
{
    constexpr int kDepth = 100000;
    std::string body = kHeaderLine;
    body.reserve(std::size_t{40} * kDepth);
    for (int i = 1; i <= kDepth; ++i) {
        body += "<DT><H3>F" + std::to_string(i) + "</H3>\n<DL><p>\n";
        if (i == 1 || i == kDepth / 2 || i == kDepth) {
            body += In("in" + std::to_string(i));
        }
    }
    // Back out: the next-to-innermost folder gets its first link late, the
    // outermost its second, and the root its only one.
    body += "</DL><p>\n" + In("back");
    for (int i = 2; i < kDepth; ++i) {
        body += "</DL><p>\n";
    }
    body += In("in1-after") + "</DL><p>\n" + In("root");
    Source(body);

    const auto start = std::chrono::steady_clock::now();
    RunReport report;
    {
#if !defined(_WIN32)
        // So few descriptors that a run keeping a file open per folder would
        // fail (Windows has no such limit).
        const test::ResourceLimit limit(RLIMIT_NOFILE, 16);
#endif
        report = RunIn(FolderMode::All);
    }
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    RecordProperty("seconds", std::to_string(seconds));
    ASSERT_EQ(report.outcome, RunOutcome::Done) << ui.OnlyMessage();
    EXPECT_EQ(report.counts.linksWritten, 6u);
    // Every folder on the way to a page is listed; past eight levels the
    // indentation stays.
    const Names tree = Tree();
    ASSERT_EQ(tree.size(), 1u + kDepth);
    const std::string deepest(16, ' ');
    EXPECT_EQ(Names(tree.begin(), tree.begin() + 4), (Names{"1.html Bookmarks", "2.html F1", "  F2", "    F3"}));
    EXPECT_EQ(tree[9], deepest + "F9");
    EXPECT_EQ(tree[50000], deepest + "3.html F50000");
    EXPECT_EQ(Names(tree.end() - 2, tree.end()), (Names{deepest + "4.html F99999", deepest + "5.html F100000"}));
    EXPECT_EQ(ReadFile(destDir + "2.html"), Page("F1", Out("in1") + Out("in1-after")));
    EXPECT_EQ(ReadFile(destDir + "4.html"), Page("... / F99996 / F99997 / F99998 / F99999", Out("back")));
}

TEST_F(FolderModesTest, ProgressNamesEachStageInOrder)
{
    if (test::kOnWindows) {
        GTEST_SKIP() << "wine looks for each new name through the whole directory: ten thousand pages take minutes";
    }
    using Stage = UserInterface::Stage;
    Source(std::string(kHeaderLine) + test::Folders(5000));
    const std::pair<FolderMode, std::vector<Stage>> cases[] = {
        {FolderMode::Top, {Stage::Reading, Stage::PlacingPages}},
        {FolderMode::All, {Stage::Reading, Stage::WritingIndex, Stage::PlacingPages}},
    };
    for (const auto& [mode, stages] : cases) {
        ui.stages.clear();
        ASSERT_EQ(RunIn(mode).outcome, RunOutcome::Done);
        EXPECT_EQ(ui.stages, stages);
    }
}

TEST_F(FolderModesTest, NestedExportMatchesTheGoldenPagesByteForByte)
{
    options.sourcePath = DataPath("nested/export.htm");
    RunReport report = RunIn(FolderMode::All);
    ASSERT_EQ(report.outcome, RunOutcome::Done);
    EXPECT_EQ(ui.OnlyMessage(), "Harrowdeck.html is done!");
    EXPECT_EQ(report.counts.pagesWritten, 9u);
    EXPECT_EQ(report.counts.linksWritten, 13u);
    const Names files = {"1.html", "2.html", "3.html", "4.html",          "5.html",  "6.html",
                         "7.html", "8.html", "9.html", "Harrowdeck.html", "dir.html"};
    ASSERT_EQ(DestFiles(), files);
    for (const std::string& file : files) {
        EXPECT_EQ(ReadFile(destDir + file), ReadFile(DataPath("nested/" + file))) << file;
    }

    // The classic output of the same export: the toolbar takes every link
    // of its subfolders, and the two links in the root are left out.
    report = RunIn(FolderMode::Top);
    ASSERT_EQ(report.outcome, RunOutcome::Done);
    EXPECT_EQ(report.counts.pagesWritten, 4u);
    EXPECT_EQ(report.counts.linksWritten, 11u);
    EXPECT_EQ(report.counts.leftOutLinks, 2u);
    EXPECT_EQ(Index(), (Names{"Bookmarks Toolbar", "Music", "Archive", "Reference"}));
}

} // namespace
} // namespace harrowdeck
