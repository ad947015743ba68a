// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageSet.h"

#include "CommitRecord.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>

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
        EXPECT_EQ(second.Error().kind, IoError::Kind::Busy);
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
        ASSERT_EQ(test::MakeDir(dir / blocked), 0);
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

// Acts on the directory right after one of the renames, and hears of all.
class RenameHook final : public RenameProgress {
public:
    RenameHook(std::uint64_t after, std::function<void()> change) : after_(after), change_(std::move(change)) {}
    void Renamed(std::uint64_t done, std::uint64_t total) noexcept override
    {
        heard.push_back(std::to_string(done) + "/" + std::to_string(total));
        if (done == after_) {
            change_();
        }
    }
    std::vector<std::string> heard;

private:
    std::uint64_t after_;
    std::function<void()> change_;
};

// A set of four pages over a previous set of two: 3.html and 4.html are
// renamed to first, each only where nothing is under its name yet, then
// 1.html, 2.html, dir.html and Harrowdeck.html. Something changes in the
// directory, which every user may write to, right after one of the renames. Until a page of the previous
// set is replaced, a failure takes the new names back and leaves the
// previous set whole; after that, the record stays for the next run.
TEST(PageSet, WhatChangesDuringTheRenamingIsFoundAndNeverReportedAsSuccess)
{
    const TempDir outside;
    WriteFile(outside / "secret", "secret");
    const std::string replaced = "its temporary file was replaced by another program";
    struct Case {
        const char* what;
        std::uint64_t afterRename;
        std::function<void(const TempDir&)> change;
        std::string failedName; // empty when the commit succeeds
        std::string reason;
        bool recordLeft = false;
    };
    const auto temp = [](const TempDir& dir, const char* key) { return dir / TemporaryName(test::ProcessId(), key); };
    // Links need a privilege on Windows: there, another file takes the
    // temporary file's place.
    const auto linkOutside = [&](const char* key) {
        return [&, key](const TempDir& dir) {
            if (test::kOnWindows) {
                // Kept, so that the new file cannot be given the old one's number.
                std::filesystem::rename(temp(dir, key), outside / key);
                WriteFile(temp(dir, key), "someone else's");
            } else {
                std::filesystem::remove(temp(dir, key));
                std::filesystem::create_symlink(outside / "secret", temp(dir, key));
            }
        };
    };
    const std::vector<Case> cases = {
        {"a new name is taken by a file that may be replaced", 1,
         [](const TempDir& dir) { WriteFile(dir / "4.html", "someone's"); }, "", ""},
        {"a new name is taken by a directory", 1,
         [](const TempDir& dir) { std::filesystem::create_directory(dir / "4.html"); }, "4.html", "Is a directory"},
        {"a new page's temporary file is removed", 1,
         [&](const TempDir& dir) { std::filesystem::remove(temp(dir, "4")); }, "4.html", replaced},
        {"a page of the previous set becomes a directory", 1,
         [](const TempDir& dir) {
             std::filesystem::remove(dir / "2.html");
             std::filesystem::create_directory(dir / "2.html");
         },
         "2.html", "Is a directory"},
        {"a replacing page's temporary file becomes a symlink", 3, linkOutside("2"), "2.html", replaced, true},
    };
    const std::vector<std::string> oldNames = {"1.html", "2.html", "dir.html", "Harrowdeck.html"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TempDir dir;
        std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
        for (const std::string& name : oldNames) {
            WriteFile(dir / name, "old " + name);
        }
        RenameHook hook(c.afterRename, [&] { c.change(dir); });
        {
            PageSet pages = OpenSet(dir);
            for (std::uint64_t key = 1; key <= 4; ++key) {
                Fill(pages.CreatePage(key, key), "new " + std::to_string(key));
            }
            Fill(pages.CreateIndex(), "new dir.html");
            Fill(pages.CreateFrameset(), "new Harrowdeck.html");
            const std::optional<IoError> error = pages.Commit(&hook);
            if (c.failedName.empty()) {
                ASSERT_FALSE(error) << error->path << ": " << error->reason;
            } else {
                ASSERT_TRUE(error);
                EXPECT_EQ(error->path, dir / c.failedName);
                EXPECT_EQ(error->reason, c.reason);
            }
        }
        EXPECT_EQ(ReadFile(outside / "secret"), "secret");
        EXPECT_EQ(PathExists(dir / std::string(kCommitRecordName)), c.recordLeft);
        if (c.failedName.empty()) {
            EXPECT_EQ(hook.heard, (std::vector<std::string>{"1/6", "2/6", "3/6", "4/6", "5/6", "6/6"}));
            EXPECT_EQ(ReadFile(dir / "4.html"), "new 4");
            EXPECT_EQ(ReadFile(dir / "Harrowdeck.html"), "new Harrowdeck.html");
        } else if (c.recordLeft) {
            // The next run completes what is still the killed run's.
            EXPECT_TRUE(PageSet::Open(dir.Path()));
            EXPECT_EQ(ReadFile(dir / "1.html"), "new 1");
            EXPECT_EQ(ReadFile(dir / "dir.html"), "new dir.html");
            EXPECT_FALSE(PathExists(dir / std::string(kCommitRecordName)));
        } else {
            for (const char* name : {"1.html", "dir.html", "Harrowdeck.html"}) {
                EXPECT_EQ(ReadFile(dir / name), "old " + std::string(name));
            }
            EXPECT_FALSE(PathExists(dir / "3.html")) << "a new name was not taken back";
        }
        EXPECT_FALSE(HasTemporaryFile(dir.Path()));
    }
}

} // namespace
} // namespace harrowdeck
