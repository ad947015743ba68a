// SPDX-License-Identifier: GPL-3.0-or-later
// Every allocation of a small run fails in turn, alone or with every one
// after it, through a malloc that fails on purpose: each run ends with the
// previous set and a message saying "out of memory", or, once the renaming
// has begun, with the new set and success. None aborts, none leaves a
// temporary file.
#include "ChildProcess.h"
#include "RunFixture.h"

#include <filesystem>

namespace harrowdeck {
namespace {

using test::ChildResult;
using test::kHeaderLine;
using test::RunChild;
using test::Snapshot;
using test::TakeSnapshot;

// Root links, a nested folder between an outer folder's links and an empty
// one: every kind of page and, with --folders all, a page opened again.
const std::string kNewExport = kHeaderLine + std::string("<TITLE>Mine</TITLE>\n<DT><A HREF=\"r\">root</A>\n") +
                               "<DT><H3>Outer</H3>\n<DL><p>\n<DT><A HREF=\"a1\">a1</A>\n"
                               "<DT><H3>Inner</H3>\n<DL><p>\n<DT><A HREF=\"b1\">b1</A>\n</DL><p>\n"
                               "<DT><A HREF=\"a2\">a2</A>\n</DL><p>\n<DT><H3>Empty</H3>\n<DL><p>\n</DL><p>\n" +
                               test::Folders(2, "Last");

class AllocationSweep : public test::RunFixture {
protected:
    ChildResult Convert(const std::string& mode, std::vector<std::string> environment = {})
    {
        environment.push_back("LD_PRELOAD=" + std::string(HARROWDECK_FAULT_PRELOAD_PATH));
        return RunChild({HARROWDECK_MAKE_PATH, "--folders", mode, sourcePath, destDir}, std::chrono::seconds(60),
                        environment);
    }

    // The set a run of `body` leaves in an empty destination.
    Snapshot SetOf(const std::string& body, const std::string& mode)
    {
        Source(body);
        PutInPlace({});
        const ChildResult result = Convert(mode);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return TakeSnapshot(destDir);
    }
};

TEST_F(AllocationSweep, EveryFailedAllocationLeavesOneWholeSet)
{
    if (test::UnderAddressSanitizer()) {
        GTEST_SKIP() << "AddressSanitizer's allocator does not let another malloc in";
    }
    for (const std::string mode : {"top", "all"}) {
        SCOPED_TRACE("--folders " + mode);
        const Snapshot newSet = SetOf(kNewExport, mode);
        const Snapshot oldSet = SetOf(kHeaderLine + test::Folders(2, "Old"), mode);
        Source(kNewExport);
        const test::TempDir counted;
        ASSERT_EQ(Convert(mode, {"HARROWDECK_COUNT_ALLOCATIONS=" + counted / "count"}).exitCode, 0);
        const std::uint64_t allocations = std::stoull(test::ReadFile(counted / "count"));
        ASSERT_GT(allocations, 0u);

        for (const bool fromThenOn : {false, true}) {
            int failed = 0;
            int done = 0;
            for (std::uint64_t n = 1; n <= allocations; ++n) {
                SCOPED_TRACE("allocation " + std::to_string(n) + (fromThenOn ? " and after" : " alone"));
                PutInPlace(oldSet);
                const ChildResult result =
                    Convert(mode, {"HARROWDECK_FAIL_ALLOCATION=" + std::to_string(n),
                                   "HARROWDECK_FAIL_FROM=" + std::string(fromThenOn ? "1" : "0")});
                ASSERT_EQ(result.signal, 0) << result.err;
                if (result.exitCode == 0) {
                    ++done;
                    EXPECT_EQ(TakeSnapshot(destDir), newSet);
                    continue;
                }
                ++failed;
                EXPECT_EQ(result.exitCode, 1);
                EXPECT_TRUE(result.err.starts_with("harrowdeck-make: ") && result.err.ends_with("out of memory\n"))
                    << result.err;
                EXPECT_EQ(TakeSnapshot(destDir), oldSet) << "a page changed, or a temporary file was left";
            }
            EXPECT_GT(failed, 0);
            EXPECT_GT(done, 0) << "no allocation failed after the renaming had begun";
        }
    }
}

} // namespace
} // namespace harrowdeck
