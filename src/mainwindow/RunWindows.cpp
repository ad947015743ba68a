// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunWindows.h"

#include "ModalRunner.h"

#include <QCoreApplication>

namespace harrowdeck {

RunWindows::RunWindows(QWidget& parent, ModalRunner& runner) : parent_(parent), runner_(runner) {}

RunWindows::~RunWindows()
{
    CloseProgress();
}

bool RunWindows::RunBox(const MessageBoxRequest& desc)
{
    return RunMessageBox(desc, &parent_, runner_);
}

void RunWindows::OpenProgress(const ProgressShown& shown)
{
    if (window_ == nullptr) {
        window_ = new ProgressWindow(parent_);
    }
    window_->Open(shown);
}

void RunWindows::ShowProgress(const ProgressShown& shown)
{
    if (window_ != nullptr) {
        window_->Show(shown);
    }
}

void RunWindows::CloseProgress() noexcept
{
    delete window_.data();
    window_ = nullptr;
}

void RunWindows::HandleEvents()
{
    QCoreApplication::processEvents();
}

bool RunWindows::CancelPressed() const
{
    return window_ != nullptr && window_->Cancelled();
}

} // namespace harrowdeck
