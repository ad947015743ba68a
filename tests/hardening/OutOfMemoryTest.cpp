// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of running out of memory: its boxes and its progress
// dialog allocate too, and may throw std::bad_alloc into a run at any of
// them. The run leaves the previous set and no temporary file, says "out of
// memory" where it still can, and once its renaming has begun reports the
// new set as done.
#include "Messages.h"
#include "RunFixture.h"

#include <new>

namespace harrowdeck {
namespace {

using test::kHeaderLine;
using test::Snapshot;
using test::TakeSnapshot;

// Throws from the chosen call, as a window without memory would.
class StarvedUi : public test::HookedUi {
public:
    enum class At { Nowhere, Question, Progress, LastProgress, FailureBox, DoneBox };
    At at = At::Nowhere;

    bool AskYesNo(const std::string& prompt) override
    {
        ThrowAt(At::Question);
        return HookedUi::AskYesNo(prompt);
    }
    bool ReportProgress(std::uint64_t bytesRead, std::uint64_t totalBytes) override
    {
        ThrowAt(bytesRead == totalBytes ? At::LastProgress : At::Progress);
        return HookedUi::ReportProgress(bytesRead, totalBytes);
    }
    void ShowMessage(const std::string& text, Icon icon) override
    {
        ThrowAt(text.starts_with(messages::kDone) ? At::DoneBox : At::FailureBox);
        HookedUi::ShowMessage(text, icon);
    }

private:
    void ThrowAt(At here) const
    {
        if (here == at) {
            throw std::bad_alloc();
        }
    }
};

class OutOfMemoryTest : public test::RunFixture {
protected:
    StarvedUi starved;
};

TEST_F(OutOfMemoryTest, AWindowWithoutMemoryLeavesOneWholeSet)
{
    using At = StarvedUi::At;
    struct Case {
        const char* what;
        At at;
        std::string body;
        RunOutcome outcome; // when the run returns
        bool escapes;       // the bad_alloc reaches the window's caller
        bool replaced;
    };
    const std::string big = kHeaderLine + test::BigFolders(4, 1000);
    const std::string small = kHeaderLine + test::Folders(4, "New");
    const std::vector<Case> cases = {
        {"the question", At::Question, small, RunOutcome::SourceMissing, true, false},
        {"a progress report", At::Progress, big, RunOutcome::OutOfMemory, false, false},
        {"the last report before the renaming", At::LastProgress, small, RunOutcome::OutOfMemory, false, false},
        {"the box of a failed run", At::FailureBox, std::string(kHeaderLine) + "<DT><H3>Empty</H3>\n",
         RunOutcome::NothingToWrite, true, false},
        {"the box of a completed run", At::DoneBox, small, RunOutcome::Done, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        starved.at = At::Nowhere;
        Source(kHeaderLine + test::Folders(2, "Old"));
        ASSERT_EQ(MakeFrameset(options, starved).outcome, RunOutcome::Done);
        const Snapshot previous = TakeSnapshot(destDir);

        Source(c.body);
        starved.at = c.at;
        starved.messages.clear();
        bool escaped = false;
        RunReport report;
        try {
            report = MakeFrameset(options, starved);
        } catch (const std::bad_alloc&) {
            escaped = true;
        }
        EXPECT_EQ(escaped, c.escapes);
        if (!c.escapes) {
            EXPECT_EQ(report.outcome, c.outcome);
        }
        if (c.outcome == RunOutcome::OutOfMemory) {
            EXPECT_EQ(starved.OnlyMessage(), messages::OutOfMemory(sourcePath));
        }
        const Snapshot after = TakeSnapshot(destDir);
        if (c.replaced) {
            EXPECT_EQ(after.size(), 6u);
            EXPECT_NE(after.at("4.html").find("New4"), std::string::npos);
        } else {
            EXPECT_EQ(after, previous) << "a page changed, or a temporary file was left";
        }
    }
}

} // namespace
} // namespace harrowdeck
