// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageSet.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

namespace harrowdeck {
namespace {

using test::HasTemporaryFile;
using test::PathExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

PageSet OpenSet(const TempDir& dir)
{
    IoResult<PageSet> pages = PageSet::Open(dir.Path());
    EXPECT_TRUE(pages) << pages.Error().reason;
    return std::move(*pages);
}

// Writes text into a file the set made, and closes it.
void Fill(IoResult<OutputFile> file, const std::string& text)
{
    ASSERT_TRUE(file) << file.Error().reason;
    file->Append(text);
    ASSERT_FALSE(file->Finish());
}

TEST(PageSet, ASecondRunIntoTheSameDirectoryFailsAtOnce)
{
    TempDir dir;
    {
        const PageSet first = OpenSet(dir);
        IoResult<PageSet> second = PageSet::Open(dir.Path());
        ASSERT_FALSE(second);
        EXPECT_EQ(second.Error().path, dir.Path());
        EXPECT_EQ(second.Error().errorNumber, EWOULDBLOCK);
    }
    EXPECT_TRUE(PageSet::Open(dir.Path())); // the lock goes with the set
}

TEST(PageSet, CommitsPagesInKeyOrderNumberedFromOne)
{
    TempDir dir;
    PageSet pages = OpenSet(dir);
    for (const std::uint64_t key : {40, 7, 2, 1000}) {
        Fill(pages.CreatePage(key, 99), "key " + std::to_string(key));
    }
    Fill(pages.CreateIndex(), "index");
    Fill(pages.CreateFrameset(), "frameset");
    EXPECT_EQ(pages.PageCount(), 4u);
    EXPECT_FALSE(PathExists(dir / "1.html")); // nothing in place before Commit

    ASSERT_FALSE(pages.Commit());
    EXPECT_EQ(ReadFile(dir / "1.html"), "key 2");
    EXPECT_EQ(ReadFile(dir / "2.html"), "key 7");
    EXPECT_EQ(ReadFile(dir / "3.html"), "key 40");
    EXPECT_EQ(ReadFile(dir / "4.html"), "key 1000");
    EXPECT_FALSE(PathExists(dir / "5.html"));
    EXPECT_EQ(ReadFile(dir / "dir.html"), "index");
    EXPECT_EQ(ReadFile(dir / "Harrowdeck.html"), "frameset");
    EXPECT_FALSE(HasTemporaryFile(dir.Path()));
}

TEST(PageSet, ReopenPageAppends)
{
    TempDir dir;
    PageSet pages = OpenSet(dir);
    Fill(pages.CreatePage(3, 1), "head ");
    Fill(pages.ReopenPage(3, 1), "tail");
    IoResult<OutputFile> never = pages.ReopenPage(4, 2);
    ASSERT_FALSE(never);
    EXPECT_EQ(never.Error().path, dir / "2.html");
    ASSERT_FALSE(pages.Commit());
    EXPECT_EQ(ReadFile(dir / "1.html"), "head tail");
}

TEST(PageSet, ADirectoryInTheWayStopsCommitBeforeAnyRename)
{
    const std::string targets[] = {"1.html", "2.html", "dir.html", "Harrowdeck.html"};
    for (const std::string& blocked : targets) {
        TempDir dir;
        for (const std::string& name : targets) {
            WriteFile(dir / name, "old " + name);
        }
        std::filesystem::remove(dir / blocked);
        ASSERT_EQ(::mkdir((dir / blocked).c_str(), 0755), 0);
        {
            PageSet pages = OpenSet(dir);
            Fill(pages.CreatePage(1, 1), "new");
            Fill(pages.CreatePage(2, 2), "new");
            Fill(pages.CreateIndex(), "new");
            Fill(pages.CreateFrameset(), "new");
            const auto error = pages.Commit();
            ASSERT_TRUE(error) << blocked;
            EXPECT_EQ(error->path, dir / blocked);
            EXPECT_EQ(error->reason, "Is a directory");
        } // the set takes its uncommitted files with it
        for (const std::string& name : targets) {
            if (name != blocked) {
                EXPECT_EQ(ReadFile(dir / name), "old " + name) << blocked;
            }
        }
        EXPECT_FALSE(HasTemporaryFile(dir.Path())) << blocked;
    }
}

} // namespace
} // namespace harrowdeck
