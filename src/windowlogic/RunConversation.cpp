// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunConversation.h"

#include "Messages.h"

namespace harrowdeck {

namespace {

// Notes that events are being handled mid-run for as long as it lives,
// whatever way the handling ends.
class Handling {
public:
    explicit Handling(bool& flag) : flag_(flag) { flag_ = true; }
    ~Handling() { flag_ = false; }
    Handling(const Handling&) = delete;
    Handling& operator=(const Handling&) = delete;

private:
    bool& flag_;
};

} // namespace

RunConversation::RunConversation(RunSurface& surface, RunHost& host, FolderMode folderMode, ProgressPacing pacing)
    : surface_(surface), host_(host), progress_(folderMode, pacing, RunProgress::Clock::now())
{
}

RunConversation::~RunConversation()
{
    CloseProgress();
}

bool RunConversation::AskYesNo(const std::string& prompt)
{
    MessageBoxRequest box;
    box.text = prompt;
    box.yesNo = true;
    return RunBox(box);
}

void RunConversation::ShowMessage(const std::string& text, Icon icon)
{
    MessageBoxRequest box;
    box.text = text;
    box.exclamation = icon == Icon::Exclamation;
    // The box has one button; how it was closed says nothing.
    (void)RunBox(box);
}

// A box takes the progress window's place.
bool RunConversation::RunBox(const MessageBoxRequest& box)
{
    CloseProgress();
    if (host_.EndRequested()) {
        host_.RepeatEndRequest();
    }
    return surface_.RunBox(box);
}

bool RunConversation::ReportProgress(Stage stage, std::uint64_t done, std::uint64_t total)
{
    if (host_.EndRequested()) {
        return false;
    }
    const RunProgress::Action action = progress_.Report(stage, done, total, RunProgress::Clock::now());
    if (action != RunProgress::Action::None) {
        Draw(action);
        HandleEvents();
        if (host_.EndRequested()) {
            return false;
        }
    }
    if (progress_.IsOpen() && surface_.CancelPressed()) {
        return false;
    }
    if (stage == Stage::PlacingPages) {
        // The last chance to stop has passed: the renaming begins now.
        Draw(progress_.Commit());
    }
    return true;
}

// The renaming cannot be stopped and must complete even when memory runs
// out: nothing here may escape, and a window that cannot be drawn is not
// drawn.
void RunConversation::ReportPlacing(std::uint64_t done, std::uint64_t total) noexcept
{
    try {
        const RunProgress::Action action =
            progress_.Report(Stage::PlacingPages, done, total, RunProgress::Clock::now());
        if (action != RunProgress::Action::None) {
            Draw(action);
            HandleEvents();
        }
    } catch (...) {
        // The run goes on whatever the window could not do.
    }
}

void RunConversation::TakeDecisions(const RunDecisions& decided)
{
    host_.TakeDecisions(decided);
}

std::string RunConversation::KeepLeftOutHint() const
{
    return messages::kKeepLeftOutInWindow;
}

void RunConversation::Draw(RunProgress::Action action)
{
    switch (action) {
    case RunProgress::Action::None:
        return;
    case RunProgress::Action::Open: {
        // Mapping the window handles events of its own.
        const Handling handling(handlingEvents_);
        surface_.OpenProgress(progress_.Shown());
        return;
    }
    case RunProgress::Action::Redraw:
        surface_.ShowProgress(progress_.Shown());
        return;
    }
}

void RunConversation::HandleEvents()
{
    const Handling handling(handlingEvents_);
    surface_.HandleEvents();
}

void RunConversation::CloseProgress() noexcept
{
    if (progress_.IsOpen()) {
        surface_.CloseProgress();
        progress_.Closed();
    }
}

} // namespace harrowdeck
