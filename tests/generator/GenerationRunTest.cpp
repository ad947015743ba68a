// SPDX-License-Identifier: GPL-3.0-or-later
#include "GenerationRun.h"

#include "Messages.h"
#include "FileSizeLimit.h"
#include "ScriptedUi.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace harrowdeck {
namespace {

using test::Crlf;
using test::DataPath;
using test::FileSizeLimit;
using test::ReadFile;
using test::ScriptedUi;
using test::TempDir;
using test::WriteFile;
using Icon = UserInterface::Icon;

constexpr const char* kHeader = "<!DOCTYPE FIRSTFLOOR>\n";

// A source file and a destination directory, with the main window's state
// pointing at them.
class RunTest : public ::testing::Test {
protected:
    TempDir src;
    TempDir dest;
    MainState state;
    ScriptedUi ui;

    void SetUp() override
    {
        state.sourcePath = src / "export.htm";
        state.destDir = dest.Path();
    }

    void Source(const std::string& body) { WriteFile(state.sourcePath, body); }
    RunReport Run() { return MakeFrameset(state, ui); }

    std::vector<std::string> DestFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dest.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

using Names = std::vector<std::string>;

std::string Folders(int count, const std::string& prefix = "F")
{
    std::string body;
    for (int i = 1; i <= count; ++i) {
        body += "<DT><H3>" + prefix + std::to_string(i) + "</H3>\n<DT><A HREF=\"" + std::to_string(i) +
                ".htm\">L</A>\n</DL><p>\n";
    }
    return body;
}

TEST_F(RunTest, WorkedExampleMatchesTheGoldenPagesByteForByte)
{
    state.sourcePath = DataPath("worked/export.htm");
    state.browseMode = kBrowseFullWindow;
    state.procText = "25";
    const RunReport report = Run();
    EXPECT_EQ(report.outcome, RunOutcome::Done);
    EXPECT_EQ(report.pagesWritten, 2u);
    EXPECT_EQ(report.linksWritten, 3u);
    EXPECT_EQ(ui.questions, Names{"Shall you make a new Harrowdeck file ?"});
    ASSERT_EQ(ui.messages.size(), 1u);
    // The worked example's one link outside every folder is left out, and said so.
    EXPECT_EQ(ui.messages[0].text, "Harrowdeck.html is done!\n1 link outside any folder was left out.");
    EXPECT_EQ(report.leftOutLinks, 1u);
    EXPECT_EQ(ui.messages[0].icon, Icon::None);
    EXPECT_EQ(DestFiles(), (Names{"1.html", "2.html", "Harrowdeck.html", "dir.html"}));
    for (const char* page : {"1.html", "2.html", "dir.html", "Harrowdeck.html"}) {
        EXPECT_EQ(ReadFile(dest / page), ReadFile(DataPath(std::string("worked/") + page))) << page;
    }
}

TEST_F(RunTest, TargetFollowsTheBrowsingMode)
{
    Source(std::string(kHeader) + "<DT><H3>A</H3>\n<DT><A HREF=\"x\" ADD=\"1\">X</A>\n</DL><p>\n");
    const std::pair<int, std::string> cases[] = {
        {kBrowseFrame, ""}, {kBrowseFullWindow, " TARGET=\"_top\""}, {kBrowseNewWindow, " TARGET=\"_blank\""},
        {0, " TARGET=\"_blank\""}, {7, " TARGET=\"_blank\""}};
    for (const auto& [mode, target] : cases) {
        state.browseMode = mode;
        ASSERT_EQ(Run().outcome, RunOutcome::Done);
        EXPECT_EQ(state.targetAttr, target);
        EXPECT_NE(ReadFile(dest / "1.html").find("<A HREF=\"x\"" + target + ">X</A><BR>\r\n"), std::string::npos);
    }
}

TEST_F(RunTest, AnsweringNoChangesNothing)
{
    Source(std::string(kHeader) + Folders(2));
    state.procText = "95";
    state.pixelText = "7";
    state.targetAttr = "before";
    ui.answers = {false};
    const MainState before = state;
    EXPECT_EQ(Run().outcome, RunOutcome::Declined);
    EXPECT_EQ(state.procText, before.procText);
    EXPECT_EQ(state.pixelText, before.pixelText);
    EXPECT_EQ(state.leftPercent, before.leftPercent);
    EXPECT_EQ(state.targetAttr, "before");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(DestFiles().empty());
}

TEST_F(RunTest, StopAtTheExportCheckKeepsTheNormalisedWidths)
{
    Source("<HTML>\n" + Folders(1));
    state.procText = "";
    state.pixelText = "7";
    state.browseMode = kBrowseFullWindow;
    EXPECT_EQ(Run().outcome, RunOutcome::NotAnExport);
    EXPECT_EQ(ui.OnlyMessage(), "File is not an Gloamery file!");
    EXPECT_EQ(state.procText, "10");
    EXPECT_EQ(state.leftPercent, 10);
    EXPECT_EQ(state.pixelText, "20");
    EXPECT_EQ(state.leftPixels, 20);
    EXPECT_EQ(state.targetAttr, " TARGET=\"_top\"");
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
    state.sourcePath = src / "missing.htm";
    state.procText = "5";
    EXPECT_EQ(Run().outcome, RunOutcome::SourceMissing);
    EXPECT_EQ(ui.OnlyMessage(), "Gloamery source file doesn't exist!");
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(state.procText, "5");

    state.sourcePath = src.Path();
    ui.messages.clear();
    EXPECT_EQ(Run().outcome, RunOutcome::SourceMissing);
}

TEST_F(RunTest, MissingDestinationIsReportedBeforeTheQuestion)
{
    Source(std::string(kHeader) + Folders(1));
    for (const std::string& destDir : {std::string(), dest / "missing/", state.sourcePath}) {
        state.destDir = destDir;
        ui.messages.clear();
        EXPECT_EQ(Run().outcome, RunOutcome::DestMissing);
        EXPECT_EQ(ui.OnlyMessage(), "Destination directory doesn't exist!");
        EXPECT_TRUE(ui.questions.empty());
    }
}

TEST_F(RunTest, DestinationWithoutTrailingSeparatorStillWritesInsideIt)
{
    Source(std::string(kHeader) + Folders(1));
    state.destDir = dest.Path().substr(0, dest.Path().size() - 1);
    EXPECT_EQ(Run().outcome, RunOutcome::Done);
    EXPECT_EQ(DestFiles(), (Names{"1.html", "Harrowdeck.html", "dir.html"}));
}

TEST_F(RunTest, FoldersWithoutLinksGiveAMessageAndNoFile)
{
    Source(std::string(kHeader) + "<DT><H3>A</H3>\n<DL><p>\n</DL><p>\n<DT><H3>B</H3>\n</DL><p>\n");
    EXPECT_EQ(Run().outcome, RunOutcome::NothingToWrite);
    EXPECT_EQ(ui.OnlyMessage(), "No folder with links was found; nothing was written.");
    EXPECT_TRUE(DestFiles().empty());
}

TEST_F(RunTest, SkippedLinesAreCountedInTheCompletionMessage)
{
    Source(std::string(kHeader) + "<DT><H3>A</H3>\n<DT><A HREF=\"bad>x</A>\n<DT><A HREF=\"ok\">ok</A>\n</DL><p>\n");
    RunReport report = Run();
    EXPECT_EQ(report.skippedLines, 1u);
    EXPECT_EQ(ui.OnlyMessage(), "Harrowdeck.html is done!\n1 line could not be read and was left out.");

    Source(std::string(kHeader) + "<DT>A</H3>\n<DT><H3>B</H3>\n<DT><A HREF=\"bad\n<DT><A HREF=\"ok\">ok</A>\n"
                                  "<DT><A HREF=\"bad2>\n</DL><p>\n");
    ui.messages.clear();
    report = Run();
    EXPECT_EQ(report.skippedLines, 3u);
    EXPECT_EQ(ui.OnlyMessage(), "Harrowdeck.html is done!\n3 lines could not be read and were left out.");
}

TEST_F(RunTest, TenOrMoreFoldersAreNumberedInOrder)
{
    Source(std::string(kHeader) + Folders(12));
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    const std::string index = ReadFile(dest / "dir.html");
    EXPECT_LT(index.find("\"9.html\""), index.find("\"10.html\""));
    EXPECT_LT(index.find("\"10.html\""), index.find("\"12.html\""));
    EXPECT_NE(ReadFile(dest / "10.html").find("<H3>F10</H3>"), std::string::npos);
    EXPECT_FALSE(test::PathExists(dest / "010.html"));
}

TEST_F(RunTest, MoreFoldersThan16BitsCanCount)
{
    Source(std::string(kHeader) + Folders(40000));
    const RunReport report = Run();
    ASSERT_EQ(report.outcome, RunOutcome::Done);
    EXPECT_EQ(report.pagesWritten, 40000u);
    EXPECT_NE(ReadFile(dest / "40000.html").find("<H3>F40000</H3>"), std::string::npos);
    EXPECT_NE(ReadFile(dest / "dir.html").find("<A HREF=\"32768.html\" TARGET=\"lankar\">F32768</A>"),
              std::string::npos);
}

TEST_F(RunTest, ASecondSmallerRunLeavesOlderPagesAndOverwritesTheRest)
{
    Source(std::string(kHeader) + Folders(3, "Old"));
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    Source(std::string(kHeader) + Folders(2, "New"));
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_NE(ReadFile(dest / "1.html").find("<H3>New1</H3>"), std::string::npos);
    EXPECT_NE(ReadFile(dest / "3.html").find("<H3>Old3</H3>"), std::string::npos);
    EXPECT_EQ(ReadFile(dest / "dir.html").find("3.html"), std::string::npos);
}

TEST_F(RunTest, FramesetUsesTheChosenSizeMode)
{
    Source(std::string(kHeader) + Folders(1));
    state.sizeMode = kSizePixels;
    state.pixelText = "300";
    state.procText = "95";
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    EXPECT_NE(ReadFile(dest / "Harrowdeck.html").find("<FRAMESET COLS=\"300,*\">"), std::string::npos);
    EXPECT_EQ(state.procText, "80");
    EXPECT_EQ(state.leftPixels, 300);
}

TEST_F(RunTest, ImagesInTheDestinationSwitchTheBodies)
{
    Source(std::string(kHeader) + Folders(1));
    WriteFile(dest / "back.gif", "GIF89a");
    WriteFile(dest / "file.gif", "GIF89a");
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    EXPECT_NE(ReadFile(dest / "1.html").find("<BODY BACKGROUND=\"file.gif\">"), std::string::npos);
    EXPECT_NE(ReadFile(dest / "dir.html").find("<BODY BACKGROUND=\"back.gif\">"), std::string::npos);
}

TEST_F(RunTest, CancelWritesNeitherIndexNorFrameset)
{
    std::string folder = "<DT><H3>F</H3>\n";
    for (int i = 0; i < 600; ++i) {
        folder += "<DT><A HREF=\"x\">x</A>\n";
    }
    std::string body = kHeader;
    for (int i = 0; i < 100; ++i) {
        body += folder + "</DL><p>\n";
    }
    Source(body);
    ui.cancelAfterBytes = 0;
    const RunReport report = Run();
    EXPECT_EQ(report.outcome, RunOutcome::Cancelled);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_GT(report.pagesWritten, 0u);
    EXPECT_FALSE(test::PathExists(dest / "dir.html"));
    EXPECT_FALSE(test::PathExists(dest / "Harrowdeck.html"));
}

TEST_F(RunTest, WriteFailureStopsTheRunAndKeepsThePreviousPages)
{
    Source(std::string(kHeader) + Folders(3, "Old"));
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    const std::string oldFirst = ReadFile(dest / "1.html");
    const std::string oldSecond = ReadFile(dest / "2.html");
    const std::string oldIndex = ReadFile(dest / "dir.html");

    // Folder 2 now has a page too large for the "disk".
    std::string links;
    for (int i = 0; i < 100; ++i) {
        links += "<DT><A HREF=\"big\">B</A>\n";
    }
    Source(std::string(kHeader) + "<DT><H3>New1</H3>\n<DT><A HREF=\"a\">a</A>\n</DL><p>\n" +
           "<DT><H3>New2</H3>\n" + links + "</DL><p>\n" + Folders(1, "New3"));
    ui.messages.clear();
    RunReport report;
    {
        FileSizeLimit limit(1000);
        report = Run();
    }
    EXPECT_EQ(report.outcome, RunOutcome::WriteFailed);
    EXPECT_EQ(report.pagesWritten, 1u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Could not write " + dest / "2.html" + ": File too large");
    EXPECT_EQ(ui.messages[0].icon, Icon::Exclamation);
    // Page 1 of the new run was complete, but it would not match the old
    // index: it stays unwritten like the rest.
    EXPECT_EQ(ReadFile(dest / "1.html"), oldFirst);
    EXPECT_EQ(ReadFile(dest / "2.html"), oldSecond);
    EXPECT_EQ(ReadFile(dest / "dir.html"), oldIndex);
    EXPECT_EQ(DestFiles(), (Names{"1.html", "2.html", "3.html", "Harrowdeck.html", "dir.html"}));
}

TEST_F(RunTest, IndexWriteFailureGivesNoCompletionMessage)
{
    Source(std::string(kHeader) + Folders(1));
    ASSERT_EQ(::mkdir((dest / "dir.html").c_str(), 0755), 0);
    EXPECT_EQ(Run().outcome, RunOutcome::WriteFailed);
    EXPECT_EQ(ui.OnlyMessage(), "Could not write " + dest / "dir.html" + ": Is a directory");
    EXPECT_FALSE(test::PathExists(dest / "Harrowdeck.html"));
}

} // namespace
} // namespace harrowdeck
