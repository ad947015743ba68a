// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's rules, driven as a front end drives them, without a
// display.
#include "FakeWindows.h"

#include "ExportBuilder.h"
#include "Messages.h"
#include "ParamFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace harrowdeck::test {
namespace {

using C = MainControl;

class MainWindowLogicTest : public ::testing::Test {
protected:
    TempDir dir;
    ChooserVars chooserVars;
    FakeView view;
    AppPaths paths = MakeAppPaths(dir.Path(), dir / "config", {.writable = true});
    MainWindowLogic logic{paths, chooserVars, view};

    void StartWith(const std::string& paramLines)
    {
        WriteFile(paths.paramFile, Crlf(paramLines));
        logic.StartUp();
    }
};

// What start-up makes of the saved modes is what the buttons show and the
// next save keeps.
TEST_F(MainWindowLogicTest, StartUpSelectsTheButtonsOfTheSavedModes)
{
    const struct {
        const char* def; // sizeMode, browseMode as saved
        C sizeButton;
        C browseButton;
        SizeMode size;
        BrowseMode browse;
    } cases[] = {
        {" 1 \n 1 ", C::optProcent, C::optFrame, SizeMode::Percent, BrowseMode::Frame},
        {" 2 \n 3 ", C::optPixel, C::optNewWin, SizeMode::Pixels, BrowseMode::NewWindow},
        {" 1 \n 2 ", C::optProcent, C::optWindow, SizeMode::Percent, BrowseMode::FullWindow},
        {" 5 \n 0 ", C::optPixel, C::optNewWin, SizeMode::Pixels, BrowseMode::NewWindow},
        {" 1 \n 7 ", C::optProcent, C::optNewWin, SizeMode::Percent, BrowseMode::NewWindow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.def);
        view.checked.clear();
        StartWith("PATHS\n/d/\n/s.htm\n/\ns.htm\nDEF\n 40 \n 300 \n" + std::string(c.def) + "\n");
        EXPECT_TRUE(view.checked[c.sizeButton]);
        EXPECT_TRUE(view.checked[c.browseButton]);
        EXPECT_EQ(view.checked.size(), 3u) << "one button of each group and the check box";
        EXPECT_EQ(logic.State().sizeMode, c.size);
        EXPECT_EQ(logic.State().browseMode, c.browse);
        EXPECT_EQ(view.Text(C::txtSource), "/s.htm");
        EXPECT_EQ(view.Text(C::txtDest), "/d/");
        EXPECT_EQ(view.Text(C::txtProc), "40");
        EXPECT_EQ(view.Text(C::txtPixel), "300");
    }
    // The window is shown, then the about window, and the focus is on the
    // make button before and after it.
    const std::vector<std::string> lastStart(view.calls.end() - 4, view.calls.end());
    EXPECT_EQ(lastStart, (std::vector<std::string>{"focus Command1", "show", "about", "focus Command1"}));
}

TEST_F(MainWindowLogicTest, ControlsChangeTheState)
{
    StartWith("");
    const struct {
        C control;
        bool check; // the check box's new state
        BrowseMode browse;
        SizeMode size;
        FolderMode folders;
    } steps[] = {
        {C::optPixel, false, BrowseMode::Frame, SizeMode::Pixels, FolderMode::Top},
        {C::optNewWin, false, BrowseMode::NewWindow, SizeMode::Pixels, FolderMode::Top},
        {C::optProcent, false, BrowseMode::NewWindow, SizeMode::Percent, FolderMode::Top},
        {C::optWindow, false, BrowseMode::FullWindow, SizeMode::Percent, FolderMode::Top},
        {C::chkAllFolders, true, BrowseMode::FullWindow, SizeMode::Percent, FolderMode::All},
        {C::optFrame, false, BrowseMode::Frame, SizeMode::Percent, FolderMode::All},
        {C::chkAllFolders, false, BrowseMode::Frame, SizeMode::Percent, FolderMode::Top},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(EntryOf(step.control).name);
        if (EntryOf(step.control).kind == ControlKind::CheckBox) {
            logic.Checked(step.control, step.check);
        } else {
            logic.Selected(step.control);
        }
        EXPECT_EQ(logic.State().browseMode, step.browse);
        EXPECT_EQ(logic.State().sizeMode, step.size);
        EXPECT_EQ(logic.State().folderMode, step.folders);
    }
}

// Keys reach a width field as character codes: digits and control codes
// pass, anything else is discarded, and Enter brings the field into range
// and stores it.
TEST_F(MainWindowLogicTest, WidthFieldKeysAndEnter)
{
    StartWith("");
    const struct {
        C field;
        const char* text; // as it stands when the key comes
        int key;
        int passed; // what the field gets
        const char* after;
        int stored; // leftPercent or leftPixels afterwards
    } keys[] = {
        {C::txtProc, "4", '7', '7', "4", 25},     {C::txtProc, "4", 'a', 0, "4", 25},
        {C::txtProc, "4", '-', 0, "4", 25},       {C::txtProc, "4", ' ', 0, "4", 25},
        {C::txtProc, "4", 8, 8, "4", 25},         {C::txtProc, "4", 22, 22, "4", 25}, // Backspace, Ctrl+V
        {C::txtProc, "", 13, 0, "10", 10},        {C::txtProc, "5", 13, 0, "10", 10},
        {C::txtProc, "95", 13, 0, "80", 80},      {C::txtProc, "40", 13, 0, "40", 40},
        {C::txtProc, "1x", 13, 0, "10", 10},      {C::txtPixel, "", 13, 0, "20", 20},
        {C::txtPixel, "7", 13, 0, "20", 20},      {C::txtPixel, "999", 13, 0, "999", 999},
        {C::txtPixel, "12", 0x416, 0, "12", 999}, {C::txtSource, "/x", 'a', 'a', "/x", 999}, // not a width
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(std::string(EntryOf(k.field).name) + " '" + k.text + "' " + std::to_string(k.key));
        view.texts[k.field] = k.text;
        EXPECT_EQ(logic.KeyTyped(k.field, k.key), k.passed);
        EXPECT_EQ(view.Text(k.field), k.after);
        EXPECT_EQ(k.field == C::txtProc ? logic.State().leftPercent : logic.State().leftPixels, k.stored);
    }
    view.calls.clear();
    for (const C field : {C::txtProc, C::txtPixel, C::txtSource}) {
        logic.Focused(field);
    }
    EXPECT_EQ(view.calls, (std::vector<std::string>{"select", "select"})) << "typing replaces a width";
}

// A saved place is kept while the title bar can be grabbed there; the
// place is saved in twips at the screen's density.
TEST_F(MainWindowLogicTest, PlaceComesFromTheFileAndGoesBackToIt)
{
    const struct {
        const char* pos; // top, left in twips
        double dpi;
        WindowRect placed;
    } cases[] = {
        {" 1500 \n 3000 ", 96, {200, 100, 409, 272}},     {" 1500 \n 3000 ", 192, {400, 200, 409, 272}},
        {" 15000 \n 18000 ", 96, {1200, 1000, 409, 272}}, // right and bottom edges
        {" 15300 \n 18000 ", 96, {0, 0, 409, 272}},       // title bar below the screen
        {"-30 \n 3000 ", 96, {0, 0, 409, 272}},           // above it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pos) + " at " + std::to_string(c.dpi));
        view.dpi = c.dpi;
        StartWith("POS\n" + std::string(c.pos) + "\n");
        EXPECT_EQ(view.outer, c.placed);
        view.outer.left += 15;
        logic.SparaPara();
        MainState saved;
        ASSERT_TRUE(LoadParamFile(paths.paramFile, saved));
        EXPECT_EQ(saved.mainLeft, NearestTwips(PixelsToTwips(c.placed.left + 15, c.dpi)));
        EXPECT_EQ(saved.mainTop, NearestTwips(PixelsToTwips(c.placed.top, c.dpi)));
    }
}

TEST_F(MainWindowLogicTest, PicksChangeTheStateOnlyWhenConfirmed)
{
    StartWith("PATHS\n/old/\n/src/old.htm\n/src/\nold.htm\n");
    const struct {
        C button;
        bool confirm;
        const char* field;   // txtSource or txtDest afterwards
        const char* asked;   // the chooser's title
        const char* askedIn; // the directory it opens on
    } picks[] = {
        {C::cmdSource, false, "/src/old.htm", "Select Gloamerys exported file", "/src/"},
        {C::cmdSource, true, "/new/b.htm", "Select Gloamerys exported file", "/src/"},
        {C::cmdDest, false, "/old/", "Select destination directory", "/old/"},
        {C::cmdDest, true, "/new/", "Select destination directory", "/old/"},
    };
    for (const auto& p : picks) {
        SCOPED_TRACE(std::string(EntryOf(p.button).name) + (p.confirm ? " confirmed" : " cancelled"));
        std::string asked;
        std::string askedIn;
        const auto answer = [&](ChooserVars& vars) {
            asked = vars.title;
            askedIn = vars.dir;
            vars.result = p.confirm ? p.field : "";
            if (p.confirm) {
                vars.dir = "/new/";
                vars.file = "b.htm";
            }
        };
        view.onChooseFile = answer;
        view.onChooseDirectory = answer;
        logic.Clicked(p.button);
        EXPECT_EQ(asked, p.asked);
        EXPECT_EQ(askedIn, p.askedIn);
        const C field = p.button == C::cmdSource ? C::txtSource : C::txtDest;
        EXPECT_EQ(view.Text(field), p.field);
        EXPECT_EQ(p.button == C::cmdSource ? logic.State().sourcePath : logic.State().destDir, p.field);
    }
    EXPECT_EQ(logic.State().sourceDir, "/new/");
    EXPECT_EQ(logic.State().sourceName, "b.htm");
    EXPECT_EQ(chooserVars.flags, kChooserHideReadOnly);
    EXPECT_EQ(chooserVars.action, kChooserOpen);
}

// A run from the window: the widths the run settles reach the fields before
// it reads; an end asked for while it handles events waits for it; one
// asked for while its pages are put in place is asked again from its box.
class RunFromTheWindow : public MainWindowLogicTest {
protected:
    const std::string out = dir / "out/";

