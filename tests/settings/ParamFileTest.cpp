// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParamFile.h"

#include "ChosenState.h"
#include "Messages.h"
#include "ResourceLimit.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

namespace harrowdeck {
namespace {

namespace fs = std::filesystem;
using test::Crlf;

MainState Read(const std::string& bytes, bool* completed = nullptr)
{
    MemorySource source(bytes);
    MainState state;
    const bool ok = ReadParams(source, state);
    if (completed != nullptr) {
        *completed = ok;
    }
    return state;
}

constexpr auto Chosen = test::ChosenState;

TEST(ParamFile, WritesFifteenLinesWithCrLf)
{
    EXPECT_EQ(FormatParams(Chosen()), Crlf("PATHS\n"
                                           "/home/user/A, B/\n"
                                           "/home/user/export.htm\n"
                                           "/home/user/\n"
                                           "export.htm\n"
                                           "POS\n"
                                           " 1500 \n"
                                           "-120 \n"
                                           "DEF\n"
                                           " 33 \n"
                                           " 999 \n"
                                           " 2 \n"
                                           " 3 \n"
                                           "FOLDERS\n"
                                           " 2 \n"));
    EXPECT_EQ(FormatParamNumber(0), " 0 ");
    EXPECT_EQ(FormatParamNumber(-32768), "-32768 ");
}

TEST(ParamFile, ReadsBackWhatItWrites)
{
    const MainState read = Read(FormatParams(Chosen()));
    const MainState chosen = Chosen();
    EXPECT_EQ(read.destDir, chosen.destDir);
    EXPECT_EQ(read.sourcePath, chosen.sourcePath);
    EXPECT_EQ(read.sourceDir, chosen.sourceDir);
    EXPECT_EQ(read.sourceName, chosen.sourceName);
    EXPECT_EQ(read.mainTop, chosen.mainTop);
    EXPECT_EQ(read.mainLeft, chosen.mainLeft);
    EXPECT_EQ(read.leftPercent, chosen.leftPercent);
    EXPECT_EQ(read.leftPixels, chosen.leftPixels);
    EXPECT_EQ(read.sizeMode, chosen.sizeMode);
    EXPECT_EQ(read.browseMode, chosen.browseMode);
    EXPECT_EQ(read.folderMode, chosen.folderMode);
}

TEST(ParamFile, PathLinesMayBeEmptyOrUpTo64KiB)
{
    const MainState read = Read(Crlf("PATHS\n\n\n\n\nDEF\n 30 \n 140 \n 1 \n 1 \n"));
    EXPECT_EQ(read.destDir, "");
    EXPECT_EQ(read.sourceName, "");
    EXPECT_EQ(read.leftPercent, 30);
    EXPECT_EQ(Read(Crlf("PATHS\n" + std::string(65536, 'p') + "\n\n\n\n")).destDir, std::string(65536, 'p'));
}

TEST(ParamFile, SectionsInAnyOrderLaterOnesWin)
{
    const MainState read = Read(Crlf("junk\n"
                                     "DEF\n 40 \n 200 \n 2 \n 2 \n"
                                     "paths\n"     // markers are case-sensitive
                                     "PATHS \n"    // and exact
                                     "SIZE\n 30\n" // the old section sets the percent only
                                     "POS\n-15\n 45\n"
                                     "POS\n 30 \n 60 \n"));
    EXPECT_EQ(read.leftPercent, 30);
    EXPECT_EQ(read.leftPixels, 200);
    EXPECT_EQ(read.sizeMode, SizeMode::Pixels);
    EXPECT_EQ(read.mainTop, 30);
    EXPECT_EQ(read.mainLeft, 60);
    EXPECT_EQ(read.destDir, "");
}

// Sizes are taken as they are; a mode number the program never writes keeps
// the meaning the start-up gives it: pixels, and a new window.
TEST(ParamFile, ModesAndSizesAreTakenAsTheyAre)
{
    const MainState read = Read(Crlf("DEF\n -5 \n 0 \n 9 \n 7 \n"));
    EXPECT_EQ(read.leftPercent, -5);
    EXPECT_EQ(read.leftPixels, 0);
    EXPECT_EQ(read.sizeMode, SizeMode::Pixels);
    EXPECT_EQ(read.browseMode, BrowseMode::NewWindow);
    const std::pair<const char*, BrowseMode> browse[] = {{"1", BrowseMode::Frame},
                                                         {"2", BrowseMode::FullWindow},
                                                         {"3", BrowseMode::NewWindow},
                                                         {"0", BrowseMode::NewWindow},
                                                         {"-1", BrowseMode::NewWindow}};
    for (const auto& [number, mode] : browse) {
        EXPECT_EQ(Read(Crlf(std::string("DEF\n 25 \n 140 \n 2 \n ") + number + " \n")).browseMode, mode) << number;
    }
    EXPECT_EQ(Read(Crlf("DEF\n 25 \n 140 \n 1 \n 1 \n")).sizeMode, SizeMode::Percent);
    EXPECT_EQ(Read(Crlf("DEF\n 25 \n 140 \n 0 \n 1 \n")).sizeMode, SizeMode::Pixels);
}

// Only 2 is every folder; a file from before the section, or any other
// number, gives the classic pages.
TEST(ParamFile, FoldersSectionChoosesTheFolderMode)
{
    EXPECT_EQ(Read(Crlf("FOLDERS\n 2 \n")).folderMode, FolderMode::All);
    EXPECT_EQ(Read(Crlf("FOLDERS\n 2 \nFOLDERS\n 7 \n")).folderMode, FolderMode::Top);
    EXPECT_EQ(Read(Crlf("FOLDERS\n 1 \n")).folderMode, FolderMode::Top);
    EXPECT_EQ(Read(Crlf("PATHS\n/d/\n/s.htm\n/\ns.htm\nDEF\n 50 \n 300 \n 1 \n 2 \n")).folderMode, FolderMode::Top);
    bool completed = true;
    EXPECT_EQ(Read(Crlf("FOLDERS\n 2 \nFOLDERS\n two \n"), &completed).folderMode, FolderMode::All);
    EXPECT_FALSE(completed);
}

TEST(ParamFile, AcceptsLoneLfAndCrLineEnds)
{
    const MainState read = Read("PATHS\n/d/\n/s.htm\n/\ns.htm\nDEF\n 50 \n 300 \n 1 \n 2 \n");
    EXPECT_EQ(read.sourcePath, "/s.htm");
    EXPECT_EQ(read.leftPixels, 300);
    EXPECT_EQ(read.browseMode, BrowseMode::FullWindow);
    EXPECT_EQ(Read("POS\r 7 \r 8 \r").mainLeft, 8);
}

// Reading stops at the first damage and keeps what came before it.
TEST(ParamFile, StopsAtTheFirstFailure)
{
    struct Case {
        const char* what;
        std::string file;
        int percent;
        int pixels;
        BrowseMode browseMode;
    };
    constexpr BrowseMode kFrame = BrowseMode::Frame;
    constexpr BrowseMode kNew = BrowseMode::NewWindow;
    const Case cases[] = {
        {"damaged number", "DEF\n 40 \n 1x0 \n 2 \n 3 \nPOS\n 15 \n 15 \n", 40, 140, kFrame},
        {"empty number", "DEF\n 40 \n\n 2 \n 3 \n", 40, 140, kFrame},
        {"beyond 16 bits", "DEF\n 40 \n 32768 \n 2 \n 3 \n", 40, 140, kFrame},
        {"ends inside a section", "DEF\n 40 \n 200 \n", 40, 200, kFrame},
        {"later section ignored", "SIZE\n 3x\nDEF\n 40 \n 200 \n 2 \n 3 \n", 25, 140, kFrame},
        {"marker cut by the end", "DEF\n 40 \n 200 \n 2 \n 3 \nPOS", 40, 200, kNew},
        {"over 64 KiB", "DEF\n 40 \n 200 \n 2 \n 3 \n" + std::string(65537, 'x') + "\nPOS\n 15 \n 15 \n", 40, 200,
         kNew},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool completed = true;
        const MainState read = Read(Crlf(c.file), &completed);
        EXPECT_FALSE(completed);
        EXPECT_EQ(read.leftPercent, c.percent);
        EXPECT_EQ(read.leftPixels, c.pixels);
        EXPECT_EQ(read.browseMode, c.browseMode);
        EXPECT_EQ(read.mainTop, 0);
    }
}

TEST(ParamFile, PositionsUseThirtyTwoBits)
{
    const MainState read = Read(Crlf("POS\n 45000 \n-40000 \nDEF\n 30 \n 140 \n 1 \n 1 \n"));
    EXPECT_EQ(read.mainTop, 45000);
    EXPECT_EQ(read.mainLeft, -40000);
    EXPECT_EQ(read.leftPercent, 30); // the section after the position is not lost
    MainState wide;
    wide.mainTop = 2147483647;
    EXPECT_EQ(Read(FormatParams(wide)).mainTop, 2147483647);
    bool completed = true;
    (void)Read(Crlf("POS\n 2147483648 \n 0 \n"), &completed);
    EXPECT_FALSE(completed);
}

TEST(ParamFile, MissingFileLeavesTheState)
{
    test::TempDir dir;
    MainState state = Chosen();
    EXPECT_FALSE(LoadParamFile(dir / "none.ini", state));
    EXPECT_EQ(state.leftPixels, 999);
}

TEST(ParamFile, SaveReplacesTheFileAndLeavesNoTemporary)
{
    test::TempDir dir;
    const std::string path = dir / "Harrowdeck.ini";
    test::WriteFile(path, "old contents that are longer than the new ones, much longer\r\n");
    fs::permissions(path, fs::perms(0660)); // wider than the usual umask lets a new file be
    const std::optional<IoError> error = SaveParamFile(path, Chosen());
    ASSERT_FALSE(error) << error->reason;
    EXPECT_EQ(test::ReadFile(path), FormatParams(Chosen()));
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0660));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 1);
}

