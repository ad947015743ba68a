// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageText.h"

#include "PageModel.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <functional>

namespace harrowdeck {
namespace {

using test::Crlf;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kPlain = "<BODY BGCOLOR=\"#FFFFFF\">";

// What the writers put into a file, written as the run writes a page.
std::string Written(const std::function<void(OutputFile&)>& write)
{
    TempDir dir;
    const std::string path = dir / "page.html";
    OutputFile file(test::CreateForWriting(path), path);
    write(file);
    EXPECT_FALSE(file.Finish());
    return ReadFile(path);
}

TEST(ChooseBodyTags, ImagesSwitchTheBodyLines)
{
    TempDir dir;
    EXPECT_EQ(ChooseBodyTags(dir.Path()).page, kPlain);
    EXPECT_EQ(ChooseBodyTags(dir.Path()).index, kPlain);

    WriteFile(dir / "back.gif", "");
    BodyTags tags = ChooseBodyTags(dir.Path());
    EXPECT_EQ(tags.page, "<BODY BACKGROUND=\"back.gif\">");
    EXPECT_EQ(tags.index, "<BODY BACKGROUND=\"back.gif\">");

    WriteFile(dir / "file.gif", "");
    tags = ChooseBodyTags(dir.Path());
    EXPECT_EQ(tags.page, "<BODY BACKGROUND=\"file.gif\">");
    EXPECT_EQ(tags.index, "<BODY BACKGROUND=\"back.gif\">");

    WriteFile(dir / "dir.gif", "");
    tags = ChooseBodyTags(dir.Path());
    EXPECT_EQ(tags.page, "<BODY BACKGROUND=\"file.gif\">");
    EXPECT_EQ(tags.index, "<BODY BACKGROUND=\"dir.gif\">");
}

TEST(ChooseBodyTags, ADirectoryNamedLikeAnImageDoesNotCount)
{
    TempDir dir;
    ASSERT_EQ(test::MakeDir(dir / "back.gif"), 0);
    EXPECT_EQ(ChooseBodyTags(dir.Path()).page, kPlain);
}

TEST(ColsValue, PercentOrPixels)
{
    EXPECT_EQ(ColsValue(SizeMode::Percent, 25, 140), "25%,75%");
    EXPECT_EQ(ColsValue(SizeMode::Percent, 80, 140), "80%,20%");
    EXPECT_EQ(ColsValue(SizeMode::Pixels, 25, 140), "140,*");
}

TEST(TargetAttrFor, EachBrowsingMode)
{
    EXPECT_EQ(TargetAttrFor(BrowseMode::Frame), "");
    EXPECT_EQ(TargetAttrFor(BrowseMode::FullWindow), " TARGET=\"_top\"");
    EXPECT_EQ(TargetAttrFor(BrowseMode::NewWindow), " TARGET=\"_blank\"");
}

TEST(LinkPage, HeadLinksAndEnd)
{
    const LinkCut withText{"<A HREF=\"a\"", ">a</A>", {}, {}};
    const std::string page = Written([&withText](OutputFile& file) {
        WriteLinkPageHead(file, kPlain, "A &amp; B");
        WriteLinkLine(file, withText, " TARGET=\"_top\"");
        WriteLinkLine(file, LinkCut{"<A HREF=\"\"", ">b</A> after", {}, {}}, "");
        WriteLinkLine(file, LinkCut{"<A HREF=\"c\"", ">", "c", "</A>"}, "");
        WritePageEnd(file);
    });
    EXPECT_EQ(page, Crlf("<HTML>\n" + kPlain +
                         "\n<H3>A &amp; B</H3>\n<A HREF=\"a\" TARGET=\"_top\">a</A><BR>\n"
                         "<A HREF=\"\">b</A> after<BR>\n<A HREF=\"c\">c</A><BR>\n</BODY>\n</HTML>\n"));
    EXPECT_EQ(LinkLineText(withText, " TARGET=\"_top\""), "<A HREF=\"a\" TARGET=\"_top\">a</A><BR>\r\n");
}

// Every kind of page names the encoding when there is one, and keeps its
// classic form when there is none.
TEST(Pages, NameTheirEncodingOnlyWhenGivenOne)
{
    for (const std::string charset : {"", "windows-1251"}) {
        SCOPED_TRACE(charset);
        const test::PageLook look{kPlain, charset};
        const std::string link = Written([&charset](OutputFile& file) {
            WriteLinkPageHead(file, kPlain, "F", charset);
            WriteLinkLine(file, LinkCut{"<A HREF=\"a\"", ">a</A>", {}, {}}, "");
            WritePageEnd(file);
        });
        EXPECT_EQ(link, test::LinkPageBytes("F", {"<A HREF=\"a\">a</A><BR>"}, look));
        const std::string index = Written([&charset](OutputFile& file) {
            WriteIndexHead(file, kPlain, charset);
            WriteIndexEntry(file, 1, "F");
            WritePageEnd(file);
        });
        EXPECT_EQ(index, test::IndexPageBytes({"<A HREF=\"1.html\" TARGET=\"lankar\">F</A><BR>"}, look));
        const std::string frameset =
            Written([&charset](OutputFile& file) { WriteFrameset(file, SizeMode::Percent, 25, 140, charset); });
        EXPECT_EQ(frameset, test::FramesetBytes("25%,75%", charset));
    }
}

TEST(LinkPage, ANameWriterThatFailsStopsTheHeading)
{
    const IoError failure = IoError::FromErrno("scratch", EIO);
    std::optional<IoError> error;
    const std::string page = Written([&](OutputFile& file) {
        error = WriteLinkPageHead(file, kPlain, [&failure](OutputFile& out) {
            out.Append("Wor");
            return std::optional<IoError>(failure);
        });
    });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->reason, "Input/output error");
    EXPECT_EQ(page, Crlf("<HTML>\n" + kPlain + "\n") + "<H3>Wor");
}

TEST(IndexPage, NumbersEntriesWithoutLeadingZeros)
{
    std::string entries;
    const std::string page = Written([&entries](OutputFile& file) {
        WriteIndexHead(file, kPlain);
        for (int i = 1; i <= 12; ++i) {
            const std::string name = i == 3 ? "" : "F" + std::to_string(i);
            if (i % 2 == 0) {
                WriteIndexEntry(file, i, name);
            } else {
                EXPECT_FALSE(WriteIndexEntry(file, i, 0, [&name](OutputFile& out) {
                    out.Append(name);
                    return std::optional<IoError>();
                }));
            }
            entries += "<A HREF=\"" + std::to_string(i) + ".html\" TARGET=\"lankar\">" + name + "</A><BR>\n";
        }
        WritePageEnd(file);
    });
    EXPECT_EQ(page, Crlf("<HTML>\n" + kPlain + "\n<H3>Harrowdeck</H3>\n" + entries + "</BODY>\n</HTML>\n"));
}

NameWriter Name(const std::string& name)
{
    return [name](OutputFile& out) {
        out.Append(name);
        return std::optional<IoError>();
    };
}

TEST(IndexPage, TreeEntriesIndentByDepthUpToTheEighthLevel)
{
    // A nested entry is a block, so that a wrapped name keeps its margin.
    const auto level = [](int em) { return "<DIV STYLE=\"margin-left:" + std::to_string(em) + "em\">"; };
    const std::string entries = Written([](OutputFile& file) {
        EXPECT_FALSE(WriteIndexFolder(file, 0, Name("Archive")));
        EXPECT_FALSE(WriteIndexEntry(file, 4, 1, Name("2019")));
        EXPECT_FALSE(WriteIndexEntry(file, 5, 8, Name("Eight")));
        EXPECT_FALSE(WriteIndexFolder(file, 9, Name("Nine")));
        EXPECT_FALSE(WriteIndexEntry(file, 6, 1000, Name("")));
        EXPECT_FALSE(WriteIndexEntry(file, 7, 0, Name("Top")));
    });
    EXPECT_EQ(entries, Crlf("Archive<BR>\n" + level(1) + "<A HREF=\"4.html\" TARGET=\"lankar\">2019</A></DIV>\n" +
                            level(8) + "<A HREF=\"5.html\" TARGET=\"lankar\">Eight</A></DIV>\n" + level(8) +
                            "Nine</DIV>\n" + level(8) + "<A HREF=\"6.html\" TARGET=\"lankar\"></A></DIV>\n" +
                            "<A HREF=\"7.html\" TARGET=\"lankar\">Top</A><BR>\n"));
}

TEST(FramesetPage, PercentAndPixelMode)
{
    const std::string percent = Written([](OutputFile& file) { WriteFrameset(file, SizeMode::Percent, 25, 140); });
    EXPECT_EQ(percent, Crlf("<HTML>\n<HEAD>\n<TITLE>Harrowdeck Bookmarks</TITLE>\n</HEAD>\n"
                            "<FRAMESET COLS=\"25%,75%\">\n <FRAME SRC=\"dir.html\" NAME=\"indexwin\">\n"
                            " <FRAME SRC=\"1.html\" NAME=\"lankar\">\n</FRAMESET>\n</HTML>\n"));
    const std::string pixels = Written([](OutputFile& file) { WriteFrameset(file, SizeMode::Pixels, 25, 140); });
    EXPECT_NE(pixels.find("\r\n<FRAMESET COLS=\"140,*\">\r\n"), std::string::npos);
}

} // namespace
} // namespace harrowdeck
