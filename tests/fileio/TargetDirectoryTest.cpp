// SPDX-License-Identifier: GPL-3.0-or-later
#include "TargetDirectory.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>

namespace harrowdeck {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::set<std::string> Names(const std::string& dir)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TargetDirectory OpenDir(const TempDir& dir)
{
    IoResult<TargetDirectory> opened = TargetDirectory::Open(dir.Path());
    EXPECT_TRUE(opened);
    return std::move(*opened);
}

TEST(TemporaryName, TellsItsOwnerAndRejectsForeignNames)
{
    EXPECT_EQ(TemporaryNameOwner(TemporaryName(4711, "7")), 4711);
    EXPECT_EQ(TemporaryNameOwner(TemporaryName(1, "scratch")), 1);
    for (const std::string_view name :
         {"1.html", ".harrowdeck-.tmp", ".harrowdeck-12.tmp", ".harrowdeck-x-1.tmp", ".harrowdeck--5-1.tmp",
          ".harrowdeck-0-1.tmp", ".harrowdeck-12-1", "harrowdeck-12-1.tmp", ".harrowdeck-99999999999999999999-1.tmp"}) {
        EXPECT_FALSE(TemporaryNameOwner(name)) << name;
    }
}

TEST(TargetDirectory, RemovesOnlyTheRegularFilesOfGoneWriters)
{
    TempDir dir;
    const std::string deadFile = TemporaryName(test::EndedProcessId(), "1");
    const std::string liveFile = TemporaryName(test::LiveProcessId(), "1");
    const std::string oldLiveFile = TemporaryName(test::LiveProcessId(), "2");
    const std::string deadLink = TemporaryName(test::EndedProcessId(), "link");
    for (const std::string& name :
         {deadFile, liveFile, oldLiveFile, std::string("1.html"), std::string(".harrowdeck-x.tmp")}) {
        WriteFile(dir / name, "x");
    }
    std::set<std::string> kept{liveFile, "1.html", ".harrowdeck-x.tmp"};
    // Links need a privilege on Windows.
    if (!test::kOnWindows) {
        std::filesystem::create_symlink("1.html", dir / deadLink);
        kept.insert(deadLink);
    }
    // A live writer's file is taken for abandoned after a day.
    std::filesystem::last_write_time(dir / oldLiveFile,
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));

    OpenDir(dir).RemoveStaleTemps();
    EXPECT_EQ(Names(dir.Path()), kept);
}

TEST(TargetDirectory, CreateTempReplacesALeftoverOfItsOwnPid)
{
    TempDir dir;
    const TargetDirectory target = OpenDir(dir);
    WriteFile(dir / TemporaryName(test::ProcessId(), "k"), "leftover");
    IoResult<FileDescriptor> fd = target.CreateTemp("k", "t.html");
    ASSERT_TRUE(fd);
    ASSERT_EQ(fd->WriteAllAt("new", 0), 0);
    ASSERT_FALSE(target.CommitTemp("k", "t.html"));
    EXPECT_EQ(ReadFile(dir / "t.html"), "new");
    EXPECT_EQ(Names(dir.Path()), std::set<std::string>{"t.html"});
}

TEST(TargetDirectory, AFailedCommitNamesTheTarget)
{
    TempDir dir;
    const TargetDirectory target = OpenDir(dir);
    auto error = target.CommitTemp("never-created", "t.html");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, dir / "t.html");
    EXPECT_EQ(error->reason, "No such file or directory");
}

TEST(TargetDirectory, ScratchFilesHaveNoName)
{
    TempDir dir;
    IoResult<FileDescriptor> scratch = OpenDir(dir).CreateScratch();
    ASSERT_TRUE(scratch);
    ASSERT_EQ(scratch->WriteAllAt("abc", 0), 0);
    // Windows has no unnamed files: its scratch files go when closed.
    if (!test::kOnWindows) {
        EXPECT_TRUE(Names(dir.Path()).empty());
    }
    scratch->Reset();
    EXPECT_TRUE(Names(dir.Path()).empty());
}