    void SetUp() override
    {
        std::filesystem::create_directory(out);
        WriteFile(dir / "big.htm", kHeaderLine + BigFolders(40, 200));
        WriteFile(paths.paramFile, Crlf("PATHS\n" + out + "\n" + dir / "big.htm" + "\n\n\n"));
    }
};

TEST_F(RunFromTheWindow, WhatEndsTheRunAndWhatTheWindowKeeps)
{
    const struct {
        const char* when;
        bool endWhileReading;
        bool endWhilePlacing;
        std::vector<std::string> boxes;
        std::vector<std::string> calls;
        bool written;
    } cases[] = {
        {"nobody", false, false, {messages::kConfirm, messages::kDone}, {}, true},
        {"an end while reading", true, false, {messages::kConfirm}, {"close"}, false},
        {"an end while placing", false, true, {messages::kConfirm, messages::kDone}, {"end request", "close"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        MainWindowLogic window(paths, chooserVars, view);
        window.StartUp();
        window.SetProgressPacing({.delay = std::chrono::milliseconds(0), .refresh = std::chrono::milliseconds(0)});
        view.texts[C::txtProc] = "5";
        view.texts[C::txtPixel] = "7";
        view.boxes.clear();
        view.calls.clear();
        bool widthsBeforeReading = false;
        bool closedMidRun = false;
        view.onEvents = [&] {
            widthsBeforeReading = view.Text(C::txtProc) == "10" && view.Text(C::txtPixel) == "20";
            const bool placing = std::filesystem::exists(out + ".harrowdeck-commit");
            if ((c.endWhileReading && !placing) || (c.endWhilePlacing && placing)) {
                window.RequestEnd();
                closedMidRun = closedMidRun || !view.calls.empty();
            }
        };
        window.Clicked(C::Command1);
        view.onEvents = nullptr;
        EXPECT_TRUE(widthsBeforeReading);
        EXPECT_FALSE(closedMidRun) << "the window closed under a run";
        EXPECT_EQ(view.BoxTexts(), c.boxes);
        EXPECT_EQ(view.calls, c.calls);
        EXPECT_EQ(std::filesystem::exists(out + "Harrowdeck.html"), c.written);
        EXPECT_EQ(window.State().leftPercent, 10);
        EXPECT_EQ(window.State().leftPixels, 20);
    }
}

} // namespace
} // namespace harrowdeck::test
