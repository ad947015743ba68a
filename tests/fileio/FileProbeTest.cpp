// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileProbe.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>

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
#if !defined(_WIN32)
    EXPECT_FALSE(FileExists("/dev/null"));
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(FileExists(dir / "fifo")); // and does not hang
#endif
}

TEST(FileExists, FalseWithoutReadPermission)
{
#if defined(_WIN32)
    GTEST_SKIP() << "permission bits are POSIX's";
#else
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads any file";
    }
    TempDir dir;
    WriteFile(dir / "locked", "x");
    ASSERT_EQ(::chmod((dir / "locked").c_str(), 0), 0);
    EXPECT_FALSE(FileExists(dir / "locked"));
#endif
}

TEST(FileExists, LeavesTheFileUnchanged)
{
#if defined(_WIN32)
    GTEST_SKIP() << "what it compares is POSIX's stat";
#else
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
#endif
}

// An image beside the pages may be a symlink. In a folder with the sticky
// bit, only the reader's own links and the folder owner's are followed:
// another user's link to a file that user cannot read would otherwise tell
// them, through a page written by root, that the file exists.
TEST(FileExistsIn, FollowsALinkInASharedFolderOnlyWhereTheKernelsRuleWould)
{
#if defined(_WIN32)
    GTEST_SKIP() << "the sticky bit and users are POSIX's";
#else
    constexpr uid_t kNobody = 65534;
    constexpr uid_t kDaemon = 1;
    const bool root = ::geteuid() == 0;
    struct Case {
        const char* what;
        mode_t folderMode;
        uid_t folderOwner; // when the tests run as root
        uid_t linkOwner;   // the same, or -1 for the reader
        bool found;
    };
    const uid_t reader = static_cast<uid_t>(-1);
    const std::vector<Case> cases = {
        {"the reader's own link in a sticky folder", 01777, kDaemon, reader, true},
        {"the folder owner's link in a sticky folder", 01777, kDaemon, kDaemon, true},
        {"another user's link in a sticky folder", 01777, 0, kNobody, false},
        {"another user's link in a group's sticky folder", 01775, 0, kNobody, false},
        {"another user's link in a folder without the sticky bit", 0777, 0, kNobody, true},
    };
    TempDir elsewhere;
    WriteFile(elsewhere / "back.gif", "GIF89a");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.linkOwner != reader && !root) {
            continue; // only root gives a link away
        }
        TempDir dir;
        ASSERT_EQ(::symlink((elsewhere / "back.gif").c_str(), (dir / "back.gif").c_str()), 0);
        WriteFile(dir / "dir.gif", "GIF89a");
        if (c.linkOwner != reader) {
            ASSERT_EQ(::lchown((dir / "back.gif").c_str(), c.linkOwner, c.linkOwner), 0);
        }
        if (root) {
            ASSERT_EQ(::chown(dir.Path().c_str(), c.folderOwner, c.folderOwner), 0);
        }
        ASSERT_EQ(::chmod(dir.Path().c_str(), c.folderMode), 0);
        EXPECT_EQ(FileExistsIn(dir.Path(), "back.gif"), c.found);
        EXPECT_TRUE(FileExistsIn(dir.Path(), "dir.gif"));
        EXPECT_FALSE(FileExistsIn(dir.Path(), "file.gif"));
    }
#endif
}

TEST(JoinPath, AddsASeparatorOnlyWhenMissing)
{
    EXPECT_EQ(JoinPath("/a/", "1.html"), "/a/1.html");
    EXPECT_EQ(JoinPath("/a", "1.html"), std::string("/a") + kSeparator + "1.html");
    EXPECT_EQ(JoinPath("", "1.html"), "1.html");
}

// The standard library's calls and the file layer's own reach the same
// file, whatever letters its name holds: on Windows a narrow name would go
// through the ANSI code page and name another one.
TEST(PathFromUtf8, NamesWhatTheFileLayerNames)
{
    TempDir dir;
    for (const std::string name :
         {"plain", "F\xc3\xa5glar", "\xc3\x84renden \xe2\x80\x93 2026", "\xe6\x97\xa5\xe6\x9c\xac"}) {
        const std::string path = dir / name;
        ASSERT_TRUE(std::filesystem::create_directory(PathFromUtf8(path))) << name;
        EXPECT_TRUE(IsDirectory(path)) << name;
        std::ofstream(PathFromUtf8(JoinPath(path, "page.html"))) << "x";
        EXPECT_TRUE(FileExists(JoinPath(path, "page.html"))) << name;
    }
}

} // namespace
} // namespace harrowdeck
