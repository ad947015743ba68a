// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RunOptions.h"
#include "UserInterface.h"

#include <chrono>
#include <cstdint>
#include <string_view>

namespace harrowdeck {

// The bar's range. Bytes and renames are mapped onto it: a large export
// would not fit an int.
inline constexpr int kProgressSteps = 1000;

// What the progress window shows at one moment.
struct ProgressShown {
    std::string_view label;
    int position = 0;        // 0..kProgressSteps over the whole run
    bool cancellable = true; // false once the pages are being put in place

    friend bool operator==(const ProgressShown&, const ProgressShown&) = default;
};

// What each stage of a run is called in the progress window.
[[nodiscard]] std::string_view StageLabel(UserInterface::Stage stage) noexcept;

// The bar runs once from 0 to kProgressSteps over the whole run, each stage
// over a share of its own: the reading, the index of every folder (only
// when every folder gets a page), and the renaming. It never moves back.
class ProgressPlan {
public:
    explicit ProgressPlan(FolderMode mode) noexcept;

    [[nodiscard]] int Position(UserInterface::Stage stage, std::uint64_t done, std::uint64_t total) noexcept;

private:
    int readingEnd_;
    int indexEnd_;
    int last_ = 0;
};

// How long a run goes before its progress window appears, and how often at
// most the window is redrawn while a stage goes on.
struct ProgressPacing {
    std::chrono::milliseconds delay{500};
    std::chrono::milliseconds refresh{100};
};

// When the progress window appears, when it is redrawn, and what it shows.
// A short run never shows it; a long one redraws it, and handles the user's
// clicks, a few times a second rather than at every report, which would
// cost the run more time than it saves the user.
class RunProgress {
public:
    using Clock = std::chrono::steady_clock;

    enum class Action {
        None,   // nothing to do for this report
        Open,   // open the window, showing Shown()
        Redraw, // redraw it with Shown() and handle the user's input
    };

    RunProgress(FolderMode mode, ProgressPacing pacing, Clock::time_point start) noexcept;

    // A report of the run at `now`: what the front end does with it.
    [[nodiscard]] Action Report(UserInterface::Stage stage, std::uint64_t done, std::uint64_t total,
                                Clock::time_point now) noexcept;
    // The run has passed its last chance to stop: the renaming begins, and
    // Cancel can no longer be offered. Redraw at once when the window is open.
    [[nodiscard]] Action Commit() noexcept;
    // The window was closed (a message box takes its place); the next report
    // opens it again.
    void Closed() noexcept { open_ = false; }

    [[nodiscard]] const ProgressShown& Shown() const noexcept { return shown_; }
    [[nodiscard]] bool IsOpen() const noexcept { return open_; }
    [[nodiscard]] bool Committed() const noexcept { return !shown_.cancellable; }

private:
    [[nodiscard]] bool WorthShowing(Clock::duration elapsed) const noexcept;

    ProgressPlan plan_;
    ProgressPacing pacing_;
    Clock::time_point start_;
    Clock::time_point drawn_{};
    ProgressShown shown_;
    std::string_view drawnLabel_;
    bool open_ = false;
};

} // namespace harrowdeck
