// SPDX-License-Identifier: GPL-3.0-or-later
// The file system fails or changes under a generation run: a full or
// read-only destination, a destination that is not there or goes away, and a
// source that is not a file or is swapped after it was checked.
#include "ChildProcess.h"
#include "ExportReader.h"
#include "Messages.h"
#include "ReadPages.h"
#include "ResourceLimit.h"
#include "RunFixture.h"

#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

namespace harrowdeck {
namespace {

using test::ChildResult;
using test::FileSizeLimit;
using test::kHeaderLine;
using test::MountNamespace;
using test::ReadFile;
using test::RunChild;
using test::Snapshot;
using test::TakeSnapshot;
using test::TmpfsMount;
using Icon = UserInterface::Icon;

using FaultTest = test::RunFixture;

// The run stopped with exactly one failure box, and no completion message.
void ExpectOneFailureBox(const test::ScriptedUi& ui, const std::string& text)
{
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, text);
    EXPECT_EQ(ui.messages[0].icon, Icon::Exclamation);
}

constexpr std::size_t kSmallDisk = 256 << 10;

TEST_F(FaultTest, DestinationFullStopsWithTheFailureBoxAndKeepsThePreviousRun)
{
    const MountNamespace where = test::EnterMountNamespace();
    if (where == MountNamespace::RanInside) {
        return;
    }
    std::optional<TmpfsMount> disk;
    if (where == MountNamespace::Inside) {
        disk.emplace(destDir, kSmallDisk);
        ASSERT_EQ(disk->Error(), "");
    }

    Source(kHeaderLine + test::Folders(3, "Old"));
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    const Snapshot previous = TakeSnapshot(destDir);

    // Page 2 alone is larger than the whole disk.
    Source(kHeaderLine + test::Folders(1, "New") + test::BigFolder("Huge", 8000, 60) + test::Folders(1, "Last"));
    RunReport report;
    std::string reason = "No space left on device";
    if (where == MountNamespace::Unavailable) {
        reason = "File too large";
        FileSizeLimit limit(kSmallDisk);
        report = Run();
    } else {
        report = Run();
    }
    EXPECT_EQ(report.outcome, RunOutcome::WriteFailed);
    EXPECT_EQ(report.counts.pagesWritten, 1u);
    ExpectOneFailureBox(ui, messages::CouldNotWrite(destDir + "2.html", reason));

    EXPECT_EQ(TakeSnapshot(destDir), previous) << "a page changed, or a temporary file was left";

    if (where == MountNamespace::Inside) {
        // The command-line tool reports the same failure and no success.
        const ChildResult cli = RunChild({HARROWDECK_MAKE_PATH, sourcePath, destDir});
        EXPECT_EQ(cli.exitCode, 1);
        EXPECT_EQ(cli.out, "");
        EXPECT_EQ(cli.err, "harrowdeck-make: " + messages::CouldNotWrite(destDir + "2.html", reason) + "\n");
    }
}

// A previous run's complete set, then a run that fails or is stopped at one
// stage: the set stays byte for byte, with no temporary file beside it.
TEST_F(FaultTest, AFaultAtAnyStageLeavesThePreviousSetWhole)
{
    const MountNamespace where = test::EnterMountNamespace();
    if (where == MountNamespace::RanInside) {
        return;
    }
    struct Stage {
        const char* what;
        std::string source;              // the export of the run that fails
        std::size_t inodes = 0;          // files the destination can hold, itself included
        rlim_t fileSize = 0;             // a file-size limit during the run
        std::function<void()> prepare{}; // after the previous run
        std::function<void()> duringRead{};
        std::uint64_t cancelAfterBytes = UINT64_MAX;
        RunOutcome outcome = RunOutcome::WriteFailed;
        std::string message{}; // the one box, or none
    };
    const std::string threeFolders = kHeaderLine + test::Folders(3, "New");
    // Page 2 goes out in several writes while it is open.
    const std::string hugeSecond = kHeaderLine + test::Folders(1, "New") + test::BigFolder("Huge", 8000, 60);
    // Small pages under a dir.html of about 160 kB, written while it grows.
    const std::string longNames = kHeaderLine + test::Folders(1500, std::string(60, 'n'));
    const auto fault = [this](const char* name, int error) {
        return messages::CouldNotWrite(destDir + name, std::strerror(error));
    };
    const auto makeDirectory = [this](const char* name) {
        return [this, name] {
            std::filesystem::remove(destDir + name);
            std::filesystem::create_directory(destDir + name);
        };
    };
    const std::string changed = messages::CouldNotRead(sourcePath, messages::kSourceChanged);
    const std::vector<Stage> stages = {
        {.what = "the first page finds the disk full",
         .source = threeFolders,
         .inodes = 6,
         .message = fault("1.html", ENOSPC)},
        {.what = "dir.html finds the disk full",
         .source = threeFolders,
         .inodes = 7,
         .message = fault("dir.html", ENOSPC)},
        {.what = "a later page finds the disk full",
         .source = threeFolders,
         .inodes = 8,
         .message = fault("2.html", ENOSPC)},
        {.what = "Harrowdeck.html finds the disk full",
         .source = threeFolders,
         .inodes = 10,
         .message = fault("Harrowdeck.html", ENOSPC)},
        {.what = "the commit record finds the disk full",
         .source = threeFolders,
         .inodes = 11,
         .message = fault(".harrowdeck-commit", ENOSPC)},
        {.what = "an open page passes the size limit",
         .source = hugeSecond,
         .fileSize = 200000,
         .message = fault("2.html", EFBIG)},
        {.what = "the open dir.html passes the size limit",
         .source = longNames,
         .fileSize = 100000,
         .message = fault("dir.html", EFBIG)},
        {.what = "dir.html cannot be replaced",
         .source = threeFolders,
         .prepare = makeDirectory("dir.html"),
         .message = fault("dir.html", EISDIR)},
        {.what = "a new page's name is taken by a directory",
         .source = kHeaderLine + test::Folders(4, "New"),
         .prepare = makeDirectory("4.html"),
         .message = fault("4.html", EISDIR)},
        {.what = "cancelled while the export is read",
         .source = hugeSecond,
         .cancelAfterBytes = 0,
         .outcome = RunOutcome::Cancelled},
        // Too small for a report while it is read: the one report comes
        // after the last page, just before the renaming.
        {.what = "cancelled after the last page",
         .source = threeFolders,
         .cancelAfterBytes = 0,
         .outcome = RunOutcome::Cancelled},
        {.what = "the source is cut short while it is read",
         .source = hugeSecond,
         .duringRead = [this, done = false]() mutable { done = done || ::truncate(sourcePath.c_str(), 100000) == 0; },
         .outcome = RunOutcome::ReadFailed,
         .message = changed},
        {.what = "the source is overwritten while it is read",
         .source = hugeSecond,
         .duringRead =
             [this, done = false]() mutable {
                 if (!done) {
                     std::fstream file(sourcePath, std::ios::in | std::ios::out | std::ios::binary);
                     file.seekp(300000);
                     file << "<DT><H3>Other</H3>";
                     done = true;
                 }
             },
         .outcome = RunOutcome::ReadFailed,
         .message = changed},
    };
    for (const Stage& stage : stages) {
        SCOPED_TRACE(stage.what);
        std::optional<TmpfsMount> disk;
        if (where == MountNamespace::Inside) {
            disk.emplace(destDir, std::size_t{16} << 20);
            ASSERT_EQ(disk->Error(), "");
        } else if (stage.inodes > 0) {
            continue; // only a file system of its own can run out of files
        } else {
            std::filesystem::remove_all(destDir);
            std::filesystem::create_directory(destDir);
        }
        ui.onProgress = nullptr;
        ui.cancelAfterBytes = UINT64_MAX;
        Source(kHeaderLine + test::Folders(3, "Old"));
        ASSERT_EQ(Run().outcome, RunOutcome::Done);
        if (stage.prepare) {
            stage.prepare();
        }
        // Limited only now: a run needs a file more than its set while it
        // renames, for its record.
        if (stage.inodes > 0) {
            ASSERT_TRUE(disk->LimitInodes(stage.inodes)) << disk->Error();
        }
        const Snapshot previous = TakeSnapshot(destDir);

        Source(stage.source);
        // An old time stamp, so that a change within the clock's tick shows.
        std::filesystem::last_write_time(sourcePath,
                                         std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
        ui.onProgress = stage.duringRead;
        ui.cancelAfterBytes = stage.cancelAfterBytes;
        RunReport report;
        {
            std::optional<FileSizeLimit> limit;
            if (stage.fileSize > 0) {
                limit.emplace(stage.fileSize);
            }
            report = Run();
        }
        EXPECT_EQ(report.outcome, stage.outcome);
        if (stage.message.empty()) {
            EXPECT_TRUE(ui.messages.empty());
        } else {
            ExpectOneFailureBox(ui, stage.message);
        }
        EXPECT_EQ(TakeSnapshot(destDir), previous) << "a file changed, or a temporary file was left";
    }
}

TEST_F(FaultTest, ReadOnlyDestinationChangesNothing)
{
    const MountNamespace where = test::EnterMountNamespace();
    if (where == MountNamespace::RanInside) {
        return;
    }
    if (where == MountNamespace::Unavailable) {
        GTEST_SKIP() << "unshare -rm does not work here, and as root a mode does not stop writes";
    }
    TmpfsMount disk(destDir, kSmallDisk);
    ASSERT_EQ(disk.Error(), "");
    Source(kHeaderLine + test::Folders(3, "Old"));
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    const Snapshot previous = TakeSnapshot(destDir);
    ASSERT_TRUE(disk.MakeReadOnly()) << disk.Error();

    Source(kHeaderLine + test::Folders(5, "New"));
    EXPECT_EQ(Run().outcome, RunOutcome::WriteFailed);
    ExpectOneFailureBox(ui, messages::CouldNotWrite(destDir + "1.html", "Read-only file system"));
    EXPECT_EQ(TakeSnapshot(destDir), previous);
}

TEST_F(FaultTest, DestinationThatIsNoDirectoryIsRefusedBeforeTheQuestion)
{
    Source(kHeaderLine + test::Folders(2));
    const std::string file = work / "plain-file";
    test::WriteFile(file, "not a directory");
    for (const std::string& dest : {file, file + "/", work / "missing/", std::string()}) {
        SCOPED_TRACE("destination '" + dest + "'");
        options.destDir = dest;
        EXPECT_EQ(Run().outcome, RunOutcome::DestMissing);
        EXPECT_EQ(ui.OnlyMessage(), messages::kDestMissing);
        EXPECT_TRUE(ui.questions.empty());
    }
    EXPECT_EQ(ReadFile(file), "not a directory");
    EXPECT_FALSE(test::PathExists(work / "missing"));

    const ChildResult cli = RunChild({HARROWDECK_MAKE_PATH, sourcePath, work / "missing"});
    EXPECT_EQ(cli.exitCode, 1);
    EXPECT_EQ(cli.err, std::string("harrowdeck-make: ") + messages::kDestMissing + "\n");
}

TEST_F(FaultTest, DestinationRemovedOrReplacedMidRunStopsTheRun)
{
    // Over 2 MiB: many progress reports, with pages still to write after the first few.
    Source(kHeaderLine + test::BigFolders(40, 1000));
    const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> cases = {
        {"removed", [](const std::string& dir) { std::filesystem::remove_all(dir); }},
        {"replaced by a file",
         [](const std::string& dir) {
             std::filesystem::remove_all(dir);
             test::WriteFile(dir.substr(0, dir.size() - 1), "file");
         }},
    };
    for (const auto& [what, change] : cases) {
        SCOPED_TRACE(what);
        std::filesystem::remove_all(destDir);
        ASSERT_TRUE(std::filesystem::create_directory(destDir));
        // Once a page is under way, so that the run has truly started.
        bool changed = false;
        ui.onProgress = [&, &change = change] {
            if (!changed && test::HasTemporaryFile(destDir)) {
                change(destDir);
                changed = true;
            }
        };
        const RunReport report = Run();
        EXPECT_EQ(report.outcome, RunOutcome::WriteFailed);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].icon, Icon::Exclamation);
        // The run goes on in the directory it checked, which is gone: a
        // file put in its place is never written into.
        EXPECT_EQ(ui.messages[0].text,
                  messages::CouldNotWrite(destDir + std::to_string(report.counts.pagesWritten + 1) + ".html",
                                          "No such file or directory"));
        EXPECT_GT(report.counts.pagesWritten, 0u);
        EXPECT_LT(report.counts.pagesWritten, 40u);
        std::filesystem::remove(destDir.substr(0, destDir.size() - 1));
    }
}

