// SPDX-License-Identifier: GPL-3.0-or-later
// A destination that other users may write to: one of them swaps a page's
// temporary file while the run writes it or once it renames, takes a new
// page's name, or owns a page of the previous set in a sticky directory.
// The run never writes outside the destination, never reports success for
// pages it did not write, and finds what would stop its renaming before the
// first page of the previous set is replaced.
#include "ChildProcess.h"
#include "CommitRecord.h"
#include "Messages.h"
#include "RunFixture.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace harrowdeck {
namespace {

using test::ChildResult;
using test::kHeaderLine;
using test::RunChild;
using test::Snapshot;
using test::TakeSnapshot;

constexpr uid_t kNobody = 65534;
constexpr uid_t kOtherUser = 1;

// Runs `action` as nobody when this process may become someone else, and
// as itself otherwise: the run tells its files apart from others by their
// identity, so a swap by the same user shows the same way.
void AsAnotherUser(const std::function<bool()>& action)
{
    if (::geteuid() != 0) {
        ASSERT_TRUE(action());
        return;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const bool done = ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && action();
        ::_exit(done ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other user's swap failed";
}

class SharedDestination : public test::RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        // Others reach the destination and the files beside it.
        ASSERT_EQ(::chmod(work.Path().c_str(), 0755), 0);
    }

    // The run's temporary file for key; named here, since the other user's
    // process has a pid of its own.
    [[nodiscard]] std::string Temporary(const char* key) const { return destDir + TemporaryName(::getpid(), key); }

    // harrowdeck-make on the fixture's files, as user (0: as this process).
    [[nodiscard]] std::vector<std::string> CommandAs(uid_t user) const
    {
        std::vector<std::string> command;
        if (user != 0) {
            const std::string id = std::to_string(user);
            command = {"setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups"};
        }
        command.insert(command.end(), {HARROWDECK_MAKE_PATH, sourcePath, destDir});
        return command;
    }

    // The temporary file that the placed commit record renames to target.
    [[nodiscard]] std::string RecordedTemporary(const std::string& target) const
    {
        std::ifstream record(destDir + std::string(kCommitRecordName));
        std::string line;
        while (std::getline(record, line)) {
            std::istringstream fields(line);
            std::string device, inode, temporary, name;
            if (fields >> device >> inode >> temporary >> name && name == target) {
                return destDir + temporary;
            }
        }
        return {};
    }
};

// The fault library's settings that stop the run once its commit record is
// in place (its first rename), for another user to act.
std::vector<std::string> StopOnceTheRecordIsPlaced(bool exclusiveRename = true)
{
    std::vector<std::string> environment = {"LD_PRELOAD=" + std::string(HARROWDECK_FAULT_PRELOAD_PATH),
                                            "HARROWDECK_STOP_AFTER_RENAME=1"};
    if (!exclusiveRename) {
        environment.emplace_back("HARROWDECK_NO_EXCLUSIVE_RENAME=1");
    }
    return environment;
}

// The names in a set, for a failure's message: the pages are long.
std::string Names(const Snapshot& set)
{
    std::string names;
    for (const auto& [name, bytes] : set) {
        names += name + " ";
    }
    return names;
}

TEST_F(SharedDestination, ASwappedTemporaryFileIsNeitherWrittenThroughNorPutInPlace)
{
    const std::string outside = work / "outside.txt";
    const std::string attackers = destDir + "attackers.tmp";
    // A nested folder long enough for a progress report while the outer
    // folder's page is closed; that page is opened again for its last link.
    const std::string reopened = kHeaderLine + std::string("<DT><H3>Outer</H3>\n<DL><p>\n<DT><A HREF=\"o1\">o1</A>\n") +
                                 test::BigFolder("Inner", 3000) + "<DT><A HREF=\"o2\">o2</A>\n</DL><p>\n";
    // Page 1 is complete and page 2 under way at the first report.
    const std::string written = kHeaderLine + test::Folders(1, "A") + test::BigFolder("B", 3000);
    struct Swap {
        const char* what;
        FolderMode mode;
        const std::string& body;
        std::function<bool()> swap;
    };
    const std::string first = Temporary("1");
    const std::string second = Temporary("2");
    const auto symlinkToOutside = [&] {
        return ::unlink(first.c_str()) == 0 && ::symlink(outside.c_str(), first.c_str()) == 0;
    };
    const auto fileOfTheirOwn = [&] {
        const int fd = ::open(attackers.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        return fd >= 0 && ::close(fd) == 0 && ::rename(attackers.c_str(), first.c_str()) == 0;
    };
    const std::vector<Swap> swaps = {
        {"a page to be opened again becomes a symlink", FolderMode::All, reopened, symlinkToOutside},
        {"a page to be opened again becomes another file", FolderMode::All, reopened, fileOfTheirOwn},
        {"a written page becomes a symlink", FolderMode::Top, written, symlinkToOutside},
        {"a written page becomes another file", FolderMode::Top, written, fileOfTheirOwn},
        {"two pages trade names", FolderMode::Top, written,
         [&] { return ::renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE) == 0; }},
    };
    for (const Swap& swap : swaps) {
        SCOPED_TRACE(swap.what);
        std::filesystem::remove_all(destDir);
        std::filesystem::create_directory(destDir);
        ASSERT_EQ(::chmod(destDir.c_str(), 0777), 0);
        test::WriteFile(outside, "outside\n");
        options.folderMode = swap.mode;
        ui.onProgress = nullptr;
        Source(kHeaderLine + test::Folders(3, "Old"));
        ASSERT_EQ(Run().outcome, RunOutcome::Done);
        const Snapshot previous = TakeSnapshot(destDir);

        Source(swap.body);
        bool swapped = false;
        ui.onProgress = [&] {
            if (!swapped) {
                swapped = true;
                AsAnotherUser(swap.swap);
            }
        };
        const RunReport report = Run();
        ASSERT_TRUE(swapped);
        EXPECT_EQ(report.outcome, RunOutcome::WriteFailed);
        EXPECT_EQ(ui.OnlyMessage(),
                  messages::CouldNotWrite(destDir + "1.html", "its temporary file was replaced by another program"));
        EXPECT_EQ(test::ReadFile(outside), "outside\n");
        const Snapshot after = TakeSnapshot(destDir);
        EXPECT_TRUE(after == previous) << Names(after);
    }
}

TEST_F(SharedDestination, InAStickyDirectoryAnotherUsersPageIsFoundBeforeTheFirstRename)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a page to another user needs root";
    }
    struct Case {
        const char* what;
        uid_t directoryOwner;
        uid_t writer;
        bool replaces;
    };
    const std::vector<Case> cases = {
        {"the writer owns neither the page nor the directory", 0, kNobody, false},
        {"the writer owns the directory", kNobody, kNobody, true},
        {"the writer may act for any owner", kNobody, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(destDir);
        std::filesystem::create_directory(destDir);
        ASSERT_EQ(::chown(destDir.c_str(), c.directoryOwner, c.directoryOwner), 0);
        ASSERT_EQ(::chmod(destDir.c_str(), 01777), 0);
        Source(kHeaderLine + test::Folders(3, "Old"));
        const ChildResult previousRun = RunChild(CommandAs(kNobody));
        ASSERT_EQ(previousRun.exitCode, 0) << previousRun.err;
        ASSERT_EQ(::chown((destDir + "2.html").c_str(), kOtherUser, kOtherUser), 0);
        const Snapshot previous = TakeSnapshot(destDir);

        Source(kHeaderLine + test::Folders(4, "New"));
        const ChildResult result = RunChild(CommandAs(c.writer));
        if (c.replaces) {
            EXPECT_EQ(result.exitCode, 0) << result.err;
            EXPECT_NE(test::ReadFile(destDir + "2.html").find("New2"), std::string::npos);
            EXPECT_EQ(TakeSnapshot(destDir).size(), 6u);
        } else {
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_EQ(result.err, "harrowdeck-make: " +
                                      messages::CouldNotWrite(destDir + "2.html", "Operation not permitted") + "\n");
            const Snapshot after = TakeSnapshot(destDir);
            EXPECT_TRUE(after == previous) << Names(after);
        }
    }
}

