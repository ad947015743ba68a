// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputPages.h"

#include "MainState.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace harrowdeck {
namespace {

using test::Crlf;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kPlain = "<BODY BGCOLOR=\"#FFFFFF\">";

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
    ASSERT_EQ(::mkdir((dir / "back.gif").c_str(), 0755), 0);
    EXPECT_EQ(ChooseBodyTags(dir.Path()).page, kPlain);
}

TEST(ColsValue, PercentOrPixels)
{
    EXPECT_EQ(ColsValue(kSizePercent, 25, 140), "25%,75%");
    EXPECT_EQ(ColsValue(kSizePixels, 25, 140), "140,*");
    EXPECT_EQ(ColsValue(7, 25, 20), "20,*");
}

TEST(WriteIndexPage, NumbersEntriesWithoutLeadingZeros)
{
    TempDir dir;
    std::vector<std::string> names;
    std::string entries;
    for (int i = 1; i <= 12; ++i) {
        names.push_back(i == 3 ? "" : "F" + std::to_string(i));
        entries += "<A HREF=\"" + std::to_string(i) + ".html\" TARGET=\"lankar\">" + names.back() + "</A><BR>\n";
    }
    ASSERT_FALSE(WriteIndexPage(dir.Path(), kPlain, names));
    EXPECT_EQ(ReadFile(dir / "dir.html"),
              Crlf("<HTML>\n" + kPlain + "\n<H3>Harrowdeck</H3>\n" + entries + "</BODY>\n</HTML>\n"));
}

TEST(WriteFramesetPage, PixelMode)
{
    TempDir dir;
    ASSERT_FALSE(WriteFramesetPage(dir.Path(), kSizePixels, 25, 140));
    EXPECT_NE(ReadFile(dir / "Harrowdeck.html").find("\r\n<FRAMESET COLS=\"140,*\">\r\n"), std::string::npos);
}

TEST(WriteLinkPage, ReplacesAnOlderPageWhole)
{
    TempDir dir;
    WriteFile(dir / "1.html", std::string(10000, 'o'));
    ASSERT_FALSE(WriteLinkPage(dir / "1.html", kPlain, "N", {"<A HREF=\"a\">a</A><BR>"}));
    EXPECT_EQ(ReadFile(dir / "1.html"),
              Crlf("<HTML>\n" + kPlain + "\n<H3>N</H3>\n<A HREF=\"a\">a</A><BR>\n</BODY>\n</HTML>\n"));
}

TEST(WriteLinkPage, ReportsTheTargetPathAndTheSystemsReason)
{
    TempDir dir;
    const std::string missing = dir / "no-such-dir/1.html";
    const auto error = WriteLinkPage(missing, kPlain, "N", {"x"});
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, missing);
    EXPECT_EQ(error->reason, "No such file or directory");
}

TEST(WriteLinkPage, FailsOnADirectoryInTheWayAndLeavesNoTemporaryFile)
{
    TempDir dir;
    ASSERT_EQ(::mkdir((dir / "1.html").c_str(), 0755), 0);
    const auto error = WriteLinkPage(dir / "1.html", kPlain, "N", {"x"});
    ASSERT_TRUE(error);
    EXPECT_EQ(error->reason, "Is a directory");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

} // namespace
} // namespace harrowdeck
