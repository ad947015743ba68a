// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileProbe.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace harrowdeck {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(FileExists, TrueForAReadableFileEvenWhenEmpty)
{
    TempDir dir;
    WriteFile(dir / "empty.htm", "");
    EXPECT_TRUE(FileExists(dir / "empty.htm"));
    EXPECT_TRUE(FileExists(dir / "empty.htm/"));
}

TEST(FileExists, FalseForWhatCannotBeReadAsAFile)
{
    TempDir dir;
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(dir / "missing"));
    EXPECT_FALSE(FileExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir.Path().substr(0, dir.Path().size() - 1)));
    EXPECT_FALSE(FileExists("/dev/null"));
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(FileExists(dir / "fifo")); // and does not hang
}

TEST(FileExists, FalseWithoutReadPermission)
{
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads any file";
    }
    TempDir dir;
    WriteFile(dir / "locked", "x");
    ASSERT_EQ(::chmod((dir / "locked").c_str(), 0), 0);
    EXPECT_FALSE(FileExists(dir / "locked"));
}

TEST(FileExists, LeavesTheFileUnchanged)
{
    TempDir dir;
    WriteFile(dir / "f", "content");
    struct stat before {};
    ASSERT_EQ(::stat((dir / "f").c_str(), &before), 0);
    ASSERT_TRUE(FileExists(dir / "f"));
    struct stat after {};
    ASSERT_EQ(::stat((dir / "f").c_str(), &after), 0);
    EXPECT_EQ(test::ReadFile(dir / "f"), "content");
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_EQ(before.st_atim.tv_sec, after.st_atim.tv_sec);
}

TEST(JoinPath, AddsASeparatorOnlyWhenMissing)
{
    EXPECT_EQ(JoinPath("/a/", "1.html"), "/a/1.html");
    EXPECT_EQ(JoinPath("/a", "1.html"), "/a/1.html");
    EXPECT_EQ(JoinPath("", "1.html"), "1.html");
}

} // namespace
} // namespace harrowdeck