// A user who keeps the settings elsewhere and links them in (a dotfiles
// repository) must find the link still there after a save, and the file it
// names updated, not silently forsaken for a new file in the link's place.
TEST(ParamFile, ASymlinkedFileStaysALinkAndTheFileItNamesIsWritten)
{
    test::TempDir dir;
    const std::string link = dir / "config/Harrowdeck.ini";
    const std::string real = dir / "real/Harrowdeck.ini";
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> links; // path, contents
        bool realExists = true;
    };
    const std::vector<Case> cases = {
        {"a relative link", {{link, "../real/Harrowdeck.ini"}}},
        {"an absolute link to a link", {{link, dir / "real/alias.ini"}, {dir / "real/alias.ini", "Harrowdeck.ini"}}},
        {"a link to a file not made yet", {{link, "../real/Harrowdeck.ini"}}, false},
    };
    const auto names = [&dir] {
        std::vector<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
            found.push_back(entry.path().string());
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir / "config");
        fs::remove_all(dir / "real");
        fs::create_directory(dir / "config");
        fs::create_directory(dir / "real");
        if (c.realExists) {
            test::WriteFile(real, "old");
            fs::permissions(real, fs::perms(0640));
        }
        for (const auto& [path, contents] : c.links) {
            fs::create_symlink(contents, path);
        }
        std::vector<std::string> expectedNames = names();
        if (!c.realExists) {
            expectedNames.push_back(real);
            std::sort(expectedNames.begin(), expectedNames.end());
        }

        const std::optional<IoError> error = SaveParamFile(link, Chosen());
        ASSERT_FALSE(error) << error->path << ": " << error->reason;
        for (const auto& [path, contents] : c.links) {
            EXPECT_TRUE(fs::is_symlink(path)) << path << " was replaced";
            EXPECT_EQ(fs::read_symlink(path).string(), contents);
        }
        EXPECT_EQ(test::ReadFile(real), FormatParams(Chosen()));
        if (c.realExists) {
            EXPECT_EQ(fs::status(real).permissions(), fs::perms(0640));
        }
        EXPECT_EQ(names(), expectedNames) << "a temporary file was left, or a file written elsewhere";
    }
}

TEST(ParamFile, SaveIntoAMissingDirectoryFailsWithThePath)
{
    test::TempDir dir;
    const std::string path = dir / "missing/Harrowdeck.ini";
    const std::optional<IoError> error = SaveParamFile(path, Chosen());
    EXPECT_EQ(error ? messages::CouldNotWrite(error->path, error->reason) : "saved",
              "Could not write " + path + ": No such file or directory");
}

// A write that fails half-way (here: the file-size limit, which holds even
// for root) must not cost the user the old file.
TEST(ParamFile, FailedSaveKeepsTheOldFile)
{
    test::TempDir dir;
    const std::string path = dir / "Harrowdeck.ini";
    const std::string old = FormatParams(MainState{});
    test::WriteFile(path, old);

    const std::optional<IoError> error = [&] {
        test::FileSizeLimit limit(20);
        return SaveParamFile(path, Chosen());
    }();

    EXPECT_EQ(error ? messages::CouldNotWrite(error->path, error->reason) : "saved",
              "Could not write " + path + ": File too large");
    EXPECT_EQ(test::ReadFile(path), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 1);
}

} // namespace
} // namespace harrowdeck
