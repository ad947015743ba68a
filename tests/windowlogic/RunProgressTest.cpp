// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window's rules: where the bar stands, when the window opens
// and is redrawn, and when Cancel goes.
#include "RunProgress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace harrowdeck {
namespace {

using Stage = UserInterface::Stage;
using Action = RunProgress::Action;
using namespace std::chrono_literals;

TEST(ProgressPlan, RunsOnceFromStartToEndAndNeverBack)
{
    struct Report {
        Stage stage;
        std::uint64_t done;
        std::uint64_t total;
        int position;
    };
    const struct {
        FolderMode mode;
        std::vector<Report> reports;
    } runs[] = {
        {FolderMode::Top,
         {{Stage::Reading, 0, 1000, 0},
          {Stage::Reading, 500, 1000, 350},
          {Stage::Reading, 980, 1000, 686},
          {Stage::PlacingPages, 0, 40, 700},
          {Stage::PlacingPages, 20, 40, 850},
          {Stage::PlacingPages, 40, 40, 1000}}},
        {FolderMode::All,
         {{Stage::Reading, 500, 1000, 325},
          {Stage::Reading, 1000, 1000, 650},
          {Stage::WritingIndex, 0, 8, 650},
          {Stage::WritingIndex, 4, 8, 675},
          {Stage::PlacingPages, 0, 3, 700},
          {Stage::PlacingPages, 3, 3, 1000}}},
        // Reports that would move it back (a stage reported late, counts
        // past their totals, empty totals) leave it where it is or at the
        // stage's end.
        {FolderMode::All,
         {{Stage::WritingIndex, 8, 8, 700},
          {Stage::Reading, 100, 1000, 700},
          {Stage::PlacingPages, 9, 3, 1000},
          {Stage::PlacingPages, 0, 3, 1000}}},
        {FolderMode::Top, {{Stage::Reading, 0, 0, 700}, {Stage::PlacingPages, 0, 0, 1000}}},
    };
    for (const auto& run : runs) {
        ProgressPlan plan(run.mode);
        for (const Report& r : run.reports) {
            SCOPED_TRACE(std::to_string(static_cast<int>(r.stage)) + " " + std::to_string(r.done) + "/" +
                         std::to_string(r.total));
            EXPECT_EQ(plan.Position(r.stage, r.done, r.total), r.position);
        }
    }
}

TEST(RunProgress, OpensAfterTheDelayAndRedrawsAtItsPace)
{
    const auto start = RunProgress::Clock::now();
    RunProgress progress(FolderMode::Top, {.delay = 500ms, .refresh = 100ms}, start);
    // One tenth read at each report: expected to go on long enough to be shown.
    const struct {
        Stage stage;
        std::chrono::milliseconds at;
        Action action;
    } reports[] = {
        {Stage::Reading, 10ms, Action::None}, // a short run never shows it
        {Stage::Reading, 499ms, Action::None},
        {Stage::Reading, 500ms, Action::Open},
        {Stage::Reading, 550ms, Action::None}, // not yet due
        {Stage::Reading, 600ms, Action::Redraw},
        {Stage::WritingIndex, 610ms, Action::Redraw}, // a new stage shows at once
        {Stage::WritingIndex, 650ms, Action::None},
        {Stage::PlacingPages, 651ms, Action::Redraw},
        {Stage::PlacingPages, 700ms, Action::None},
        {Stage::PlacingPages, 751ms, Action::Redraw},
    };
    for (const auto& r : reports) {
        SCOPED_TRACE(r.at.count());
        EXPECT_EQ(progress.Report(r.stage, 1, 10, start + r.at), r.action);
        EXPECT_EQ(progress.Shown().label, StageLabel(r.stage));
    }
}

// The window costs the run time: it appears only for a run that is
// expected to go on for four times the delay, or has gone on that long.
TEST(RunProgress, OpensOnlyForARunWorthWaitingFor)
{
    const struct {
        std::uint64_t done; // of 1000 bytes read
        std::chrono::milliseconds at;
        Action action;
    } cases[] = {
        {600, 500ms, Action::None},  // 42 % of the bar: the whole run in about 1.2 s
        {200, 500ms, Action::Open},  // 14 %: about 3.6 s
        {0, 500ms, Action::Open},    // nothing read yet: no telling
        {990, 1300ms, Action::None}, // 69 %: about 1.9 s
        {990, 2000ms, Action::Open}, // but going on for long enough
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.done) + " at " + std::to_string(c.at.count()));
        const auto start = RunProgress::Clock::now();
        RunProgress progress(FolderMode::Top, {.delay = 500ms, .refresh = 100ms}, start);
        EXPECT_EQ(progress.Report(Stage::Reading, c.done, 1000, start + c.at), c.action);
    }
}

TEST(RunProgress, CancelGoesOnceTheRenamingBeginsAndABoxClosesTheWindow)
{
    const auto start = RunProgress::Clock::now();
    RunProgress progress(FolderMode::Top, {.delay = 0ms, .refresh = 100ms}, start);
    EXPECT_EQ(progress.Commit(), Action::None) << "nothing to redraw while the window is closed";
    EXPECT_FALSE(progress.Shown().cancellable);

    RunProgress shown(FolderMode::Top, {.delay = 0ms, .refresh = 100ms}, start);
    EXPECT_EQ(shown.Report(Stage::Reading, 1, 2, start), Action::Open);
    EXPECT_TRUE(shown.Shown().cancellable);
    EXPECT_EQ(shown.Commit(), Action::Redraw);
    EXPECT_EQ(shown.Shown(), (ProgressShown{"Putting the pages in place...", 350, false}));
    // A box took the window's place: the next report opens it again, still
    // without Cancel.
    shown.Closed();
    EXPECT_EQ(shown.Report(Stage::PlacingPages, 1, 2, start + 1ms), Action::Open);
    EXPECT_EQ(shown.Shown(), (ProgressShown{"Putting the pages in place...", 850, false}));
}

} // namespace
} // namespace harrowdeck
