// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RunProgress.h"
#include "Win32Form.h"

namespace harrowdeck::win32 {

// A run's progress: the stage, one bar over the whole run, and Cancel
// while the run can still be stopped. Escape and the close control count
// as Cancel then, and do nothing once the pages are being put in place.
class ProgressWindow final : public FormWindow {
public:
    explicit ProgressWindow(HWND owner);
    ~ProgressWindow() override;

    void Show(const ProgressShown& shown);
    [[nodiscard]] bool Cancelled() const { return cancelled_; }

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Cancel();

    HWND label_ = nullptr;
    HWND bar_ = nullptr;
    HWND cancel_ = nullptr;
    HFONT font_ = nullptr;
    std::string labelText_;
    bool cancellable_ = true;
    bool cancelled_ = false;
};

} // namespace harrowdeck::win32
