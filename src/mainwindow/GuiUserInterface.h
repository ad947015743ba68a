// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ProgressWindow.h"
#include "RunProgress.h"
#include "UserInterface.h"

#include <QPointer>

#include <functional>

class QWidget;

namespace harrowdeck {

class ModalRunner;

// The generation run's conversation with the user in the main window:
// message boxes captioned "Harrowdeck", and a progress window with a Cancel
// button once the run takes longer than a moment. The run stays on the UI
// thread; events are handled only while the modal progress window is up, so
// nothing else in the main window can start meanwhile.
class GuiUserInterface final : public UserInterface {
public:
    // What the main window hears of the run.
    struct Hooks {
        // Asked on every progress report; true stops the run (the program
        // is being ended).
        std::function<bool()> stopRequested;
        // The widths the run settled, before it reads anything.
        std::function<void(const RunDecisions&)> decided;
        // Asks again for the program's end, from inside a message box that
        // opens while the program is being ended: a request that came while
        // the pages were put in place could not stop the run.
        std::function<void()> repeatStop;
    };

    GuiUserInterface(QWidget& parent, ModalRunner& runner, ProgressPacing pacing,
                     FolderMode folderMode = FolderMode::Top, Hooks hooks = {});
    ~GuiUserInterface() override;

    GuiUserInterface(const GuiUserInterface&) = delete;
    GuiUserInterface& operator=(const GuiUserInterface&) = delete;

    [[nodiscard]] bool AskYesNo(const std::string& prompt) override;
    void ShowMessage(const std::string& text, Icon icon) override;
    [[nodiscard]] bool ReportProgress(Stage stage, std::uint64_t done, std::uint64_t total) override;
    void TakeDecisions(const RunDecisions& decided) override;
    void ReportPlacing(std::uint64_t done, std::uint64_t total) noexcept override;
    [[nodiscard]] std::string KeepLeftOutHint() const override;

    // The progress window, once it has appeared.
    [[nodiscard]] ProgressWindow* Progress() const { return window_; }
    // True while events are handled in the middle of the run, with its
    // temporary files in the destination.
    [[nodiscard]] bool Reporting() const { return reporting_; }

private:
    [[nodiscard]] bool StopRequested() const { return hooks_.stopRequested && hooks_.stopRequested(); }
    [[nodiscard]] bool Cancelled() const;
    void Draw(RunProgress::Action action);
    void HandleEvents();
    void CloseProgress();
    void BeforeBox();

    QWidget& parent_;
    ModalRunner& runner_;
    Hooks hooks_;
    RunProgress progress_;
    QPointer<ProgressWindow> window_;
    bool reporting_ = false;
};

} // namespace harrowdeck
