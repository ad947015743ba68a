// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderStack.h"

#include "ResourceLimit.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace harrowdeck {
namespace {

using test::TempDir;

// Every field different, so that a folder restored from the wrong place or
// with its fields mixed up shows.
OpenFolder FolderAt(std::uint64_t depth)
{
    return OpenFolder{depth, depth * 3 + 1, depth * 5 + 2, depth % 7};
}

bool Same(const OpenFolder& a, const OpenFolder& b)
{
    return a.key == b.key && a.nameRecord == b.nameRecord && a.pathRecord == b.pathRecord &&
           a.shownNumber == b.shownNumber;
}

// Pushes folders until the stack holds `size`.
void PushTo(FolderStack& stack, std::uint64_t size)
{
    while (stack.Size() < size) {
        ASSERT_FALSE(stack.Push(FolderAt(stack.Size())));
    }
}

// Pops down to `size`, checking each folder and the few below it.
void PopTo(FolderStack& stack, std::uint64_t size)
{
    while (stack.Size() > size) {
        const std::uint64_t depth = stack.Size() - 1;
        for (std::size_t levels = 0; levels < FolderStack::kAtHand && levels <= depth; ++levels) {
            ASSERT_TRUE(Same(stack.Below(levels), FolderAt(depth - levels))) << depth << " " << levels;
        }
        IoResult<OpenFolder> popped = stack.Pop();
        ASSERT_TRUE(popped);
        ASSERT_TRUE(Same(*popped, FolderAt(depth))) << depth;
    }
}

TEST(FolderStack, DeepNestingComesBackInOrder)
{
    TempDir dir;
    IoResult<PageSet> pages = PageSet::Open(dir.Path());
    ASSERT_TRUE(pages);
    FolderStack stack(*pages);
    // Beyond two blocks of 4096, down across a block edge, and up again.
    ASSERT_NO_FATAL_FAILURE(PushTo(stack, 20000));
    ASSERT_NO_FATAL_FAILURE(PopTo(stack, 5000));
    ASSERT_NO_FATAL_FAILURE(PushTo(stack, 30000));
    EXPECT_EQ(stack.Top().key, 29999u);
    ASSERT_NO_FATAL_FAILURE(PopTo(stack, 0));
    EXPECT_TRUE(stack.Empty());
    // The scratch file has no name (on Windows, one that goes when it is closed).
    EXPECT_TRUE(test::kOnWindows || std::filesystem::is_empty(dir.Path()));
}

TEST(FolderStack, AFailingScratchFileIsTheIndexPagesFailure)
{
#if defined(_WIN32)
    GTEST_SKIP() << "no limit on a file's size stands in for a full disk here";
#else
    TempDir dir;
    IoResult<PageSet> pages = PageSet::Open(dir.Path());
    ASSERT_TRUE(pages);
    FolderStack stack(*pages);
    const test::FileSizeLimit limit(64 << 10);
    std::optional<IoError> error;
    while (!error && stack.Size() < 100000) {
        error = stack.Push(FolderAt(stack.Size()));
    }
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, dir / "dir.html");
    EXPECT_EQ(error->reason, "File too large");
#endif
}

} // namespace
} // namespace harrowdeck
