// SPDX-License-Identifier: GPL-3.0-or-later
#include "GenerationRun.h"

#include "Messages.h"
#include "ResourceLimit.h"
#include "RunFixture.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace harrowdeck {
namespace {

using test::Crlf;
using test::DataPath;
#if !defined(_WIN32)
using test::FileSizeLimit;
#endif
using test::ReadFile;
using test::WriteFile;
using Icon = UserInterface::Icon;

using Names = std::vector<std::string>;

class RunTest : public test::RunFixture {};

TEST_F(RunTest, WorkedExampleMatchesTheGoldenPagesByteForByte)
{
    options.sourcePath = DataPath("worked/export.htm");
    options.browseMode = BrowseMode::FullWindow;
    options.procText = "25";
    const RunReport report = Run();
    EXPECT_EQ(report.outcome, RunOutcome::Done);
    EXPECT_EQ(report.counts.pagesWritten, 2u);
    EXPECT_EQ(report.counts.linksWritten, 3u);
    EXPECT_EQ(ui.questions, Names{"Shall you make a new Harrowdeck file ?"});
    ASSERT_EQ(ui.messages.size(), 1u);
    // The worked example's one link outside every folder is left out, and said so.
    EXPECT_EQ(ui.messages[0].text, "Harrowdeck.html is done!\n1 link outside any folder was left out.");
    EXPECT_EQ(report.counts.leftOutLinks, 1u);
    EXPECT_EQ(ui.messages[0].icon, Icon::None);
    EXPECT_EQ(DestFiles(), (Names{"1.html", "2.html", "Harrowdeck.html", "dir.html"}));
    for (const char* page : {"1.html", "2.html", "dir.html", "Harrowdeck.html"}) {
        EXPECT_EQ(ReadFile(destDir + page), ReadFile(DataPath(std::string("worked/") + page))) << page;
    }
}

// The encodings of real exports, each against its golden pages in both
// folder modes: a Latin-1 export that declares nothing and one that
// declares windows-1251 name their encoding; a UTF-8 export keeps the
// classic bytes; links without text show their address.
TEST_F(RunTest, EncodingsAndEmptyTitlesMatchTheGoldenPagesByteForByte)
{
    for (const char* set : {"latin1", "cp1251", "utf8", "empty-title"}) {
        for (const FolderMode mode : {FolderMode::Top, FolderMode::All}) {
            SCOPED_TRACE(std::string(set) + (mode == FolderMode::All ? " --folders all" : ""));
            options.sourcePath = DataPath(std::string(set) + "/export.htm");
            options.browseMode = BrowseMode::FullWindow;
            options.folderMode = mode;
            ASSERT_EQ(Run().outcome, RunOutcome::Done);
            EXPECT_EQ(DestFiles(), (Names{"1.html", "Harrowdeck.html", "dir.html"}));
            for (const char* page : {"1.html", "dir.html", "Harrowdeck.html"}) {
                EXPECT_EQ(ReadFile(destDir + page), ReadFile(DataPath(std::string(set) + "/" + page))) << page;
            }
        }
    }
}

TEST_F(RunTest, TargetFollowsTheBrowsingMode)
{
    Source(std::string(test::kHeaderLine) + "<DT><H3>A</H3>\n<DT><A HREF=\"x\" ADD=\"1\">X</A>\n</DL><p>\n");
    const std::pair<BrowseMode, std::string> cases[] = {{BrowseMode::Frame, ""},
                                                        {BrowseMode::FullWindow, " TARGET=\"_top\""},
                                                        {BrowseMode::NewWindow, " TARGET=\"_blank\""}};
    for (const auto& [mode, target] : cases) {
        options.browseMode = mode;
        const RunReport report = Run();
        ASSERT_EQ(report.outcome, RunOutcome::Done);
        ASSERT_TRUE(report.decided);
        EXPECT_EQ(report.decided->targetAttr, target);
        EXPECT_NE(ReadFile(destDir + "1.html").find("<A HREF=\"x\"" + target + ">X</A><BR>\r\n"), std::string::npos);
    }
}

TEST_F(RunTest, AnsweringNoChangesNothing)
{
    Source(std::string(test::kHeaderLine) + test::Folders(2));
    options.procText = "95";
    options.pixelText = "7";
    ui.answers = {false};
    const RunReport report = Run();
    EXPECT_EQ(report.outcome, RunOutcome::Declined);
    EXPECT_FALSE(report.decided);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(DestFiles().empty());
}

TEST_F(RunTest, StopAtTheExportCheckKeepsTheNormalisedWidths)
{
    Source("<HTML>\n" + test::Folders(1));
    options.procText = "";
    options.pixelText = "7";
    options.browseMode = BrowseMode::FullWindow;
    const RunReport report = Run();
    EXPECT_EQ(report.outcome, RunOutcome::NotAnExport);
    EXPECT_EQ(ui.OnlyMessage(), "File is not an Gloamery file!");
    ASSERT_TRUE(report.decided);
    EXPECT_EQ(report.decided->leftPercent, 10);
    EXPECT_EQ(report.decided->leftPixels, 20);
    EXPECT_EQ(report.decided->targetAttr, " TARGET=\"_top\"");
    EXPECT_TRUE(DestFiles().empty());
}

TEST_F(RunTest, EmptyOrHeaderOnlySourcesEndInAnOrderlyWay)
{
    Source("");
    EXPECT_EQ(Run().outcome, RunOutcome::NotAnExport);
    Source("<!DOCTYPE FIRSTFLOOR>");
    ui.messages.clear();
    EXPECT_EQ(Run().outcome, RunOutcome::NothingToWrite);
    EXPECT_EQ(ui.OnlyMessage(), "No folder with links was found; nothing was written.");
    EXPECT_TRUE(DestFiles().empty());
}

TEST_F(RunTest, MissingSourceIsReportedBeforeAnything)
{
    options.sourcePath = work / "missing.htm";
    options.procText = "5";
    const RunReport report = Run();
    EXPECT_EQ(report.outcome, RunOutcome::SourceMissing);
    EXPECT_EQ(ui.OnlyMessage(), "Gloamery source file doesn't exist!");
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_FALSE(report.decided);

    options.sourcePath = work.Path();
    ui.messages.clear();
    EXPECT_EQ(Run().outcome, RunOutcome::SourceMissing);
}

TEST_F(RunTest, MissingDestinationIsReportedBeforeTheQuestion)
{
    Source(std::string(test::kHeaderLine) + test::Folders(1));
    for (const std::string& destDir : {std::string(), destDir + "missing/", options.sourcePath}) {
        options.destDir = destDir;
        ui.messages.clear();
        EXPECT_EQ(Run().outcome, RunOutcome::DestMissing);
        EXPECT_EQ(ui.OnlyMessage(), "Destination directory doesn't exist!");
        EXPECT_TRUE(ui.questions.empty());
    }
}

TEST_F(RunTest, DestinationWithoutTrailingSeparatorStillWritesInsideIt)
{
    Source(std::string(test::kHeaderLine) + test::Folders(1));
    options.destDir = destDir.substr(0, destDir.size() - 1);
    EXPECT_EQ(Run().outcome, RunOutcome::Done);
    EXPECT_EQ(DestFiles(), (Names{"1.html", "Harrowdeck.html", "dir.html"}));
}

TEST_F(RunTest, FoldersWithoutLinksGiveAMessageAndNoFile)
{
    Source(std::string(test::kHeaderLine) + "<DT><H3>A</H3>\n<DL><p>\n</DL><p>\n<DT><H3>B</H3>\n</DL><p>\n");
    EXPECT_EQ(Run().outcome, RunOutcome::NothingToWrite);
    EXPECT_EQ(ui.OnlyMessage(), "No folder with links was found; nothing was written.");
    EXPECT_TRUE(DestFiles().empty());
}

TEST_F(RunTest, SkippedLinesAreCountedInTheCompletionMessage)
{
    Source(std::string(test::kHeaderLine) +
           "<DT><H3>A</H3>\n<DT><A HREF=\"bad>x</A>\n<DT><A HREF=\"ok\">ok</A>\n</DL><p>\n");
    RunReport report = Run();
    EXPECT_EQ(report.counts.skippedLines, 1u);
    EXPECT_EQ(ui.OnlyMessage(), "Harrowdeck.html is done!\n1 line could not be read and was left out.");

    Source(std::string(test::kHeaderLine) + "<DT>A</H3>\n<DT><H3>B</H3>\n<DT><A HREF=\"bad\n<DT><A HREF=\"ok\">ok</A>\n"
                                            "<DT><A HREF=\"bad2>\n</DL><p>\n");
    ui.messages.clear();
    report = Run();
    EXPECT_EQ(report.counts.skippedLines, 3u);
    EXPECT_EQ(ui.OnlyMessage(), "Harrowdeck.html is done!\n3 lines could not be read and were left out.");
}

TEST_F(RunTest, TenOrMoreFoldersAreNumberedInOrder)
{
    Source(std::string(test::kHeaderLine) + test::Folders(12));
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    const std::string index = ReadFile(destDir + "dir.html");
    EXPECT_LT(index.find("\"9.html\""), index.find("\"10.html\""));
    EXPECT_LT(index.find("\"10.html\""), index.find("\"12.html\""));
    EXPECT_NE(ReadFile(destDir + "10.html").find("<H3>F10</H3>"), std::string::npos);
    EXPECT_FALSE(test::PathExists(destDir + "010.html"));
}

TEST_F(RunTest, MoreFoldersThan16BitsCanCount)
{
    if (test::kOnWindows) {
        GTEST_SKIP() << "forty thousand pages take minutes under wine, whose every file call goes through its server";
    }
    Source(std::string(test::kHeaderLine) + test::Folders(40000));
    const RunReport report = Run();
    ASSERT_EQ(report.outcome, RunOutcome::Done);
    EXPECT_EQ(report.counts.pagesWritten, 40000u);
    EXPECT_NE(ReadFile(destDir + "40000.html").find("<H3>F40000</H3>"), std::string::npos);
    EXPECT_NE(ReadFile(destDir + "dir.html").find("<A HREF=\"32768.html\" TARGET=\"lankar\">F32768</A>"),
              std::string::npos);
}

TEST_F(RunTest, ASecondSmallerRunLeavesOlderPagesAndOverwritesTheRest)
{
    Source(std::string(test::kHeaderLine) + test::Folders(3, "Old"));
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    Source(std::string(test::kHeaderLine) + test::Folders(2, "New"));
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_NE(ReadFile(destDir + "1.html").find("<H3>New1</H3>"), std::string::npos);
    EXPECT_NE(ReadFile(destDir + "3.html").find("<H3>Old3</H3>"), std::string::npos);
    EXPECT_EQ(ReadFile(destDir + "dir.html").find("3.html"), std::string::npos);
}

TEST_F(RunTest, FramesetUsesTheChosenSizeMode)
{
    Source(std::string(test::kHeaderLine) + test::Folders(1));
    options.sizeMode = SizeMode::Pixels;
    options.pixelText = "300";
    options.procText = "95";
    const RunReport report = Run();
    ASSERT_EQ(report.outcome, RunOutcome::Done);
    EXPECT_NE(ReadFile(destDir + "Harrowdeck.html").find("<FRAMESET COLS=\"300,*\">"), std::string::npos);
    ASSERT_TRUE(report.decided);
    EXPECT_EQ(report.decided->leftPercent, 80);
    EXPECT_EQ(report.decided->leftPixels, 300);
}

TEST_F(RunTest, ImagesInTheDestinationSwitchTheBodies)
{
    Source(std::string(test::kHeaderLine) + test::Folders(1));
    WriteFile(destDir + "back.gif", "GIF89a");
    WriteFile(destDir + "file.gif", "GIF89a");
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    EXPECT_NE(ReadFile(destDir + "1.html").find("<BODY BACKGROUND=\"file.gif\">"), std::string::npos);
    EXPECT_NE(ReadFile(destDir + "dir.html").find("<BODY BACKGROUND=\"back.gif\">"), std::string::npos);
}

TEST_F(RunTest, CancelWritesNeitherIndexNorFrameset)
{
    std::string folder = "<DT><H3>F</H3>\n";
    for (int i = 0; i < 600; ++i) {
        folder += "<DT><A HREF=\"x\">x</A>\n";
    }
    std::string body = test::kHeaderLine;
    for (int i = 0; i < 100; ++i) {
        body += folder + "</DL><p>\n";
    }
    Source(body);
    ui.cancelAfterBytes = 0;
    const RunReport report = Run();
    EXPECT_EQ(report.outcome, RunOutcome::Cancelled);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_GT(report.counts.pagesWritten, 0u);
    EXPECT_FALSE(test::PathExists(destDir + "dir.html"));
    EXPECT_FALSE(test::PathExists(destDir + "Harrowdeck.html"));
}

TEST_F(RunTest, WriteFailureStopsTheRunAndKeepsThePreviousPages)
{
    if (!test::kCanLimitFileSize) {
        GTEST_SKIP() << "no limit on a file's size stands in for a full disk here";
    }
    Source(std::string(test::kHeaderLine) + test::Folders(3, "Old"));
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    const std::string oldFirst = ReadFile(destDir + "1.html");
    const std::string oldSecond = ReadFile(destDir + "2.html");
    const std::string oldIndex = ReadFile(destDir + "dir.html");

    // Folder 2 now has a page too large for the "disk".
    std::string links;
    for (int i = 0; i < 100; ++i) {
        links += "<DT><A HREF=\"big\">B</A>\n";
    }
    Source(std::string(test::kHeaderLine) + "<DT><H3>New1</H3>\n<DT><A HREF=\"a\">a</A>\n</DL><p>\n" +
           "<DT><H3>New2</H3>\n" + links + "</DL><p>\n" + test::Folders(1, "New3"));
    ui.messages.clear();
    RunReport report;
    {
#if !defined(_WIN32)
        FileSizeLimit limit(1000);
#endif
        report = Run();
    }
    EXPECT_EQ(report.outcome, RunOutcome::WriteFailed);
    EXPECT_EQ(report.counts.pagesWritten, 1u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Could not write " + destDir + "2.html" + ": File too large");
    EXPECT_EQ(ui.messages[0].icon, Icon::Exclamation);
    // Page 1 of the new run was complete, but it would not match the old
    // index: it stays unwritten like the rest.
    EXPECT_EQ(ReadFile(destDir + "1.html"), oldFirst);
    EXPECT_EQ(ReadFile(destDir + "2.html"), oldSecond);
    EXPECT_EQ(ReadFile(destDir + "dir.html"), oldIndex);
    EXPECT_EQ(DestFiles(), (Names{"1.html", "2.html", "3.html", "Harrowdeck.html", "dir.html"}));
}

TEST_F(RunTest, IndexWriteFailureGivesNoCompletionMessage)
{
    Source(std::string(test::kHeaderLine) + test::Folders(1));
    ASSERT_EQ(test::MakeDir(destDir + "dir.html"), 0);
    EXPECT_EQ(Run().outcome, RunOutcome::WriteFailed);
    EXPECT_EQ(ui.OnlyMessage(), "Could not write " + destDir + "dir.html" + ": Is a directory");
    EXPECT_FALSE(test::PathExists(destDir + "Harrowdeck.html"));
}

} // namespace
} // namespace harrowdeck