TEST_F(FaultTest, DestinationMovedMidRunGetsTheWholeRunAndTheNewOneNothing)
{
    Source(kHeaderLine + test::BigFolders(40, 1000));
    const std::string moved = work / "moved/";
    bool changed = false;
    ui.onProgress = [&] {
        if (!changed && test::HasTemporaryFile(destDir)) {
            std::filesystem::rename(destDir, moved);
            std::filesystem::create_directory(destDir);
            changed = true;
        }
    };
    ASSERT_EQ(Run().outcome, RunOutcome::Done);
    ASSERT_TRUE(changed);
    EXPECT_TRUE(TakeSnapshot(destDir).empty());
    const Snapshot landed = TakeSnapshot(moved);
    EXPECT_EQ(landed.size(), 40u + 2u) << "40 link pages, dir.html and Harrowdeck.html, no temporary file";
    EXPECT_TRUE(landed.contains("40.html") && landed.contains("dir.html") && landed.contains("Harrowdeck.html"));
}

TEST_F(FaultTest, SourceThatIsNoRegularFileIsRefusedWithoutHanging)
{
    const std::string fifo = work / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string directory = work / "subdir";
    ASSERT_TRUE(std::filesystem::create_directory(directory));
    for (const std::string& source :
         {fifo, directory, directory + "/", std::string("/dev/zero"), std::string("/dev/null"), std::string()}) {
        SCOPED_TRACE("source '" + source + "'");
        options.sourcePath = source;
        EXPECT_EQ(Run().outcome, RunOutcome::SourceMissing);
        EXPECT_EQ(ui.OnlyMessage(), messages::kSourceMissing);

        // A hang would show as the tool being killed at the time limit.
        const ChildResult cli = RunChild({HARROWDECK_MAKE_PATH, source, destDir}, std::chrono::seconds(20));
        EXPECT_FALSE(cli.timedOut);
        EXPECT_EQ(cli.exitCode, 1);
        EXPECT_EQ(cli.err, std::string("harrowdeck-make: ") + messages::kSourceMissing + "\n");
    }
    EXPECT_TRUE(TakeSnapshot(destDir).empty());
}

