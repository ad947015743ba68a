// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExportReader.h"

#include "LineClass.h"
#include "LineReader.h"
#include "PageModel.h"
#include "ReadPages.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <map>

namespace harrowdeck {
namespace {

using test::Crlf;
using test::ReadFile;
using test::TempDir;

const std::string kTop = " TARGET=\"_top\"";

TEST(IsExportHeader, ComparesTheFirst20CharactersExactly)
{
    EXPECT_TRUE(IsExportHeader("<!DOCTYPE FIRSTFLOOR"));
    EXPECT_TRUE(IsExportHeader("<!DOCTYPE FIRSTFLOOR-Bookmark-file-1>"));
    EXPECT_FALSE(IsExportHeader("<!DOCTYPE FIRSTFLOO"));
    EXPECT_FALSE(IsExportHeader("<!doctype FIRSTFLOOR>"));
    EXPECT_FALSE(IsExportHeader(" <!DOCTYPE FIRSTFLOOR>"));
    EXPECT_FALSE(IsExportHeader(""));
}

TEST(ExtractFolderName, CutsBetweenTheFirstTagEndAndTheNextTag)
{
    EXPECT_EQ(ExtractFolderName("<DT><H3 ADD_DATE=\"1\">News</H3>"), "News");
    EXPECT_EQ(ExtractFolderName("<DT><H3></H3>"), "");
    EXPECT_EQ(ExtractFolderName("<DT>News</H3>"), std::nullopt); // the cut needs a tag before the name
    EXPECT_EQ(ExtractFolderName("<DT><H3>A &amp; B \xe5\xe4</H3>"), "A &amp; B \xe5\xe4");
    EXPECT_EQ(ExtractFolderName("<DT><H3>News"), std::nullopt);
    EXPECT_EQ(ExtractFolderName("</H3"), std::nullopt);
}

TEST(ConvertedLinkLine, ReplacesTheAttributesAfterTheAddress)
{
    EXPECT_EQ(test::ConvertedLinkLine("<DT><A HREF=\"news/a.htm\" ADD_DATE=\"1\" LAST_VISIT=\"2\">A &amp; B</A>", kTop),
              "<A HREF=\"news/a.htm\" TARGET=\"_top\">A &amp; B</A><BR>");
    EXPECT_EQ(test::ConvertedLinkLine("<DT><A HREF=\"b.htm\">B</A>", ""), "<A HREF=\"b.htm\">B</A><BR>");
    EXPECT_EQ(test::ConvertedLinkLine("<DT><A HREF=\"\">X</A>", kTop), "<A HREF=\"\" TARGET=\"_top\">X</A><BR>");
    EXPECT_EQ(test::ConvertedLinkLine("<DT><A HREF=\"x.htm\">X</A> trailing", ""),
              "<A HREF=\"x.htm\">X</A> trailing<BR>");
}

TEST(ConvertedLinkLine, CutsAtFixedPositions)
{
    // Two extra characters in front shift the cut onto the opening quote.
    EXPECT_EQ(test::ConvertedLinkLine("  <DT><A HREF=\"x.htm\">X</A>", kTop), "T><A HREF=\"" + kTop + ">X</A><BR>");
}

TEST(ConvertedLinkLine, FailsWithoutClosingQuoteOrTagEnd)
{
    EXPECT_EQ(test::ConvertedLinkLine("<DT><A HREF=\"x.htm>X</A>", ""), std::nullopt);
    EXPECT_EQ(test::ConvertedLinkLine("<DT><A HREF=\"x.htm\" X", ""), std::nullopt);
    EXPECT_EQ(test::ConvertedLinkLine("<DT><A HREF=", ""), std::nullopt);
    EXPECT_EQ(test::ConvertedLinkLine("A HREF=", ""), std::nullopt);
}

TEST(EntryStart, CutsFromTheFirstDTOnlyWhenTextPrecedesIt)
{
    EXPECT_EQ(ExtractFolderName(EntryStart("<HR>    <DT><H3 ADD_DATE=\"1\">News</H3>")), "News");
    EXPECT_EQ(test::ConvertedLinkLine(EntryStart("<HR>    <DT><A HREF=\"x.htm\" ADD_DATE=\"1\">X</A>"), kTop),
              "<A HREF=\"x.htm\" TARGET=\"_top\">X</A><BR>");
    EXPECT_EQ(test::ConvertedLinkLine(EntryStart("<DT><A HREF=\"x.htm\">Y <DT> Z</A>"), ""),
              "<A HREF=\"x.htm\">Y <DT> Z</A><BR>");
    // Without "<DT>" the fixed cut stays: four characters go, whatever they are.
    EXPECT_EQ(test::ConvertedLinkLine(EntryStart("<HR><A HREF=\"x.htm\">X</A>"), ""), "<A HREF=\"x.htm\">X</A><BR>");
    EXPECT_EQ(test::ConvertedLinkLine(EntryStart("<A HREF=\"x.htm\">X</A>"), ""), "REF=\"x.htm\">X</A><BR>");
    EXPECT_EQ(ExtractFolderName(EntryStart("<H3>News</H3>")), std::nullopt);
}

// Spaces are passed a word at a time: runs around the word size, tabs after
// them and lines that are all indentation.
TEST(SkipIndent, DropsEveryLeadingSpaceAndTab)
{
    for (const std::size_t spaces : {0, 1, 7, 8, 9, 15, 16, 17, 24}) {
        const std::string indent(spaces, ' ');
        EXPECT_EQ(SkipIndent(indent + "<DT>x"), "<DT>x") << spaces;
        EXPECT_EQ(SkipIndent(indent + "\t \t<DT> x "), "<DT> x ") << spaces;
        EXPECT_EQ(SkipIndent(indent), "") << spaces;
        EXPECT_EQ(SkipIndent(indent + "\t"), "") << spaces;
    }
    EXPECT_EQ(SkipIndent("\t\t\t\t\t\t\t\t\t  x"), "x");
}

// A link's mark is looked for after "<DT><" first, and then anywhere.
TEST(IsLinkLine, FindsTheMarkWhereverItIs)
{
    EXPECT_TRUE(IsLinkLine("<DT><A HREF=\"x\">X</A>"));
    EXPECT_TRUE(IsLinkLine("<DT><A HREF="));
    EXPECT_TRUE(IsLinkLine("A HREF="));
    EXPECT_TRUE(IsLinkLine("<HR><DT><A HREF=\"x\">"));
    EXPECT_TRUE(IsLinkLine("<DT><H3>A HREF=</H3>"));
    EXPECT_FALSE(IsLinkLine("<DT><A HREF"));
    EXPECT_FALSE(IsLinkLine("<DT><a href=\"x\">"));
    EXPECT_FALSE(IsLinkLine("<DT><A  HREF=\"x\">"));
    EXPECT_FALSE(IsLinkLine(""));
}

TEST(SkipByteOrderMark, DropsOneMarkAtTheStartOnly)
{
    EXPECT_EQ(SkipByteOrderMark("\xEF\xBB\xBF<!DOCTYPE FIRSTFLOOR>"), "<!DOCTYPE FIRSTFLOOR>");
    EXPECT_EQ(SkipByteOrderMark("\xEF\xBB\xBF\xEF\xBB\xBF<"), "\xEF\xBB\xBF<");
    EXPECT_EQ(SkipByteOrderMark("\xEF\xBB<"), "\xEF\xBB<");
    EXPECT_EQ(SkipByteOrderMark("<\xEF\xBB\xBF"), "<\xEF\xBB\xBF");
}

// Runs the reader over the lines after a header, writing pages into dir.
test::PagesRead Read(const std::string& body, const TempDir& dir, const std::string& target = "")
{
    MemorySource source(body);
    LineReader input(source);
    return test::ReadPages(input, dir.Path(), target, "<BODY>");
}

std::string Page(const std::string& name, const std::string& links)
{
    return test::LinkPageFromText(name, links, test::PageLook{"<BODY>", ""});
}

using Names = std::vector<std::string>;

TEST(ReadFolders, SkipsLinksOutsideFoldersAndDropsEmptyFolders)
{
    TempDir dir;
    const test::PagesRead result = Read("<DT><A HREF=\"l.htm\">Loose</A>\n"
                                        "<DT><H3>Empty</H3>\n<DL><p>\n</DL><p>\n"
                                        "<DT><H3>Full</H3>\n<DT><A HREF=\"f.htm\">F</A>\n</DL><p>\n"
                                        "<DT><A HREF=\"between.htm\">Between</A>\n",
                                        dir);
    EXPECT_EQ(result.folderNames, Names{"Full"});
    EXPECT_EQ(result.counts.linksWritten, 1u);
    EXPECT_EQ(ReadFile(dir / "1.html"), Page("Full", "<A HREF=\"f.htm\">F</A><BR>\n"));
    EXPECT_FALSE(test::PathExists(dir / "2.html"));
}

TEST(ReadFolders, IndentedExportKeepsEveryAddressAndName)
{
    TempDir dir;
    const test::PagesRead result = Read("  <DT><H3 ADD_DATE=\"1\">News</H3>\n"
                                        "\t<DL><p>\n"
                                        " \t    <DT><A HREF=\"x.htm\" ICON=\"i\">X</A>\n"
                                        "    </DL><p>\n",
                                        dir, kTop);
    EXPECT_EQ(result.folderNames, Names{"News"});
    EXPECT_EQ(ReadFile(dir / "1.html"), Page("News", "<A HREF=\"x.htm\" TARGET=\"_top\">X</A><BR>\n"));
}

TEST(ReadFolders, InnerFoldersJoinTheOuterFolderUntilItsOwnEnd)
{
    TempDir dir;
    const test::PagesRead result = Read("<DT><H3>Outer</H3>\n<DL><p>\n"
                                        "    <DT><A HREF=\"1\">before</A>\n"
                                        "    <DT><H3>Inner</H3>\n    <DL><p>\n"
                                        "        <DT><H3>Deepest</H3>\n        <DL><p>\n"
                                        "            <DT><A HREF=\"2\">deep</A>\n"
                                        "        </DL><p>\n"
                                        "        <DT><A HREF=\"3\">inner</A>\n"
                                        "    </DL><p>\n"
                                        "    <DT><A HREF=\"4\">after</A>\n"
                                        "</DL><p>\n"
                                        "<DT><H3>Next</H3>\n<DT><A HREF=\"5\">next</A>\n</DL><p>\n",
                                        dir);
    EXPECT_EQ(result.folderNames, (Names{"Outer", "Next"}));
    EXPECT_EQ(ReadFile(dir / "1.html"), Page("Outer", "<A HREF=\"1\">before</A><BR>\n<A HREF=\"2\">deep</A><BR>\n"
                                                      "<A HREF=\"3\">inner</A><BR>\n<A HREF=\"4\">after</A><BR>\n"));
    EXPECT_EQ(ReadFile(dir / "2.html"), Page("Next", "<A HREF=\"5\">next</A><BR>\n"));
}

TEST(ReadFolders, UncuttableLinesAreSkippedAndCounted)
{
    TempDir dir;
    const test::PagesRead result = Read("<DT>Broken</H3>\n" // no tag before the name
                                        "<DT><H3>A</H3>\n"
                                        "<DT><A HREF=\"no-close>X</A>\n" // no closing quote
                                        "<DT><A HREF=\"ok\">OK</A>\n"
                                        "</DL><p>\n",
                                        dir);
    EXPECT_EQ(result.counts.skippedLines, 2u);
    EXPECT_EQ(result.folderNames, Names{"A"});
    EXPECT_EQ(ReadFile(dir / "1.html"), Page("A", "<A HREF=\"ok\">OK</A><BR>\n"));
}

TEST(ReadFolders, AFolderOpenAtTheEndIsFinished)
{
    TempDir dir;
    test::PagesRead result = Read("<DT><H3>A</H3>\n<DT><A HREF=\"a\">a</A>\n</DL><p>\n"
                                  "<DT><H3>Open</H3>\n<DT><A HREF=\"o\">o</A>",
                                  dir);
    EXPECT_EQ(result.folderNames, (Names{"A", "Open"}));
    EXPECT_EQ(ReadFile(dir / "2.html"), Page("Open", "<A HREF=\"o\">o</A><BR>\n"));

    TempDir empty;
    result = Read("<DT><H3>A</H3>\n<DT><A HREF=\"a\">a</A>\n</DL><p>\n<DT><H3>Open</H3>\n", empty);
    EXPECT_EQ(result.folderNames, Names{"A"});
    EXPECT_FALSE(test::PathExists(empty / "2.html"));
}

TEST(ReadFolders, RecognisesMarksCaseSensitively)
{
    TempDir dir;
    const test::PagesRead result = Read("<DT><h3>lower</h3>\n"
                                        "<DT><H3>A</H3>\n"
                                        "<DT><a href=\"lower\">x</a>\n"
                                        "</dl><p>\n"
                                        "<DT><A HREF=\"kept\">k</A>\n"
                                        "</DL><p> \n"
                                        "<DT><A HREF=\"kept2\">k</A>\n"
                                        "</DL><p>\n",
                                        dir);
    EXPECT_EQ(result.folderNames, Names{"A"});
    EXPECT_EQ(ReadFile(dir / "1.html"), Page("A", "<A HREF=\"kept\">k</A><BR>\n<A HREF=\"kept2\">k</A><BR>\n"));
}

TEST(ReadFolders, ProgressCanCancel)
{
    TempDir dir;
    std::string folder = "<DT><H3>F</H3>\n";
    for (int i = 0; i < 600; ++i) {
        folder += "<DT><A HREF=\"x\">x</A>\n";
    }
    std::string body;
    for (int i = 0; i < 100; ++i) {
        body += folder + "</DL><p>\n";
    }
    MemorySource source(body);
    LineReader input(source);
    int calls = 0;
    const test::PagesRead result =
        test::ReadPages(input, dir.Path(), "", "<BODY>",
                        [&calls](UserInterface::Stage, std::uint64_t, std::uint64_t) { return ++calls < 1; });
    EXPECT_EQ(result.end, ReadEnd::Cancelled);
    EXPECT_EQ(calls, 1);
    EXPECT_LT(result.folderNames.size(), 100u);
}

// The reading counts bytes up to the input's size; the nested mode then
// counts the folders while it writes dir.html.
TEST(ReadFolders, ProgressCountsEachStageWithinItsTotal)
{
    std::string body = "<DT><A HREF=\"r\">r</A>\n";
    for (int i = 0; i < 9000; ++i) {
        body += "<DT><H3>F</H3>\n<DL><p>\n</DL><p>\n";
    }
    for (const FolderMode mode : {FolderMode::Top, FolderMode::All}) {
        TempDir dir;
        MemorySource source(body);
        LineReader input(source);
        std::map<UserInterface::Stage, std::pair<std::uint64_t, std::uint64_t>> most;
        const test::PagesRead result = test::ReadPages(
            input, dir.Path(), "", "<BODY>",
            [&most](UserInterface::Stage stage, std::uint64_t done, std::uint64_t total) {
                EXPECT_LE(done, total);
                most[stage] = {std::max(most[stage].first, done), total};
                return true;
            },
            mode, body.size());
        EXPECT_EQ(result.end, ReadEnd::Complete);
        EXPECT_GT(most[UserInterface::Stage::Reading].first, 0u);
        EXPECT_EQ(most[UserInterface::Stage::Reading].second, body.size());
        EXPECT_EQ(most.count(UserInterface::Stage::WritingIndex), mode == FolderMode::All ? 1u : 0u);
        if (mode == FolderMode::All) {
            EXPECT_EQ(most[UserInterface::Stage::WritingIndex].second, 9000u);
        }
    }
}

} // namespace
} // namespace harrowdeck
