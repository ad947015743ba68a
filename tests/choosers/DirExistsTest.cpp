// SPDX-License-Identifier: GPL-3.0-or-later
#include "DirExists.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace harrowdeck {
namespace {

namespace fs = std::filesystem;

class DirExistsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path()
                / ("direxists-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed())
                   + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
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

} // namespace
} // namespace harrowdeck