TEST_F(FaultTest, SourceSwappedAfterTheCheckIsReportedAsUnreadable)
{
    struct Case {
        const char* what;
        std::function<void(const std::string&)> swap;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"removed", [](const std::string& path) { std::filesystem::remove(path); }, std::strerror(ENOENT)},
        {"replaced by a directory",
         [](const std::string& path) {
             std::filesystem::remove(path);
             std::filesystem::create_directory(path);
         },
         std::strerror(EISDIR)},
        {"replaced by a FIFO without writer",
         [](const std::string& path) {
             std::filesystem::remove(path);
             ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
         },
         "Not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(sourcePath);
        Source(kHeaderLine + test::Folders(2));
        ui.onQuestion = [&] { c.swap(sourcePath); };
        EXPECT_EQ(Run().outcome, RunOutcome::ReadFailed);
        ExpectOneFailureBox(ui, messages::CouldNotRead(sourcePath, c.reason));
        EXPECT_TRUE(TakeSnapshot(destDir).empty());
    }
}

// Bytes without end, as from a device or a file that keeps growing.
class EndlessSource final : public ByteSource {
public:
    explicit EndlessSource(std::string pattern) : pattern_(std::move(pattern)) {}

    long Read(char* buffer, std::size_t size) override
    {
        for (std::size_t i = 0; i < size; ++i) {
            buffer[i] = pattern_[offset_];
            offset_ = (offset_ + 1) % pattern_.size();
        }
        return static_cast<long>(size);
    }

private:
    std::string pattern_;
    std::size_t offset_ = 0;
};

