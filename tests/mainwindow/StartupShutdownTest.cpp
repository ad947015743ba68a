// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up from the parameter file and the save at shutdown.
#include "MainWindowFixture.h"

#include "ParamFile.h"
#include "ResourceLimit.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

namespace harrowdeck::test {
namespace {

class StartupShutdown : public MainWindowFixture {
protected:
    // The window's position in twips, as the parameter file keeps it.
    [[nodiscard]] std::pair<double, double> LeftTop() const
    {
        const WindowRect outer = OuterRectInTwips(*window);
        return {outer.left, outer.top};
    }

    void ExpectFields(const char* source, const char* dest, const char* percent, const char* pixels)
    {
        EXPECT_EQ(Text("txtSource"), source);
        EXPECT_EQ(Text("txtDest"), dest);
        EXPECT_EQ(Text("txtProc"), percent);
        EXPECT_EQ(Text("txtPixel"), pixels);
    }
};

TEST_F(StartupShutdown, FirstStartWithoutAFile)
{
    Start();
    ExpectFields("", "", "25", "140");
    EXPECT_TRUE(Selected("optProcent"));
    EXPECT_TRUE(Selected("optFrame"));
    EXPECT_EQ(LeftTop(), std::make_pair(0.0, 0.0));
    EXPECT_TRUE(window->isVisible());
    // The about window comes last, over the visible main window.
    ASSERT_EQ(runner.shown.size(), 1u);
    EXPECT_EQ(runner.shown[0].objectName, "frmStart");
}

TEST_F(StartupShutdown, PathsOnly)
{
    StartWith("PATHS\n/data/out, 2/\n/data/export.htm\n/data/\nexport.htm\n");
    ExpectFields("/data/export.htm", "/data/out, 2/", "25", "140");
    EXPECT_EQ(window->State().sourceDir, "/data/");
    EXPECT_EQ(window->State().sourceName, "export.htm");
    EXPECT_TRUE(Selected("optProcent"));
    EXPECT_TRUE(Selected("optFrame"));
    EXPECT_EQ(LeftTop(), std::make_pair(0.0, 0.0));
}

TEST_F(StartupShutdown, SizeWithoutDefSavesADefSection)
{
    StartWith("SIZE\n 30\n");
    ExpectFields("", "", "30", "140");
    window->close();
    const std::string saved = ReadFile(ParamFile());
    EXPECT_NE(saved.find("DEF\r\n 30 \r\n 140 \r\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("SIZE"), std::string::npos);
}

TEST_F(StartupShutdown, SelectedButtonsFollowTheModes)
{
    struct Case {
        int sizeMode;
        int browseMode;
        const char* sizeButton;
        const char* browseButton;
        BrowseMode browseAfter;
    };
    const Case cases[] = {
        {2, 3, "optPixel", "optNewWin", BrowseMode::NewWindow},
        {1, 2, "optProcent", "optWindow", BrowseMode::FullWindow},
        {1, 0, "optProcent", "optNewWin", BrowseMode::NewWindow},
        {5, 7, "optPixel", "optNewWin", BrowseMode::NewWindow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.sizeMode) + "/" + std::to_string(c.browseMode));
        StartWith("DEF\n 40 \n 300 \n " + std::to_string(c.sizeMode) + " \n " + std::to_string(c.browseMode) + " \n");
        EXPECT_TRUE(Selected(c.sizeButton));
        EXPECT_TRUE(Selected(c.browseButton));
        EXPECT_EQ(window->State().browseMode, c.browseAfter);
        EXPECT_EQ(window->State().sizeMode, c.sizeMode == 1 ? SizeMode::Percent : SizeMode::Pixels);
        ExpectFields("", "", "40", "300");
        // What the start-up made of the modes is what the next save keeps.
        window->close();
        MainState saved;
        ASSERT_TRUE(LoadParamFile(ParamFile(), saved));
        EXPECT_EQ(saved.browseMode, c.browseAfter);
    }
}

TEST_F(StartupShutdown, TheFoldersSectionSetsTheCheckBox)
{
    const std::pair<const char*, bool> cases[] = {
        {"FOLDERS\n 2 \n", true}, {"FOLDERS\n 7 \n", false}, {"DEF\n 40 \n 300 \n 1 \n 1 \n", false}};
    for (const auto& [file, checked] : cases) {
        SCOPED_TRACE(file);
        StartWith(file);
        EXPECT_EQ(Get<QCheckBox>("chkAllFolders").isChecked(), checked);
        EXPECT_EQ(window->State().folderMode, checked ? FolderMode::All : FolderMode::Top);
        window->close();
    }
}

TEST_F(StartupShutdown, DamagedNumberKeepsWhatCameBefore)
{
    StartWith("PATHS\n/d/\n/s.htm\n/\ns.htm\nPOS\n 1500 \n 3000 \nDEF\n 60 \n 1x \n 2 \n 2 \n");
    ExpectFields("/s.htm", "/d/", "60", "140");
    EXPECT_TRUE(Selected("optProcent"));
    EXPECT_TRUE(Selected("optFrame"));
    EXPECT_EQ(LeftTop(), std::make_pair(3000.0, 1500.0));
}

TEST_F(StartupShutdown, ShutdownWritesTheFileAndRemovesProgTmp)
{
    for (const bool byQuit : {true, false}) {
        SCOPED_TRACE(byQuit ? "Quit" : "close control");
        StartWith("PATHS\nC:/A, B/\n/s.htm\n/\ns.htm\nPOS\n 1500 \n 3000 \nDEF\n 40 \n 999 \n 2 \n 3 \n");
        WriteFile(dir / "Prog.tmp", "scratch");
        bool finished = false;
        QObject::connect(window.get(), &frmMain::shutdownFinished, [&finished] { finished = true; });
        if (byQuit) {
            Get<QAction>("mnuQuit").trigger();
        } else {
            window->close();
        }
        EXPECT_TRUE(finished);
        EXPECT_FALSE(window->isVisible());
        EXPECT_FALSE(PathExists(dir / "Prog.tmp"));
        EXPECT_EQ(ReadFile(ParamFile()), Crlf("PATHS\nC:/A, B/\n/s.htm\n/\ns.htm\n"
                                              "POS\n 1500 \n 3000 \n"
                                              "DEF\n 40 \n 999 \n 2 \n 3 \n"
                                              "FOLDERS\n 1 \n"));
    }
}

TEST_F(StartupShutdown, ShutdownSavesOnlyOnce)
{
    Start();
    int finished = 0;
    QObject::connect(window.get(), &frmMain::shutdownFinished, [&finished] { ++finished; });
    window->close();
    window->RequestClose();
    EXPECT_EQ(finished, 1);
}

TEST_F(StartupShutdown, SavesTheMovedWindowAndTheChangedChoices)
{
    Start();
    MoveToTwips(*window, 4500, 750);
    QTest::mouseClick(&Get<QRadioButton>("optWindow"), Qt::LeftButton);
    window->close();
    MainState saved;
    ASSERT_TRUE(LoadParamFile(ParamFile(), saved));
    EXPECT_EQ(saved.mainLeft, 4500);
    EXPECT_EQ(saved.mainTop, 750);
    EXPECT_EQ(saved.browseMode, BrowseMode::FullWindow);
}

TEST_F(StartupShutdown, PixelsConfirmedWithEnterSurviveARestart)
{
    Start();
    QLineEdit& pixels = Get<QLineEdit>("txtPixel");
    pixels.clear();
    QTest::keyClicks(&pixels, "300");
    QTest::keyClick(&pixels, Qt::Key_Return);
    Get<QAction>("mnuQuit").trigger();
    Start();
    EXPECT_EQ(Text("txtPixel"), "300");
}

// A position on no screen (an unplugged monitor) would hide the program;
// one on a screen, a second one included, is kept.
TEST_F(StartupShutdown, WindowEndsOnAScreen)
{
    if (QGuiApplication::screens().size() < 2) {
        GTEST_SKIP() << "needs the two-screen offscreen platform";
    }
    const QRect second = QGuiApplication::screens().at(1)->geometry();
    const double inside = (second.left() + 10) * 15.0;
    const std::pair<std::string, std::pair<double, double>> cases[] = {
        {" 60000 \n 60000 ", {0, 0}},
        {"-30000 \n-30000 ", {0, 0}},
        {" 150 \n " + std::to_string(int(inside)) + " ", {inside, 150}},
    };
    for (const auto& [pos, expected] : cases) {
        SCOPED_TRACE(pos);
        StartWith("POS\n" + pos + "\n");
        EXPECT_EQ(LeftTop(), expected);
        window->close();
        MainState saved;
        ASSERT_TRUE(LoadParamFile(ParamFile(), saved));
        EXPECT_EQ(std::make_pair(double(saved.mainLeft), double(saved.mainTop)), expected);
    }
}

TEST_F(StartupShutdown, PositionBeyondSixteenBitsRoundTrips)
{
    StartWith("POS\n 45000 \n 60000 \nDEF\n 30 \n 140 \n 1 \n 1 \n");
    EXPECT_EQ(LeftTop(), std::make_pair(60000.0, 45000.0));
    EXPECT_EQ(Text("txtProc"), "30");
    window->close();
    const std::string saved = ReadFile(ParamFile());
    EXPECT_NE(saved.find("POS\r\n 45000 \r\n 60000 \r\nDEF\r\n 30 \r\n"), std::string::npos) << saved;
}

TEST_F(StartupShutdown, FailedSaveKeepsTheOldFile)
{
    const std::string old = Crlf("PATHS\n/d/\n/s.htm\n/\ns.htm\nPOS\n 15 \n 15 \nDEF\n 40 \n 200 \n 1 \n 1 \n");
    StartWith("PATHS\n/d/\n/s.htm\n/\ns.htm\nPOS\n 15 \n 15 \nDEF\n 40 \n 200 \n 1 \n 1 \n");
    QTest::mouseClick(&Get<QRadioButton>("optNewWin"), Qt::LeftButton);

    {
        FileSizeLimit limit(30); // the save fails inside the POS section
        window->close();
    }

    EXPECT_EQ(ReadFile(ParamFile()), old);
}

TEST_F(StartupShutdown, ParamsGoToTheConfigDirectoryWhenTheProgramDirIsNotUsed)
{
    const AppPaths paths = MakeAppPaths(dir / "readonly-program-dir", dir / "config/Harrowdeck", {.writable = false});
    window = std::make_unique<frmMain>(paths, chooserVars, runner);
    window->StartUp();
    window->close();
    EXPECT_TRUE(PathExists(dir / "config/Harrowdeck/Harrowdeck.ini"));
}

} // namespace
} // namespace harrowdeck::test
