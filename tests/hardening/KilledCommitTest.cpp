// SPDX-License-Identifier: GPL-3.0-or-later
// harrowdeck-make killed outright right after each of its renames, then a
// run that fails at the header check: the failing run completes the killed
// run's set from its commit record first, so that the destination holds
// one whole set and no temporary file.
#include "ChildProcess.h"
#include "CommitRecord.h"
#include "Messages.h"
#include "RunFixture.h"

#include <signal.h>

#include <filesystem>

namespace harrowdeck {
namespace {

using test::ChildResult;
using test::kHeaderLine;
using test::RunChild;
using test::Snapshot;
using test::TakeSnapshot;

class KilledCommit : public test::RunFixture {
protected:
    ChildResult Convert(const std::string& source, const std::vector<std::string>& environment = {})
    {
        return RunChild({HARROWDECK_MAKE_PATH, "--folders", "all", source, destDir}, std::chrono::seconds(60),
                        environment);
    }
};

TEST_F(KilledCommit, TheNextRunEvenOneThatFailsCompletesTheSet)
{
    if (test::UnderAddressSanitizer()) {
        GTEST_SKIP() << "AddressSanitizer's runtime must come first, before any preloaded library";
    }
    const std::string notAnExport = work / "notes.txt";
    test::WriteFile(notAnExport, "not an export\n");
    Source(kHeaderLine + test::Folders(3, "Old"));
    ASSERT_EQ(Convert(sourcePath).exitCode, 0);
    const Snapshot oldSet = TakeSnapshot(destDir);
    // Nested folders: pages whose files were opened again, renamed in an
    // order of their own.
    Source(std::string(kHeaderLine) + "<DT><A HREF=\"r\">root</A>\n<DT><H3>A</H3>\n<DL><p>\n<DT><A HREF=\"a\">a</A>\n" +
           test::Folders(3, "In") + "<DT><A HREF=\"a2\">a2</A>\n</DL><p>\n" + test::Folders(2, "New"));
    ASSERT_EQ(Convert(sourcePath).exitCode, 0);
    const Snapshot newSet = TakeSnapshot(destDir);
    // The record, 7 link pages, dir.html and Harrowdeck.html.
    const int renames = 1 + 7 + 2;
    ASSERT_EQ(newSet.size(), 9u);

    // The four new names are taken first, by a rename that only makes a
    // name, or, on a file system without one, by a file created to claim
    // the name before the rename.
    for (const bool exclusiveRename : {true, false}) {
        for (int n = 1; n <= renames; ++n) {
            SCOPED_TRACE("killed after rename " + std::to_string(n) +
                         (exclusiveRename ? "" : ", without an exclusive rename"));
            PutInPlace(oldSet);
            std::vector<std::string> environment = {"LD_PRELOAD=" + std::string(HARROWDECK_FAULT_PRELOAD_PATH),
                                                    "HARROWDECK_KILL_AFTER_RENAME=" + std::to_string(n)};
            if (!exclusiveRename) {
                environment.emplace_back("HARROWDECK_NO_EXCLUSIVE_RENAME=1");
            }
            const ChildResult killed = Convert(sourcePath, environment);
            ASSERT_EQ(killed.signal, SIGKILL);
            ASSERT_TRUE(test::PathExists(destDir + std::string(kCommitRecordName)));

            const ChildResult failing = Convert(notAnExport);
            EXPECT_EQ(failing.exitCode, 1);
            EXPECT_EQ(failing.err, std::string("harrowdeck-make: ") + messages::kNotAnExport + "\n");
            EXPECT_EQ(TakeSnapshot(destDir), newSet) << "not the killed run's whole set, or a temporary file left";
        }
    }

    // A run that stops before it opens the destination completes it too.
    PutInPlace(oldSet);
    ASSERT_EQ(Convert(sourcePath,
                      {"LD_PRELOAD=" + std::string(HARROWDECK_FAULT_PRELOAD_PATH), "HARROWDECK_KILL_AFTER_RENAME=4"})
                  .signal,
              SIGKILL);
    const ChildResult missing = Convert(work / "gone.htm");
    EXPECT_EQ(missing.err, std::string("harrowdeck-make: ") + messages::kSourceMissing + "\n");
    EXPECT_EQ(TakeSnapshot(destDir), newSet);
}

} // namespace
} // namespace harrowdeck
