// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ProgressWindow.h"
#include "RunConversation.h"

#include <QPointer>

class QWidget;

namespace harrowdeck {

class ModalRunner;

// What the main window shows of a run: message boxes through the modal
// runner, and the progress window. The run stays on the UI thread; events
// are handled only while the window-modal progress window is up, so
// nothing else in the main window can start meanwhile.
class RunWindows final : public RunSurface {
public:
    RunWindows(QWidget& parent, ModalRunner& runner);
    ~RunWindows() override;

    RunWindows(const RunWindows&) = delete;
    RunWindows& operator=(const RunWindows&) = delete;

    bool RunBox(const MessageBoxRequest& box) override;
    void OpenProgress(const ProgressShown& shown) override;
    void ShowProgress(const ProgressShown& shown) override;
    void CloseProgress() noexcept override;
    void HandleEvents() override;
    [[nodiscard]] bool CancelPressed() const override;

    // The progress window while it is open.
    [[nodiscard]] ProgressWindow* Progress() const { return window_; }

private:
    QWidget& parent_;
    ModalRunner& runner_;
    QPointer<ProgressWindow> window_;
};

} // namespace harrowdeck
