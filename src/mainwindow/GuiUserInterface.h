// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UserInterface.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

#include <chrono>
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
    // stopRequested is asked on every progress report; true cancels the run
    // (the program is being ended).
    GuiUserInterface(QWidget& parent, ModalRunner& runner, std::chrono::milliseconds progressDelay,
                     std::function<bool()> stopRequested = {});
    ~GuiUserInterface() override;

    GuiUserInterface(const GuiUserInterface&) = delete;
    GuiUserInterface& operator=(const GuiUserInterface&) = delete;

    [[nodiscard]] bool AskYesNo(const std::string& prompt) override;
    void ShowMessage(const std::string& text, Icon icon) override;
    [[nodiscard]] bool ReportProgress(Stage stage, std::uint64_t done, std::uint64_t total) override;
    [[nodiscard]] std::string KeepLeftOutHint() const override;

    // The progress window, once it has appeared.
    [[nodiscard]] QProgressDialog* ProgressDialog() const { return progress_; }
    // True while events are handled in the middle of the run, with its
    // temporary files in the destination.
    [[nodiscard]] bool Reporting() const { return reporting_; }

private:
    void ShowProgress();
    void ShowStage(Stage stage, std::uint64_t done, std::uint64_t total);
    void CloseProgress();

    QWidget& parent_;
    ModalRunner& runner_;
    std::chrono::milliseconds progressDelay_;
    std::function<bool()> stopRequested_;
    QElapsedTimer sinceStart_;
    QElapsedTimer sinceRefresh_;
    QPointer<QProgressDialog> progress_;
    Stage shownStage_ = Stage::Reading;
    bool reporting_ = false;
};

} // namespace harrowdeck