// Whatever takes a page's temporary name while the page is closed, the
// page is not opened again through it, and the failure says why in the
// user's terms, not as the open's own error (an unreadable file's
// "Permission denied"). Run by an ordinary user: root opens any file.
TEST(TargetDirectory, APageWhoseTemporaryNameHoldsSomethingElseIsNotReopened)
{
#if defined(_WIN32)
    GTEST_SKIP() << "symlinks, FIFOs and other users are POSIX's";
#else
    constexpr uid_t kNobody = 65534;
    struct Case {
        const char* what;
        std::function<int(const std::string& temp)> replace; // 0 when done
    };
    const std::vector<Case> cases = {
        {"a symlink", [](const std::string& temp) { return ::unlink(temp.c_str()) | ::symlink("x", temp.c_str()); }},
        {"a FIFO", [](const std::string& temp) { return ::unlink(temp.c_str()) | ::mkfifo(temp.c_str(), 0666); }},
        {"another file",
         [](const std::string& temp) {
             return ::unlink(temp.c_str()) | ::close(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644));
         }},
        {"a file no one may open",
         [](const std::string& temp) {
             return ::unlink(temp.c_str()) | ::close(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0));
         }},
        {"nothing", [](const std::string& temp) { return ::unlink(temp.c_str()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
                ::_exit(2);
            }
            IoResult<TargetDirectory> target = TargetDirectory::Open(dir.Path());
            IoResult<FileDescriptor> fd =
                target ? target->CreateTemp("7", "3.html") : IoResult<FileDescriptor>(IoError{});
            const std::optional<FileIdentity> file = fd ? TargetDirectory::IdentityOf(*fd) : std::nullopt;
            if (!file || c.replace(dir / TemporaryName(::getpid(), "7")) != 0) {
                ::_exit(3);
            }
            IoResult<FileDescriptor> reopened = target->ReopenTemp("7", "3.html", *file);
            const bool told = !reopened && reopened.Error().path == dir / "3.html" &&
                              reopened.Error().reason == "its temporary file was replaced by another program";
            ::_exit(told ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "exit " << WEXITSTATUS(status)
            << " (1: not told it was replaced, 2 and 3: the case could not be set up)";
    }
#endif
}

} // namespace
// A file's name is checked again around its rename only where another
// user could have swapped it: the checks cost a look at the disk per page.
TEST(TargetDirectory, OthersMayChangeWhatTheyMayWriteTo)
{
#if defined(_WIN32)
    GTEST_SKIP() << "permission bits and other users are POSIX's";
#else
    // tmpfs enforces the bits itself, as a local disk does.
    const std::filesystem::path shm = "/dev/shm";
    if (!std::filesystem::is_directory(shm) || ::geteuid() != 0) {
        GTEST_SKIP() << "needs /dev/shm and root, to give a directory to another user";
    }
    struct Case {
        const char* what;
        mode_t mode;
        uid_t owner;
        bool othersMayChange;
    };
    const uid_t writer = ::geteuid();
    // Without Linux's calls, the file system's kind cannot be told.
    const Case cases[] = {
        {"the writer's alone", 0755, writer, HARROWDECK_HAS_LINUX_CALLS == 0},
        {"its group may write", 0775, writer, true},
        {"all may write", 0777, writer, true},
        {"all may write, sticky", 01777, writer, true},
        {"another user's", 0755, 65534, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::filesystem::path dir = shm / ("harrowdeck-test-" + std::to_string(::getpid()));
        std::filesystem::create_directory(dir);
        ASSERT_EQ(::chmod(dir.c_str(), c.mode), 0);
        ASSERT_EQ(::chown(dir.c_str(), c.owner, static_cast<gid_t>(-1)), 0);
        IoResult<TargetDirectory> target = TargetDirectory::Open(dir.string() + "/");
        ASSERT_TRUE(target);
        EXPECT_EQ(target->OthersMayChange(), c.othersMayChange);
        std::filesystem::remove(dir);
    }
#endif
}

} // namespace harrowdeck
