// SPDX-License-Identifier: GPL-3.0-or-later
// A destination that other users may write to: one of them swaps a page's
// temporary file while the run writes it, or owns a page of the previous
// set in a sticky directory. The run never writes outside the destination,
// never reports success for pages it did not write, and finds what would
// stop its renaming before the first rename.
#include "ChildProcess.h"
#include "Messages.h"
#include "RunFixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>

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
};

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
    const auto as = [this](uid_t user) {
        std::vector<std::string> command;
        if (user != 0) {
            const std::string id = std::to_string(user);
            command = {"setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups"};
        }
        command.insert(command.end(), {HARROWDECK_MAKE_PATH, sourcePath, destDir});
        return command;
    };
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
        const ChildResult previousRun = RunChild(as(kNobody));
        ASSERT_EQ(previousRun.exitCode, 0) << previousRun.err;
        ASSERT_EQ(::chown((destDir + "2.html").c_str(), kOtherUser, kOtherUser), 0);
        const Snapshot previous = TakeSnapshot(destDir);

        Source(kHeaderLine + test::Folders(4, "New"));
        const ChildResult result = RunChild(as(c.writer));
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

} // namespace
} // namespace harrowdeck