TEST(EndlessInput, LinesOverTheCapAreSkippedWithoutBeingHeld)
{
    struct Case {
        const char* what;
        std::string pattern;
        std::size_t minimumSkipped;
    };
    const std::vector<Case> cases = {
        {"zero bytes without a line end", std::string(1, '\0'), 0},
        {"one endless link line", "<DT><A HREF=\"", 0},
        {"ever longer lines", std::string(3 << 20, 'x') + "\n", 10},
    };
    constexpr std::uint64_t kEnough = std::uint64_t{48} << 20;
    // The line cap plus the read buffer, with room to spare.
    constexpr std::size_t kHeldAtMost = std::size_t{4} << 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dest;
        EndlessSource source(c.pattern);
        LineReader input(source);
        const std::size_t before = ::mallinfo2().uordblks;
        std::size_t most = before;
        const test::PagesRead result = test::ReadPages(
            input, dest.Path(), "", "<BODY>", [&](UserInterface::Stage, std::uint64_t bytesRead, std::uint64_t) {
                most = std::max(most, ::mallinfo2().uordblks);
                return bytesRead < kEnough;
            });
        EXPECT_EQ(result.end, ReadEnd::Cancelled);
        if (!test::UnderAddressSanitizer()) {
            EXPECT_LT(most - before, kHeldAtMost) << "bytes held while reading";
        }
        EXPECT_GE(result.counts.skippedLines, c.minimumSkipped);
        EXPECT_TRUE(result.folderNames.empty());
        EXPECT_TRUE(TakeSnapshot(dest.Path()).empty());
    }
}

} // namespace
} // namespace harrowdeck
