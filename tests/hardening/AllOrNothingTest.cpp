// SPDX-License-Identifier: GPL-3.0-or-later
// harrowdeck-make attacked from outside while it runs: signals at several
// points, a kill that allows no cleanup, a second run into the same
// destination, too little memory or file size, and output nobody can read.
// A run either puts its complete set in place or leaves the previous one
// byte for byte, and says which.
#include "ChildProcess.h"
#include "CommitRecord.h"
#include "EndingSignals.h"
#include "Messages.h"
#include "RunFixture.h"

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <thread>

namespace harrowdeck {
namespace {

using test::ChildResult;
using test::kHeaderLine;
using test::RunChild;
using test::Snapshot;
using test::StartedChild;
using test::TakeSnapshot;

constexpr const char* kPrefix = "harrowdeck-make: ";

// `count` folders of 100 links, about 6 kB a page, so that a run over
// many of them lasts long enough to be caught at a chosen point.
std::string ManyFolders(int count, const std::string& prefix)
{
    return kHeaderLine + test::BigFolders(count, 100, 60, prefix);
}

std::size_t TemporaryFiles(const std::string& dir)
{
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        count += entry.path().filename().string().starts_with(".harrowdeck-") ? 1 : 0;
    }
    return count;
}

// Lets the run go on in short steps, stopped between them, until condition
// holds, and leaves it stopped there: however busy the machine, the run
// cannot get past the point unseen. False when the point never came.
[[nodiscard]] bool RunUntil(const StartedChild& run, const std::function<bool()>& condition)
{
    const auto stop = [&run] {
        run.Signal(SIGSTOP);
        return run.WaitStopped();
    };
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (bool stopped = stop(); !condition(); stopped = stop()) {
        if (!stopped || std::chrono::steady_clock::now() > end) {
            return false;
        }
        run.Signal(SIGCONT);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

class AllOrNothing : public test::RunFixture {
protected:
    // The tool on the fixture's source and destination, after `prefix`.
    [[nodiscard]] std::vector<std::string> Command(std::vector<std::string> prefix = {}) const
    {
        prefix.insert(prefix.end(), {HARROWDECK_MAKE_PATH, sourcePath, destDir});
        return prefix;
    }

    // A previous run's complete set, made by the tool itself.
    Snapshot MakePrevious(const std::string& body)
    {
        Source(body);
        const ChildResult result = RunChild(Command());
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return TakeSnapshot(destDir);
    }
};

TEST_F(AllOrNothing, InterruptedRunsLeaveThePreviousSetAndNoTemporaryFile)
{
    const Snapshot previous = MakePrevious(kHeaderLine + test::Folders(3, "Old"));
    const std::string moved = work / "moved/";
    struct Point {
        const char* what;
        int signal;
        std::size_t pagesUnderWay; // temporary files before the signal
        bool moveDestination = false;
    };
    std::vector<Point> points = {
        {"SIGTERM with the first page open", SIGTERM, 1},
        {"SIGTERM after 1000 pages", SIGTERM, 1000},
        {"SIGTERM after the destination was renamed away", SIGTERM, 100, true},
    };
    // Each signal that asks a process to end, after 100 pages.
    for (const EndingSignal& ending : kEndingSignals) {
        points.push_back({ending.name, ending.number, 100});
    }
    Source(ManyFolders(2000, "New"));
    for (const Point& point : points) {
        SCOPED_TRACE(point.what);
        // On a loaded machine the run can pass the point and begin its
        // renaming before it is stopped, where a signal lets it complete;
        // such a try shows nothing, so it is made again from the previous set.
        std::optional<StartedChild> run;
        for (int attempt = 0;; ++attempt) {
            run.emplace(Command());
            ASSERT_TRUE(RunUntil(*run, [&] { return TemporaryFiles(destDir) >= point.pagesUnderWay; }));
            if (attempt == 4 || !test::PathExists(destDir + std::string(kCommitRecordName))) {
                break;
            }
            run->Signal(SIGCONT);
            ASSERT_EQ(run->Wait().exitCode, 0);
            run.reset();
            std::filesystem::remove_all(destDir);
            std::filesystem::create_directory(destDir);
            ASSERT_EQ(MakePrevious(kHeaderLine + test::Folders(3, "Old")), previous);
            Source(ManyFolders(2000, "New"));
        }
        if (point.moveDestination) {
            std::filesystem::rename(destDir, moved);
            std::filesystem::create_directory(destDir);
        }
        run->Signal(point.signal);
        run->Signal(SIGCONT);
        const ChildResult result = run->Wait();
        // Killed by the signal itself: a shell shows 128 + N.
        EXPECT_EQ(result.signal, point.signal);
        EXPECT_EQ(result.err, std::string(kPrefix) + "interrupted\n");
        EXPECT_EQ(result.out, "");
        if (point.moveDestination) {
            EXPECT_TRUE(TakeSnapshot(destDir).empty()) << "written into the directory now under the old name";
            std::filesystem::remove(destDir);
            std::filesystem::rename(moved, destDir);
        }
        EXPECT_EQ(TakeSnapshot(destDir), previous) << "a page changed, or a temporary file was left";
    }
}

// Once the renaming has begun, a signal is too late to stop the run: it
// completes and reports as usual, so that the exit status tells which set the
// destination holds. The run is stopped between two renames for the signal.
TEST_F(AllOrNothing, ASignalDuringTheRenamingLetsTheRunComplete)
{
    const std::string newSource = work / "new.htm";
    // Many small pages: the renaming takes long enough to be caught.
    test::WriteFile(newSource, kHeaderLine + test::BigFolders(3000, 2, 60, "New"));
    for (const EndingSignal& ending : kEndingSignals) {
        SCOPED_TRACE(ending.name);
        std::filesystem::remove_all(destDir);
        std::filesystem::create_directory(destDir);
        (void)MakePrevious(kHeaderLine + test::Folders(3, "Old"));

        StartedChild run({HARROWDECK_MAKE_PATH, newSource, destDir});
        // The previous set has 3 pages: 4.html comes with the first rename.
        ASSERT_TRUE(RunUntil(run, [&] { return test::PathExists(destDir + "4.html"); }));
        ASSERT_GT(TemporaryFiles(destDir), 0u) << "the renaming was over before the run stopped";
        run.Signal(ending.number);
        run.Signal(SIGCONT);
        const ChildResult result = run.Wait();

        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_TRUE(result.out.starts_with(messages::kDone)) << result.out;
        const Snapshot after = TakeSnapshot(destDir);
        EXPECT_EQ(after.size(), 3002u) << "3000 pages, dir.html and Harrowdeck.html, no temporary file";
        EXPECT_NE(after.at("dir.html").find("New3000"), std::string::npos) << "the index is not the new one";
    }
}

TEST_F(AllOrNothing, AKilledRunsLeftoversGoWithTheNextRun)
{
    (void)MakePrevious(kHeaderLine + test::Folders(3, "Old"));
    // Leftovers of a writer still alive (pid 1) go only once a day old;
    // names that are not the program's own stay.
    const std::vector<std::string> kept = {".harrowdeck-1-7.tmp", ".harrowdeck-x-1.tmp", "notes.tmp"};
    for (const std::string& name : kept) {
        test::WriteFile(destDir + name, "kept");
    }
    test::WriteFile(destDir + ".harrowdeck-1-8.tmp", "two days old");
    std::filesystem::last_write_time(destDir + ".harrowdeck-1-8.tmp",
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));

    Source(ManyFolders(2000, "Killed"));
    StartedChild killed(Command());
    ASSERT_TRUE(RunUntil(killed, [&] { return TemporaryFiles(destDir) >= 100 + kept.size(); }));
    killed.Signal(SIGKILL);
    EXPECT_EQ(killed.Wait().signal, SIGKILL);
    EXPECT_GE(TemporaryFiles(destDir), 100u) << "the killed run's pages under way";

    Source(kHeaderLine + test::Folders(3, "Again"));
    const ChildResult again = RunChild(Command());
    EXPECT_EQ(again.exitCode, 0) << again.err;
    std::vector<std::string> expected = {"1.html", "2.html", "3.html", "Harrowdeck.html", "dir.html"};
    expected.insert(expected.end(), kept.begin(), kept.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(DestFiles(), expected);
    EXPECT_NE(test::ReadFile(destDir + "3.html").find("Again3"), std::string::npos);
}

TEST_F(AllOrNothing, OfTwoRunsIntoOneDestinationOnlyOneWrites)
{
    (void)MakePrevious(kHeaderLine + test::Folders(3, "Old"));
    const std::string otherSource = work / "other.htm";
    test::WriteFile(otherSource, ManyFolders(500, "B"));
    Source(ManyFolders(500, "A"));
    const std::string busy = kPrefix + messages::DestinationBusy(destDir) + "\n";

    // The second run starts while the first holds the destination.
    StartedChild first(Command());
    ASSERT_TRUE(RunUntil(first, [&] { return test::HasTemporaryFile(destDir); }));
    const ChildResult second = RunChild({HARROWDECK_MAKE_PATH, otherSource, destDir});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(second.err, busy);
    EXPECT_EQ(second.out, "");
    const std::string firstsFiles = ".harrowdeck-" + std::to_string(first.Pid()) + "-";
    for (const auto& [name, bytes] : TakeSnapshot(destDir)) {
        EXPECT_TRUE(name.ends_with(".html") || name.starts_with(firstsFiles)) << name << " is not the first run's";
    }
    first.Signal(SIGCONT);
    const ChildResult firstResult = first.Wait();
    EXPECT_EQ(firstResult.exitCode, 0) << firstResult.err;
    const Snapshot setA = TakeSnapshot(destDir);
    EXPECT_EQ(setA.size(), 502u) << "500 pages, dir.html and Harrowdeck.html, no temporary file";
    EXPECT_NE(setA.at("1.html").find("A1"), std::string::npos);

    test::TempDir aloneB;
    ASSERT_EQ(RunChild({HARROWDECK_MAKE_PATH, otherSource, aloneB.Path()}).exitCode, 0);
    const Snapshot setB = TakeSnapshot(aloneB.Path());

    // Started together: the runs either take turns or one is refused, and
    // the destination holds one run's set, never a mix.
    for (int pair = 0; pair < 3; ++pair) {
        SCOPED_TRACE(pair);
        StartedChild a(Command());
        StartedChild b({HARROWDECK_MAKE_PATH, otherSource, destDir});
        int succeeded = 0;
        for (const ChildResult& result : {a.Wait(), b.Wait()}) {
            succeeded += result.exitCode == 0 ? 1 : 0;
            EXPECT_TRUE(result.exitCode == 0 || (result.exitCode == 1 && result.err == busy)) << result.err;
        }
        EXPECT_GE(succeeded, 1);
        const Snapshot after = TakeSnapshot(destDir);
        EXPECT_TRUE(after == setA || after == setB) << "a mix of the two runs";
    }
}

TEST_F(AllOrNothing, StarvedRunsFailWithTheirMessage)
{
    const Snapshot previous = MakePrevious(kHeaderLine + test::Folders(3, "Old"));

    // ulimit -f: page 2 is larger than any file may be.
    Source(kHeaderLine + test::Folders(1, "New") + test::BigFolder("Huge", 8000, 60));
    const ChildResult tooLarge = RunChild(Command({"prlimit", "--fsize=200000"}));
    EXPECT_EQ(tooLarge.signal, 0) << "SIGXFSZ ended the run";
    EXPECT_EQ(tooLarge.exitCode, 1);
    EXPECT_EQ(tooLarge.err, kPrefix + messages::CouldNotWrite(destDir + "2.html", "File too large") + "\n");
    EXPECT_EQ(TakeSnapshot(destDir), previous);

    if (test::UnderAddressSanitizer()) {
        GTEST_SKIP() << "AddressSanitizer needs far more address space than any limit here";
    }
    // ulimit -v at every step from the least the tool starts with: each run
    // puts its set in place or fails with the message, never aborts. The
    // long name makes the run ask for memory after pages are under way.
    const std::string body = kHeaderLine + test::Folders(20, "Old") + "<DT><H3>" + std::string(900000, 'N') +
                             "</H3>\n<DL><p>\n<DT><A HREF=\"x\">L</A>\n</DL><p>\n";
    const Snapshot complete = MakePrevious(body);
    const auto starts = [](std::uint64_t bytes) {
        return RunChild({"prlimit", "--as=" + std::to_string(bytes), HARROWDECK_MAKE_PATH, "--version"}).exitCode == 0;
    };
    std::uint64_t low = 1 << 20;  // too little to load the program
    std::uint64_t high = 1 << 30; // plenty
    ASSERT_FALSE(starts(low));
    ASSERT_TRUE(starts(high));
    while (high - low > (64 << 10)) {
        const std::uint64_t middle = (low + high) / 2;
        (starts(middle) ? high : low) = middle;
    }
    const std::string outOfMemory = kPrefix + messages::OutOfMemory(sourcePath) + "\n";
    int failed = 0;
    int doneInARow = 0;
    for (std::uint64_t limit = high + (256 << 10); doneInARow < 3 && limit < high + (64 << 20); limit += 128 << 10) {
        SCOPED_TRACE(limit);
        const ChildResult result = RunChild(Command({"prlimit", "--as=" + std::to_string(limit)}));
        const bool done = result.exitCode == 0 && result.out.starts_with(messages::kDone);
        EXPECT_TRUE(done || (result.exitCode == 1 && result.err == outOfMemory))
            << "exit " << result.exitCode << ", signal " << result.signal << ": " << result.err;
        EXPECT_EQ(TakeSnapshot(destDir), complete);
        failed += done ? 0 : 1;
        doneInARow = done ? doneInARow + 1 : 0;
    }
    EXPECT_GT(failed, 0) << "no limit was tight enough";
    EXPECT_EQ(doneInARow, 3) << "no limit was loose enough";
}

TEST_F(AllOrNothing, OutputThatCannotBeWrittenIsAFailure)
{
    Source(kHeaderLine + test::Folders(2));
    const auto withStdout = [](const char* redirection, std::vector<std::string> args) {
        args.insert(args.begin(), {"sh", "-c", std::string("exec \"$0\" \"$@\" ") + redirection});
        return RunChild(args);
    };
    const std::string full = std::string(kPrefix) + "write error: No space left on device\n";
    for (const ChildResult& result :
         {withStdout(">/dev/full", Command()), withStdout(">/dev/full", {HARROWDECK_MAKE_PATH, "--help"})}) {
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err, full);
    }
    const ChildResult closed = withStdout(">&-", Command());
    EXPECT_EQ(closed.exitCode, 1);
    EXPECT_EQ(closed.err, std::string(kPrefix) + "write error: Bad file descriptor\n");
    // A pipe that nobody reads any more, as in `harrowdeck-make SRC DEST | true`
    // once true has ended: the same as a full disk, not a silent SIGPIPE.
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[0]);
    for (const std::vector<std::string>& args : {Command(), {HARROWDECK_MAKE_PATH, "--help"}}) {
        const ChildResult broken = StartedChild(args, {}, pipeEnds[1]).Wait();
        EXPECT_EQ(broken.signal, 0);
        EXPECT_EQ(broken.exitCode, 1);
        EXPECT_EQ(broken.err, std::string(kPrefix) + "write error: Broken pipe\n");
    }
    ::close(pipeEnds[1]);
    // The run itself completed; only its report was lost.
    EXPECT_EQ(DestFiles(), (std::vector<std::string>{"1.html", "2.html", "Harrowdeck.html", "dir.html"}));
}

} // namespace
} // namespace harrowdeck
