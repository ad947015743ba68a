// SPDX-License-Identifier: GPL-3.0-or-later
// What Windows does to a run's destination that POSIX systems do not: files
// held by other programs, read-only files, the lock of another run. Each
// case ends with the old set or the new one, never a mix, and without a
// temporary file.
#include "PageSet.h"

#include "TestFiles.h"
#include "windows/Win32Path.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>

namespace harrowdeck {
namespace {

using test::TempDir;

const std::vector<std::string> kNames = {"1.html", "2.html", "dir.html", "Harrowdeck.html"};

HANDLE Hold(const std::string& path, DWORD share)
{
    return ::CreateFileW(windows::ToWin32Path(path).path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Writes a set of the given words and commits it; the commit's failure.
std::optional<IoError> CommitSet(PageSet& pages, const std::string& word)
{
    for (std::uint64_t key = 1; key <= 2; ++key) {
        IoResult<OutputFile> page = pages.CreatePage(key, key);
        page->Append(word + " " + std::to_string(key) + ".html");
        EXPECT_FALSE(page->Finish());
    }
    for (const bool index : {true, false}) {
        IoResult<OutputFile> fixed = index ? pages.CreateIndex() : pages.CreateFrameset();
        fixed->Append(word + " fixed");
        EXPECT_FALSE(fixed->Finish());
    }
    return pages.Commit();
}

TEST(WindowsFaults, EachEndsWithTheOldSetOrTheNewOne)
{
    struct Case {
        const char* what;
        // Sets the fault up in dir; gives what ends it.
        std::function<std::function<void()>(const TempDir& dir)> fault;
        bool newSet;
        std::string reason; // of the failure on 2.html, when the old set stays
    };
    const std::vector<Case> cases = {
        {"a read-only page",
         [](const TempDir& dir) {
             const std::wstring path = windows::ToWin32Path(dir / "2.html").path;
             EXPECT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
             return [path] { ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL); };
         },
         false, "Permission denied"},
        {"a page another program holds open without sharing delete",
         [](const TempDir& dir) {
             HANDLE held = Hold(dir / "2.html", FILE_SHARE_READ | FILE_SHARE_WRITE);
             EXPECT_NE(held, INVALID_HANDLE_VALUE);
             return [held] { ::CloseHandle(held); };
         },
         false, "another program has it open"},
        {"a page held for 50 ms, which is waited for",
         [](const TempDir& dir) {
             HANDLE held = Hold(dir / "2.html", 0);
             EXPECT_NE(held, INVALID_HANDLE_VALUE);
             auto release = std::make_shared<std::thread>([held] {
                 std::this_thread::sleep_for(std::chrono::milliseconds(50));
                 ::CloseHandle(held);
             });
             return [release] { release->join(); };
         },
         true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const std::string& name : kNames) {
            test::WriteFile(dir / name, "old " + name);
        }
        std::optional<IoError> error;
        {
            IoResult<PageSet> pages = PageSet::Open(dir.Path());
            ASSERT_TRUE(pages);
            const std::function<void()> end = c.fault(dir);
            error = CommitSet(*pages, "new");
            end();
        }
        if (c.newSet) {
            EXPECT_FALSE(error) << error->reason;
        } else {
            ASSERT_TRUE(error);
            EXPECT_EQ(error->path, dir / "2.html");
            EXPECT_NE(error->reason.find(c.reason), std::string::npos) << error->reason;
        }
        for (const std::string& name : kNames) {
            const std::string text = test::ReadFile(dir / name);
            EXPECT_EQ(text.substr(0, 4), c.newSet ? "new " : "old ") << name;
        }
        EXPECT_FALSE(test::HasTemporaryFile(dir.Path()));
    }
}

// The lock of a run that has its destination open: a second run loses at
// once, with the destination untouched, and the lock goes with the first.
TEST(WindowsFaults, ASecondRunIntoTheDestinationLoses)
{
    TempDir dir;
    {
        IoResult<PageSet> first = PageSet::Open(dir.Path());
        ASSERT_TRUE(first);
        IoResult<PageSet> second = PageSet::Open(dir.Path());
        ASSERT_FALSE(second);
        EXPECT_EQ(second.Error().kind, IoError::Kind::Busy);
        EXPECT_FALSE(CommitSet(*first, "new"));
    }
    EXPECT_TRUE(PageSet::Open(dir.Path()));
    EXPECT_EQ(test::ReadFile(dir / "dir.html"), "new fixed");
    EXPECT_FALSE(test::HasTemporaryFile(dir.Path()));
}

} // namespace
} // namespace harrowdeck
