// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliRun.h"
#include "PageModel.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace harrowdeck {
namespace {

using test::CliResult;
using test::ReadFile;
using test::RunCli;
using test::TempDir;
using test::WriteFile;

const std::string kExample = std::string(HARROWDECK_SOURCE_DIR) + "/examples/bookmarks.htm";

TEST(Cli, ConvertsTheExampleAndSummarises)
{
    TempDir dest;
    const CliResult result = RunCli({kExample, dest.Path()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Harrowdeck.html is done!\n1 link outside any folder was left out.\n"
                          "3 link pages, 6 links, 0 skipped lines; 1 link outside any folder was left out "
                          "(--folders all keeps them)\n");
    EXPECT_EQ(result.err, "");
    EXPECT_NE(ReadFile(dest / "Harrowdeck.html").find("<FRAMESET COLS=\"25%,75%\">"), std::string::npos);
    EXPECT_NE(ReadFile(dest / "1.html").find("<A HREF=\"https://news.example.org/\">Example News</A><BR>"),
              std::string::npos);
}

TEST(Cli, OptionsChooseWidthAndBrowsingMode)
{
    TempDir dest;
    EXPECT_EQ(RunCli({"--pixels", "7", "--browse", "new", kExample, dest.Path()}).exitCode, 0);
    EXPECT_NE(ReadFile(dest / "Harrowdeck.html").find("<FRAMESET COLS=\"20,*\">"), std::string::npos);
    EXPECT_NE(ReadFile(dest / "3.html").find("TARGET=\"_blank\">Live radio</A><BR>"), std::string::npos);

    EXPECT_EQ(RunCli({"--percent", "95", "--browse", "full", kExample, dest.Path()}).exitCode, 0);
    EXPECT_NE(ReadFile(dest / "Harrowdeck.html").find("<FRAMESET COLS=\"80%,20%\">"), std::string::npos);
    EXPECT_NE(ReadFile(dest / "3.html").find("TARGET=\"_top\">Live radio</A><BR>"), std::string::npos);
}

TEST(Cli, ReportsSkippedLinesOnStdout)
{
    TempDir dir;
    WriteFile(dir / "in.htm", "<!DOCTYPE FIRSTFLOOR>\n<DT><H3>A</H3>\n<DT><A HREF=\"bad>x\n<DT><A HREF=\"a\">a</A>\n");
    const CliResult result = RunCli({dir / "in.htm", dir.Path()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Harrowdeck.html is done!\n1 line could not be read and was left out.\n"
                          "1 link page, 1 link, 1 skipped line\n");
}

TEST(Cli, SaysHowManyLinksWereLeftOutAndFoldersAllKeepsThem)
{
    TempDir dir;
    WriteFile(dir / "in.htm", "<!DOCTYPE FIRSTFLOOR>\n<DT><A HREF=\"r1\">r1</A>\n<DT><H3>A</H3>\n<DL><p>\n"
                              "<DT><A HREF=\"a\">a</A>\n</DL><p>\n<DT><A HREF=\"r2\">r2</A>\n");
    CliResult result = RunCli({dir / "in.htm", dir.Path()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Harrowdeck.html is done!\n2 links outside any folder were left out.\n"
                          "1 link page, 1 link, 0 skipped lines; 2 links outside any folder were left out "
                          "(--folders all keeps them)\n");

    result = RunCli({"--folders", "all", dir / "in.htm", dir.Path()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Harrowdeck.html is done!\n2 link pages, 3 links, 0 skipped lines\n");
    EXPECT_EQ(ReadFile(dir / "1.html"),
              test::LinkPageBytes("Bookmarks", {"<A HREF=\"r1\">r1</A><BR>", "<A HREF=\"r2\">r2</A><BR>"}));
}

// An export without folders, as Delicious writes them: nothing to write in
// the classic mode, and the message says what keeps the links.
TEST(Cli, NoFolderButLooseLinksSaysFoldersAllKeepsThem)
{
    TempDir dir;
    WriteFile(dir / "in.htm", "<!DOCTYPE FIRSTFLOOR>\n<DL><p>\n<DT><A HREF=\"r1\">r1</A>\n<DT><A HREF=\"r2\">r2</A>\n");
    CliResult result = RunCli({dir / "in.htm", dir.Path()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "harrowdeck-make: No folder with links was found; nothing was written.\n"
                          "harrowdeck-make: 2 links outside any folder were left out (--folders all keeps them).\n");
    result = RunCli({"--folders", "all", dir / "in.htm", dir.Path()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Harrowdeck.html is done!\n1 link page, 2 links, 0 skipped lines\n");
}

TEST(Cli, FailuresGoToStderrWithExitCode1)
{
    TempDir dir;
    CliResult result = RunCli({dir / "missing.htm", dir.Path()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "harrowdeck-make: Gloamery source file doesn't exist!\n");

    WriteFile(dir / "plain.htm", "<HTML>\n");
    result = RunCli({dir / "plain.htm", dir.Path()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "harrowdeck-make: File is not an Gloamery file!\n");

    result = RunCli({kExample, dir / "nowhere"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "harrowdeck-make: Destination directory doesn't exist!\n");

    WriteFile(dir / "empty.htm", "<!DOCTYPE FIRSTFLOOR>\n<DT><H3>A</H3>\n</DL><p>\n");
    result = RunCli({dir / "empty.htm", dir.Path()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "harrowdeck-make: No folder with links was found; nothing was written.\n");
}

TEST(Cli, UsageErrorsExitWith2)
{
    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {kExample},
                                               {"--browse", "sideways", kExample, "/tmp"},
                                               {"--percent", "ten", kExample, "/tmp"},
                                               {"--percent", "30", "--pixels", "200", kExample, "/tmp"},
                                               {"--folders", "nested", kExample, "/tmp"},
                                               {"--bogus", kExample, "/tmp"}}) {
        const CliResult result = RunCli(args);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("harrowdeck-make: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find("Try 'harrowdeck-make --help' for more information."), std::string::npos);
    }
}

TEST(Cli, HelpAndVersionGoToStdout)
{
    CliResult result = RunCli({"--version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "harrowdeck-make (Harrowdeck) 1.1\n");
    result = RunCli({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("Usage: harrowdeck-make [OPTIONS] SOURCE DEST"), std::string::npos);
    EXPECT_NE(result.out.find("gives 1.html \"My links\" with A, 2.html \"Work\" with W and 3.html\n"
                              "\"Work / Tools\" with T, and an index that lists Tools under Work;"),
              std::string::npos);
    EXPECT_EQ(result.err, "");
}

} // namespace
} // namespace harrowdeck
