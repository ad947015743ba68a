// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunProgress.h"

#include <algorithm>

namespace harrowdeck {

namespace {

using Stage = UserInterface::Stage;

// The shares of the bar, from runs on large exports: the renaming took a
// tenth to a third of a run into a fresh directory, and up to two thirds
// on a disk where it replaced many pages; the index of every folder reads
// its scratch records back in a few hundredths.
constexpr int kPlacingShare = 300;
constexpr int kIndexShare = 50;

int Scaled(std::uint64_t done, std::uint64_t total, int span)
{
    if (total == 0 || done >= total) {
        return span;
    }
    return static_cast<int>(static_cast<double>(done) / static_cast<double>(total) * span);
}

} // namespace

std::string_view StageLabel(Stage stage) noexcept
{
    switch (stage) {
    case Stage::Reading:
        break;
    case Stage::WritingIndex:
        return "Writing the folder index...";
    case Stage::PlacingPages:
        return "Putting the pages in place...";
    }
    return "Reading the Gloamery export...";
}

ProgressPlan::ProgressPlan(FolderMode mode) noexcept
    : readingEnd_(kProgressSteps - kPlacingShare - (mode == FolderMode::All ? kIndexShare : 0)),
      indexEnd_(kProgressSteps - kPlacingShare)
{
}

int ProgressPlan::Position(Stage stage, std::uint64_t done, std::uint64_t total) noexcept
{
    int position = 0;
    switch (stage) {
    case Stage::Reading:
        position = Scaled(done, total, readingEnd_);
        break;
    case Stage::WritingIndex:
        position = readingEnd_ + Scaled(done, total, indexEnd_ - readingEnd_);
        break;
    case Stage::PlacingPages:
        position = indexEnd_ + Scaled(done, total, kProgressSteps - indexEnd_);
        break;
    }
    last_ = std::max(last_, position);
    return last_;
}

RunProgress::RunProgress(FolderMode mode, ProgressPacing pacing, Clock::time_point start) noexcept
    : plan_(mode), pacing_(pacing), start_(start)
{
    shown_.label = StageLabel(Stage::Reading);
}

RunProgress::Action RunProgress::Report(Stage stage, std::uint64_t done, std::uint64_t total,
                                        Clock::time_point now) noexcept
{
    shown_.label = StageLabel(stage);
    shown_.position = plan_.Position(stage, done, total);
    if (!open_) {
        if (!WorthShowing(now - start_)) {
            return Action::None;
        }
        open_ = true;
        drawn_ = now;
        drawnLabel_ = shown_.label;
        return Action::Open;
    }
    // A new stage shows at once; within one, the clock decides.
    if (shown_.label == drawnLabel_ && now - drawn_ < pacing_.refresh) {
        return Action::None;
    }
    drawn_ = now;
    drawnLabel_ = shown_.label;
    return Action::Redraw;
}

// Opening the window and redrawing it cost the run time, more so on a
// busy machine where every exchange with the window system waits its turn.
// It pays off only for a run the user waits for: one that has gone on for
// the delay and is expected to take four times as long in all, judged by
// how far the bar has come, or that has simply gone on that long.
bool RunProgress::WorthShowing(Clock::duration elapsed) const noexcept
{
    if (elapsed < pacing_.delay) {
        return false;
    }
    const Clock::duration worthWaiting = 4 * pacing_.delay;
    if (elapsed >= worthWaiting || shown_.position == 0) {
        return true;
    }
    return elapsed * kProgressSteps / shown_.position >= worthWaiting;
}

RunProgress::Action RunProgress::Commit() noexcept
{
    shown_.cancellable = false;
    shown_.label = StageLabel(Stage::PlacingPages);
    drawnLabel_ = shown_.label;
    return open_ ? Action::Redraw : Action::None;
}

} // namespace harrowdeck
