// SPDX-License-Identifier: GPL-3.0-or-later
// The windows' plain rules: the start directory probe, the width fields' key
// filter, the file filter and the drive list.
#include "AboutText.h"
#include "DigitKeyFilter.h"
#include "DirExists.h"
#include "DriveList.h"
#include "FileFilter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace harrowdeck {
namespace {

namespace fs = std::filesystem;

class DirExistsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() /
                ("direxists-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root_);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(root_ / "locked", fs::perms::owner_all, ignored);
        fs::remove_all(root_, ignored);
    }

    [[nodiscard]] std::string Root() const { return root_.string(); }

    fs::path root_;
};

TEST_F(DirExistsTest, EmptyPathBecomesTheRoot)
{
    std::string path;
    EXPECT_TRUE(DirExists(path));
    EXPECT_EQ(path, "/");
}

TEST_F(DirExistsTest, ExistingDirectoryWithOrWithoutSeparator)
{
    fs::create_directory(root_ / "full");
    std::ofstream(root_ / "full" / "page.html") << "x";

    std::string bare = Root() + "/full";
    EXPECT_TRUE(DirExists(bare));
    EXPECT_EQ(bare, Root() + "/full/");

    std::string withSeparator = Root() + "/full/";
    EXPECT_TRUE(DirExists(withSeparator));
    EXPECT_EQ(withSeparator, Root() + "/full/") << "no second separator";
}

TEST_F(DirExistsTest, EmptyDirectoryCounts)
{
    fs::create_directory(root_ / "empty");
    std::string path = Root() + "/empty";
    EXPECT_TRUE(DirExists(path));
}

TEST_F(DirExistsTest, MissingPathOrAFileIsNoDirectory)
{
    std::string missing = Root() + "/nowhere";
    EXPECT_FALSE(DirExists(missing));
    EXPECT_EQ(missing, Root() + "/nowhere/");

    std::ofstream(root_ / "file.htm") << "x";
    std::string file = Root() + "/file.htm";
    EXPECT_FALSE(DirExists(file));
}

TEST_F(DirExistsTest, UnreadableDirectoryIsNoDirectory)
{
    const fs::path locked = root_ / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::none);
    std::error_code probe;
    fs::directory_iterator stillReadable(locked, probe);
    if (!probe) {
        GTEST_SKIP() << "permissions do not bind this user (root?)";
    }
    std::string path = locked.string();
    EXPECT_FALSE(DirExists(path));
}

TEST_F(DirExistsTest, FallbackIsHomeOrTheRoot)
{
    EXPECT_EQ(FallbackStartDir(Root().c_str()), Root() + "/");
    EXPECT_EQ(FallbackStartDir(nullptr), "/");
    EXPECT_EQ(FallbackStartDir(""), "/");
    EXPECT_EQ(FallbackStartDir((Root() + "/gone").c_str()), "/");
}

TEST_F(DirExistsTest, UnusableStartDirIsReplacedByTheFallback)
{
    std::string dir = Root() + "/gone";
    NormaliseStartDir(dir, "/fallback/");
    EXPECT_EQ(dir, "/fallback/");

    std::string usable = Root();
    NormaliseStartDir(usable, "/fallback/");
    EXPECT_EQ(usable, Root() + "/");
}

// The about window's lines come from the version entries read from the
// program file when it opens; what could not be read is the build's.
TEST(AboutLines, FromTheEntriesReadAtRunTime)
{
    struct Case {
        VersionEntries entries;
        std::string product;
        std::string copyright;
    };
    const std::string built = CopyrightLine();
    const Case cases[] = {
        {{"Harrowdeck 1.1", "2026 Someone"}, "Harrowdeck 1.1", "Copyright 2026 Someone "},
        {{"Harrowdeck 1.1", ""}, "Harrowdeck 1.1", "Copyright  "},
        {{std::nullopt, std::nullopt}, AppTitle(), built},
        {{"Other 2.0", std::nullopt}, "Other 2.0", built},
    };
    for (const Case& c : cases) {
        const AboutLines lines = AboutLinesFrom(c.entries);
        EXPECT_EQ(lines.product, c.product);
        EXPECT_EQ(lines.copyright, c.copyright);
    }
    EXPECT_EQ(built, "Copyright 2026 The Harrowdeck developers ");
}

