// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageText.h"

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
    const std::string page = Written([](OutputFile& file) {
        WriteLinkPageHead(file, kPlain, "A &amp; B");
        WriteLinkLine(file, "<A HREF=\"a\"", " TARGET=\"_top\"", ">a</A>");
        WriteLinkLine(file, "<A HREF=\"\"", "", ">b</A> after");
        WritePageEnd(file);
    });
    EXPECT_EQ(page, Crlf("<HTML>\n" + kPlain +
                         "\n<H3>A &amp; B</H3>\n<A HREF=\"a\" TARGET=\"_top\">a</A><BR>\n"
                         "<A HREF=\"\">b</A> after<BR>\n</BODY>\n</HTML>\n"));
    EXPECT_EQ(LinkLineText("<A HREF=\"a\"", " TARGET=\"_top\"", ">a</A>"),
              "<A HREF=\"a\" TARGET=\"_top\">a</A><BR>\r\n");
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
    const std::string level = "&nbsp;&nbsp;&nbsp;&nbsp;";
    const auto indent = [&level](int levels) {
        std::string text;
        for (int i = 0; i < levels; ++i) {
            text += level;
        }
        return text;
    };
    const std::string entries = Written([](OutputFile& file) {
        EXPECT_FALSE(WriteIndexFolder(file, 0, Name("Archive")));
        EXPECT_FALSE(WriteIndexEntry(file, 4, 1, Name("2019")));
        EXPECT_FALSE(WriteIndexEntry(file, 5, 8, Name("Eight")));
        EXPECT_FALSE(WriteIndexFolder(file, 9, Name("Nine")));
        EXPECT_FALSE(WriteIndexEntry(file, 6, 1000, Name("")));
    });
    EXPECT_EQ(entries, Crlf("Archive<BR>\n" + indent(1) + "<A HREF=\"4.html\" TARGET=\"lankar\">2019</A><BR>\n" +
                            indent(8) + "<A HREF=\"5.html\" TARGET=\"lankar\">Eight</A><BR>\n" + indent(8) +
                            "Nine<BR>\n" + indent(8) + "<A HREF=\"6.html\" TARGET=\"lankar\"></A><BR>\n"));
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