// The moment the commit record is placed, nobody creates 5.html, a name
// that only the new set of five pages uses. Whether the run may replace
// that file decides, before any page of the previous set is replaced:
// either the whole new set goes in, or the run fails on that name and
// leaves the previous set whole, taking back the new names it had taken.
TEST_F(SharedDestination, ANewPageNameTakenOnceTheRecordIsPlacedNeverLeavesAMixedSet)
{
    if (test::UnderAddressSanitizer()) {
        GTEST_SKIP() << "AddressSanitizer's runtime must come first, before any preloaded library";
    }
    if (::geteuid() != 0) {
        GTEST_SKIP() << "running as two other users needs root";
    }
    struct Case {
        const char* what;
        mode_t mode;
        uid_t writer;
        bool exclusiveRename;
        bool replaces;
    };
    const std::vector<Case> cases = {
        {"a sticky directory, where the writer may not replace nobody's file", 01777, kOtherUser, true, false},
        {"the same on a file system without an exclusive rename", 01777, kOtherUser, false, false},
        {"a sticky directory, written by root", 01777, 0, true, true},
        {"a directory without the sticky bit", 0777, kOtherUser, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(destDir);
        std::filesystem::create_directory(destDir);
        ASSERT_EQ(::chmod(destDir.c_str(), c.mode), 0);
        Source(kHeaderLine + test::Folders(3, "Old"));
        const ChildResult previousRun = RunChild(CommandAs(c.writer));
        ASSERT_EQ(previousRun.exitCode, 0) << previousRun.err;
        Snapshot expected = TakeSnapshot(destDir);
        expected["5.html"] = "";

        Source(kHeaderLine + test::Folders(5, "New"));
        test::StartedChild run(CommandAs(c.writer), StopOnceTheRecordIsPlaced(c.exclusiveRename));
        ASSERT_TRUE(run.WaitStopped());
        ASSERT_TRUE(test::PathExists(destDir + std::string(kCommitRecordName)));
        AsAnotherUser([this] {
            const int fd = ::open((destDir + "5.html").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            return fd >= 0 && ::close(fd) == 0;
        });
        run.Signal(SIGCONT);
        const ChildResult result = run.Wait();
        const Snapshot after = TakeSnapshot(destDir);
        if (c.replaces) {
            EXPECT_EQ(result.exitCode, 0) << result.err;
            EXPECT_EQ(after.size(), 7u) << Names(after);
            EXPECT_NE(test::ReadFile(destDir + "5.html").find("New5"), std::string::npos);
        } else {
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_EQ(result.err, "harrowdeck-make: " +
                                      messages::CouldNotWrite(destDir + "5.html", "Operation not permitted") + "\n");
            EXPECT_TRUE(after == expected) << Names(after);
        }
    }
}

// The moment the commit record is placed, another user swaps a page's
// temporary file for a symlink. The run finds it after the rename at the
// latest and never reports success. Before any page of the previous set is
// replaced, the previous set stays whole; after, the record stays and the
// next run completes what is still the run's own.
TEST_F(SharedDestination, ATemporaryFileSwappedOnceTheRecordIsPlacedIsNeverReportedAsWritten)
{
    if (test::UnderAddressSanitizer()) {
        GTEST_SKIP() << "AddressSanitizer's runtime must come first, before any preloaded library";
    }
    const std::string outside = work / "outside.txt";
    struct Case {
        const char* what;
        std::string page;
        bool previousSetWhole;
    };
    const std::vector<Case> cases = {
        {"a new page's", "5.html", true},
        {"a page's that replaces one of the previous set", "2.html", false},
        {"the frameset's", "Harrowdeck.html", false},
    };
    const std::string notAnExport = work / "notes.txt";
    test::WriteFile(notAnExport, "not an export\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(destDir);
        std::filesystem::create_directory(destDir);
        ASSERT_EQ(::chmod(destDir.c_str(), 0777), 0);
        test::WriteFile(outside, "outside\n");
        Source(kHeaderLine + test::Folders(3, "Old"));
        ASSERT_EQ(RunChild(CommandAs(0)).exitCode, 0);
        const Snapshot previous = TakeSnapshot(destDir);

        Source(kHeaderLine + test::Folders(5, "New"));
        test::StartedChild run(CommandAs(0), StopOnceTheRecordIsPlaced());
        ASSERT_TRUE(run.WaitStopped());
        const std::string temporary = RecordedTemporary(c.page);
        ASSERT_FALSE(temporary.empty());
        AsAnotherUser(
            [&] { return ::unlink(temporary.c_str()) == 0 && ::symlink(outside.c_str(), temporary.c_str()) == 0; });
        run.Signal(SIGCONT);
        const ChildResult result = run.Wait();

        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err,
                  "harrowdeck-make: " +
                      messages::CouldNotWrite(destDir + c.page, "its temporary file was replaced by another program") +
                      "\n");
        EXPECT_EQ(test::ReadFile(outside), "outside\n");
        if (c.previousSetWhole) {
            const Snapshot after = TakeSnapshot(destDir);
            EXPECT_TRUE(after == previous) << Names(after);
            continue;
        }
        EXPECT_TRUE(test::PathExists(destDir + std::string(kCommitRecordName)));
        const ChildResult next = RunChild({HARROWDECK_MAKE_PATH, notAnExport, destDir});
        EXPECT_EQ(next.err, std::string("harrowdeck-make: ") + messages::kNotAnExport + "\n");
        EXPECT_FALSE(test::HasTemporaryFile(destDir)) << "the record or a temporary file stayed";
        EXPECT_NE(test::ReadFile(destDir + "dir.html").find("New5"), std::string::npos);
        EXPECT_TRUE(std::filesystem::is_symlink(destDir + c.page)) << "the swapped-in link stays where it was put";
        EXPECT_EQ(test::ReadFile(outside), "outside\n");
    }
}

} // namespace
} // namespace harrowdeck
