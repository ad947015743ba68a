// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFile.h"

#include "ResourceLimit.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <filesystem>
#include <functional>
#include <iterator>

namespace harrowdeck {
namespace {

using test::HasTemporaryFile;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Writes bytes to path through an AtomicFile and commits it.
std::optional<IoError> WriteWhole(const std::string& path, const std::string& bytes)
{
    IoResult<AtomicFile> file = AtomicFile::Create(path);
    if (!file) {
        return file.Error();
    }
    file->Output().Append(bytes);
    return file->Commit();
}

unsigned ModeOf(const std::string& path)
{
    return static_cast<unsigned>(std::filesystem::status(path).permissions());
}

TEST(AtomicFile, ReplacesTheTargetWholeAndOnlyAtCommit)
{
    TempDir dir;
    WriteFile(dir / "1.html", std::string(10000, 'o'));
    for (const bool commit : {false, true}) {
        IoResult<AtomicFile> file = AtomicFile::Create(dir / "1.html");
        ASSERT_TRUE(file);
        file->Output().Append("new");
        ASSERT_FALSE(file->Output().Flush());
        EXPECT_EQ(ReadFile(dir / "1.html"), std::string(10000, 'o'));
        if (commit) {
            ASSERT_FALSE(file->Commit());
        }
    }
    EXPECT_EQ(ReadFile(dir / "1.html"), "new");
    EXPECT_FALSE(HasTemporaryFile(dir.Path()));
}

TEST(AtomicFile, AFailedWriteKeepsTheOldFile)
{
    TempDir dir;
#if defined(_WIN32)
    GTEST_SKIP() << "no limit on a file's size stands in for a full disk here";
#else
    WriteFile(dir / "1.html", "old");
    const test::FileSizeLimit limit(1000);
    const auto error = WriteWhole(dir / "1.html", std::string(5000, 'n'));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, dir / "1.html");
    EXPECT_EQ(error->reason, "File too large");
    EXPECT_EQ(ReadFile(dir / "1.html"), "old");
    EXPECT_FALSE(HasTemporaryFile(dir.Path()));
#endif
}

TEST(AtomicFile, AReplacedFileKeepsItsPermissionBits)
{
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no permission bits";
#else
    // A known umask, one that would narrow 0666.
    const struct MaskScope {
        mode_t previous = ::umask(022);
        ~MaskScope() { ::umask(previous); }
    } mask;
    for (const mode_t oldMode : {mode_t{0600}, mode_t{0666}, mode_t{0640}}) {
        TempDir dir;
        WriteFile(dir / "settings", "old");
        ASSERT_EQ(::chmod((dir / "settings").c_str(), oldMode), 0);
        ASSERT_FALSE(WriteWhole(dir / "settings", "new"));
        EXPECT_EQ(ModeOf(dir / "settings"), oldMode) << std::oct << oldMode;
    }
    TempDir dir;
    ASSERT_FALSE(WriteWhole(dir / "fresh", "new"));
    EXPECT_EQ(ModeOf(dir / "fresh"), 0644u); // nothing to keep: the umask decides
#endif
}

TEST(AtomicFile, ReportsTheTargetPathAndTheSystemsReason)
{
    TempDir dir;
    const std::string missing = dir / "no-such-dir/1.html";
    const auto error = WriteWhole(missing, "x");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, missing);
    EXPECT_EQ(error->reason, "No such file or directory");
}

TEST(AtomicFile, FailsOnADirectoryInTheWayAndLeavesNoTemporaryFile)
{
    TempDir dir;
    ASSERT_EQ(test::MakeDir(dir / "1.html"), 0);
    const auto error = WriteWhole(dir / "1.html", "x");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, dir / "1.html");
    EXPECT_EQ(error->reason, "Is a directory");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

// Between the look at the target and the rename, something that is no
// regular file takes the target's name: it stays as it is, and the save
// fails without leaving its temporary file.
TEST(AtomicFile, WhatTakesTheNameBeforeTheCommitIsReplacedOnlyWhenARegularFile)
{
    struct Case {
        const char* what;
        bool existedBefore;
        std::function<void(const std::string&)> put;
        std::string reason; // empty when the save goes through
    };
    std::vector<Case> cases = {
        {"a directory in the old file's place", true,
         [](const std::string& path) { std::filesystem::create_directory(path); }, "Is a directory"},
        {"another regular file", true, [](const std::string& path) { WriteFile(path, "other"); }, ""},
    };
#if !defined(_WIN32)
    // FIFOs, and links without a privilege, are POSIX's.
    const auto fifo = [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); };
    cases.push_back({"a FIFO in the old file's place", true, fifo, "Not a regular file"});
    cases.push_back({"a FIFO where there was nothing", false, fifo, "Not a regular file"});
    cases.push_back({"a symlink where there was nothing", false,
                     [](const std::string& path) { std::filesystem::create_symlink("elsewhere", path); },
                     "Not a regular file"});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir / "settings";
        if (c.existedBefore) {
            WriteFile(path, "old");
        }
        IoResult<AtomicFile> file = AtomicFile::Create(path);
        ASSERT_TRUE(file);
        file->Output().Append("new");
        std::filesystem::remove(path);
        c.put(path);
        const auto kind = std::filesystem::symlink_status(path).type();

        const std::optional<IoError> error = file->Commit();
        if (c.reason.empty()) {
            EXPECT_FALSE(error);
            EXPECT_EQ(ReadFile(path), "new");
        } else {
            ASSERT_TRUE(error);
            EXPECT_EQ(error->path, path);
            EXPECT_EQ(error->reason, c.reason);
            EXPECT_EQ(std::filesystem::symlink_status(path).type(), kind);
        }
        EXPECT_FALSE(HasTemporaryFile(dir.Path()));
    }
}

} // namespace
} // namespace harrowdeck
