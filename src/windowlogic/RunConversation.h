// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MessageBoxRequest.h"
#include "RunProgress.h"
#include "UserInterface.h"

#include <string>

namespace harrowdeck {

// What a front end shows of a run: its message boxes and its progress
// window. The window is modal over the main window, so that nothing else
// starts while the run handles events.
class RunSurface {
public:
    virtual ~RunSurface() = default;

    // Shows a box and waits for it; true when it was closed with Yes.
    virtual bool RunBox(const MessageBoxRequest& box) = 0;
    // Opens the progress window and paints it before returning.
    virtual void OpenProgress(const ProgressShown& shown) = 0;
    virtual void ShowProgress(const ProgressShown& shown) = 0;
    virtual void CloseProgress() noexcept = 0;
    // Handles what is pending: the user's clicks, repaints, requests to end.
    virtual void HandleEvents() = 0;
    // Cancel, or Escape or the close control while Cancel was offered.
    [[nodiscard]] virtual bool CancelPressed() const = 0;
};

// What the main window hears of a run.
class RunHost {
public:
    virtual ~RunHost() = default;
    // The program is being ended: a run still reading stops.
    [[nodiscard]] virtual bool EndRequested() const = 0;
    // The widths the run settled, before it reads anything.
    virtual void TakeDecisions(const RunDecisions& decided) = 0;
    // A box opens while the program is being ended: the end is asked for
    // again from inside it, so that the box does not wait for the user. A
    // request that came while the pages were put in place could not stop
    // the run, and must not be lost either.
    virtual void RepeatEndRequest() = 0;
};

// The generation run's conversation with the user in a window: its boxes,
// all captioned "Harrowdeck", and its progress window with Cancel while the
// run can still be stopped.
class RunConversation final : public UserInterface {
public:
    RunConversation(RunSurface& surface, RunHost& host, FolderMode folderMode, ProgressPacing pacing);
    ~RunConversation() override;

    RunConversation(const RunConversation&) = delete;
    RunConversation& operator=(const RunConversation&) = delete;

    [[nodiscard]] bool AskYesNo(const std::string& prompt) override;
    void ShowMessage(const std::string& text, Icon icon) override;
    [[nodiscard]] bool ReportProgress(Stage stage, std::uint64_t done, std::uint64_t total) override;
    void TakeDecisions(const RunDecisions& decided) override;
    void ReportPlacing(std::uint64_t done, std::uint64_t total) noexcept override;
    [[nodiscard]] std::string KeepLeftOutHint() const override;

    // True while events are handled in the middle of the run, with its
    // temporary files in the destination: the window must not close then.
    [[nodiscard]] bool HandlingEvents() const { return handlingEvents_; }

private:
    bool RunBox(const MessageBoxRequest& box);
    void Draw(RunProgress::Action action);
    void HandleEvents();
    void CloseProgress() noexcept;

    RunSurface& surface_;
    RunHost& host_;
    RunProgress progress_;
    bool handlingEvents_ = false;
};

} // namespace harrowdeck