TEST(DigitKeyFilter, PassesDigitsAndControlCodesOnly)
{
    for (int code = 0; code <= 31; ++code) {
        EXPECT_EQ(DigitKeyFilter(code), code);
    }
    for (int code = '0'; code <= '9'; ++code) {
        EXPECT_EQ(DigitKeyFilter(code), code);
    }
    for (const int code : std::initializer_list<int>{' ', '-', '.', '+', 'a', 'Z', '/', ':', 127, 0xE9, 0x416}) {
        EXPECT_EQ(DigitKeyFilter(code), 0) << code;
    }
}

TEST(FileFilter, CallerEntriesComeBeforeAllFiles)
{
    EXPECT_EQ(BuildFilterText(""), "Alla filer (*.*)|*.*");
    EXPECT_EQ(BuildFilterText("htm (*.htm*)|*.htm*"), "htm (*.htm*)|*.htm*|Alla filer (*.*)|*.*");
}

TEST(FileFilter, PipeFormatBecomesQtNameFilters)
{
    EXPECT_EQ(ToQtNameFilters("htm (*.htm*)|*.htm*|Alla filer (*.*)|*.*"),
              (std::vector<std::string>{"htm (*.htm*) (*.htm*)", "Alla filer (*.*) (*)"}));
    EXPECT_EQ(ToQtNameFilters("Web|*.htm;*.html"), (std::vector<std::string>{"Web (*.htm *.html)"}));
    // Malformed input still gives a usable list.
    EXPECT_EQ(ToQtNameFilters("Lonely"), (std::vector<std::string>{"Lonely (*)"}));
    EXPECT_EQ(ToQtNameFilters("|*.txt"), (std::vector<std::string>{"*.txt (*.txt)"}));
    EXPECT_TRUE(ToQtNameFilters("").empty());
}

TEST(FileFilter, InitialDirectoryAndDirectoryPart)
{
    EXPECT_EQ(InitialDirFor(""), "");
    EXPECT_EQ(InitialDirFor("/"), "/") << "the root must not turn into the default directory";
    EXPECT_EQ(InitialDirFor("/data/"), "/data");
    EXPECT_EQ(DirPartOf("/data/BOOK.HTM", "BOOK.HTM"), "/data/");
    EXPECT_EQ(DirPartOf("BOOK.HTM", "BOOK.HTM"), "");
}

TEST(Drives, OffersRootHomeAndRealVolumesOnce)
{
    EXPECT_TRUE(IsUserVolume("ext4", "/"));
    EXPECT_TRUE(IsUserVolume("vfat", "/media/card"));
    EXPECT_TRUE(IsUserVolume("exfat", "/run/media/anna/STICK"));
    EXPECT_FALSE(IsUserVolume("proc", "/proc"));
    EXPECT_FALSE(IsUserVolume("tmpfs", "/tmp"));
    EXPECT_FALSE(IsUserVolume("ext4", "/run/user/1000/doc"));
    EXPECT_FALSE(IsUserVolume("squashfs", "/snap/core/1"));

    EXPECT_EQ(MakeDriveList("/home/anna/", {"/", "/media/card", "/media/card/"}),
              (std::vector<std::string>{"/", "/home/anna", "/media/card"}));

    const std::vector<std::string> drives{"/", "/home/anna", "/home/anna/usb"};
    EXPECT_EQ(CurrentDriveIndex(drives, "/home/anna/usb/pages"), 2u);
    EXPECT_EQ(CurrentDriveIndex(drives, "/home/annabel"), 0u);
    EXPECT_EQ(CurrentDriveIndex(drives, "/home/anna"), 1u);
}

} // namespace
} // namespace harrowdeck
