// SPDX-License-Identifier: GPL-3.0-or-later
// The run's conversation in a window: its boxes, when it stops, and a
// renaming that nothing stops.
#include "FakeWindows.h"

#include "Messages.h"

#include <gtest/gtest.h>

#include <new>

namespace harrowdeck::test {
namespace {

using Stage = UserInterface::Stage;

struct Host final : RunHost {
    bool ending = false;
    int repeated = 0;
    std::vector<RunDecisions> decided;

    [[nodiscard]] bool EndRequested() const override { return ending; }
    void TakeDecisions(const RunDecisions& decisions) override { decided.push_back(decisions); }
    void RepeatEndRequest() override { ++repeated; }
};

constexpr ProgressPacing kAtOnce{.delay = std::chrono::milliseconds(0), .refresh = std::chrono::milliseconds(0)};

class RunConversationTest : public ::testing::Test {
protected:
    FakeView surface;
    Host host;
};

TEST_F(RunConversationTest, BoxesAreCaptionedAndAnEndingProgramClosesThem)
{
    RunConversation ui(surface, host, FolderMode::Top, kAtOnce);
    EXPECT_TRUE(ui.AskYesNo(messages::kConfirm));
    ui.ShowMessage("Could not write /x/1.html: No space left on device", UserInterface::Icon::Exclamation);
    host.ending = true;
    ui.ShowMessage(messages::kDone, UserInterface::Icon::None);
    ASSERT_EQ(surface.boxes.size(), 3u);
    const struct {
        bool yesNo;
        bool exclamation;
    } expected[] = {{true, false}, {false, true}, {false, false}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(surface.boxes[i].caption, "Harrowdeck");
        EXPECT_EQ(surface.boxes[i].yesNo, expected[i].yesNo);
        EXPECT_EQ(surface.boxes[i].exclamation, expected[i].exclamation);
    }
    EXPECT_EQ(host.repeated, 1) << "only the box that opened while the program was ending";
    EXPECT_EQ(ui.KeepLeftOutHint(), messages::kKeepLeftOutInWindow);
    EXPECT_EQ(ui.LeftOutRemedy(2), "2 links outside any folder were left out. Check \"Every folder\" to keep them.");
}

// What stops a run: Cancel until the renaming begins, an ending program
// while the export is read; nothing once the pages are being put in place.
TEST_F(RunConversationTest, WhatStopsTheRunAndWhen)
{
    const struct {
        const char* what;
        Stage stage;
        bool cancel;
        bool ending;
        bool goesOn;
    } cases[] = {
        {"nothing", Stage::Reading, false, false, true},
        {"Cancel while reading", Stage::Reading, true, false, false},
        {"Cancel at the index", Stage::WritingIndex, true, false, false},
        {"Cancel at the last chance", Stage::PlacingPages, true, false, false},
        {"an end while reading", Stage::Reading, false, true, false},
        {"an end at the last chance", Stage::PlacingPages, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        surface.cancel = false;
        host.ending = false;
        RunConversation ui(surface, host, FolderMode::All, kAtOnce);
        EXPECT_TRUE(ui.ReportProgress(Stage::Reading, 1, 10));
        surface.cancel = c.cancel;
        host.ending = c.ending;
        EXPECT_EQ(ui.ReportProgress(c.stage, 5, 10), c.goesOn);
    }
    // Past the last chance, Cancel is no longer offered and nothing stops
    // the renaming.
    surface.cancel = false;
    host.ending = false;
    RunConversation ui(surface, host, FolderMode::Top, kAtOnce);
    EXPECT_TRUE(ui.ReportProgress(Stage::PlacingPages, 0, 10));
    EXPECT_FALSE(surface.progress.back().cancellable);
    surface.cancel = true;
    host.ending = true;
    ui.ReportPlacing(5, 10);
    EXPECT_EQ(surface.progress.back().position, 850);
    EXPECT_FALSE(surface.progress.back().cancellable);
}

// The renaming must complete whatever the window cannot do: nothing it
// throws, memory running out included, reaches the run.
TEST_F(RunConversationTest, TheRenamingIsNeverStoppedByTheWindow)
{
    const struct {
        const char* thrower;
        std::function<void()> fail;
    } cases[] = {
        {"out of memory", [] { throw std::bad_alloc(); }},
        {"anything else", [] { throw 42; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.thrower);
        RunConversation ui(surface, host, FolderMode::Top, kAtOnce);
        EXPECT_TRUE(ui.ReportProgress(Stage::PlacingPages, 0, 3));
        surface.onEvents = c.fail;
        for (std::uint64_t done = 1; done <= 3; ++done) {
            ui.ReportPlacing(done, 3);
        }
        surface.onEvents = nullptr;
        EXPECT_FALSE(ui.HandlingEvents()) << "left marked as handling events";
    }
}

TEST_F(RunConversationTest, MarksWhileItHandlesEventsAndPassesTheDecisionsOn)
{
    RunConversation ui(surface, host, FolderMode::Top, kAtOnce);
    bool marked = false;
    surface.onEvents = [&] { marked = ui.HandlingEvents(); };
    EXPECT_TRUE(ui.ReportProgress(Stage::Reading, 1, 2));
    EXPECT_TRUE(marked);
    EXPECT_FALSE(ui.HandlingEvents());
    RunDecisions decided;
    decided.leftPercent = 10;
    ui.TakeDecisions(decided);
    ASSERT_EQ(host.decided.size(), 1u);
    EXPECT_EQ(host.decided[0].leftPercent, 10);
}

} // namespace
} // namespace harrowdeck::test
