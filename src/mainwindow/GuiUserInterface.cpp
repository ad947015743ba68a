// SPDX-License-Identifier: GPL-3.0-or-later
#include "GuiUserInterface.h"

#include "ClassicLook.h"
#include "Messages.h"
#include "ModalRunner.h"
#include "ProgressWindow.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace harrowdeck {

namespace {

// Notes that events are being handled mid-run for as long as it lives,
// whatever way the handling ends.
class HandlingEvents {
public:
    explicit HandlingEvents(bool& flag) : flag_(flag) { flag_ = true; }
    ~HandlingEvents() { flag_ = false; }
    HandlingEvents(const HandlingEvents&) = delete;
    HandlingEvents& operator=(const HandlingEvents&) = delete;

private:
    bool& flag_;
};

} // namespace

GuiUserInterface::GuiUserInterface(QWidget& parent, ModalRunner& runner, ProgressPacing pacing, FolderMode folderMode,
                                   Hooks hooks)
    : parent_(parent), runner_(runner), hooks_(std::move(hooks)),
      progress_(folderMode, pacing, RunProgress::Clock::now())
{
}

GuiUserInterface::~GuiUserInterface()
{
    CloseProgress();
}

bool GuiUserInterface::AskYesNo(const std::string& prompt)
{
    BeforeBox();
    QMessageBox box(QMessageBox::NoIcon, ProgramCaption(), QString::fromStdString(prompt),
                    QMessageBox::Yes | QMessageBox::No, &parent_);
    box.setDefaultButton(QMessageBox::Yes);
    return runner_.Run(box) == QMessageBox::Yes;
}

void GuiUserInterface::ShowMessage(const std::string& text, Icon icon)
{
    BeforeBox();
    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, ProgramCaption(),
                    QString::fromStdString(text), QMessageBox::Ok, &parent_);
    // The box has one button; how it was closed says nothing.
    (void)runner_.Run(box);
}

// A box takes the progress window's place. A program being ended closes
// it with itself rather than wait for the user.
void GuiUserInterface::BeforeBox()
{
    CloseProgress();
    if (StopRequested() && hooks_.repeatStop) {
        hooks_.repeatStop();
    }
}

bool GuiUserInterface::ReportProgress(Stage stage, std::uint64_t done, std::uint64_t total)
{
    if (StopRequested()) {
        return false;
    }
    const RunProgress::Action action = progress_.Report(stage, done, total, RunProgress::Clock::now());
    if (action != RunProgress::Action::None) {
        Draw(action);
        HandleEvents();
        if (StopRequested()) {
            return false;
        }
    }
    if (Cancelled()) {
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
void GuiUserInterface::ReportPlacing(std::uint64_t done, std::uint64_t total) noexcept
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

void GuiUserInterface::TakeDecisions(const RunDecisions& decided)
{
    if (hooks_.decided) {
        hooks_.decided(decided);
    }
}

bool GuiUserInterface::Cancelled() const
{
    return window_ != nullptr && window_->Cancelled();
}

void GuiUserInterface::Draw(RunProgress::Action action)
{
    switch (action) {
    case RunProgress::Action::None:
        return;
    case RunProgress::Action::Open:
        if (window_ == nullptr) {
            window_ = new ProgressWindow(parent_);
        }
        {
            // Mapping the window handles events of its own.
            const HandlingEvents handling(reporting_);
            window_->Open(progress_.Shown());
        }
        return;
    case RunProgress::Action::Redraw:
        if (window_ != nullptr) {
            window_->Show(progress_.Shown());
        }
        return;
    }
}

void GuiUserInterface::HandleEvents()
{
    const HandlingEvents handling(reporting_);
    QCoreApplication::processEvents();
}

std::string GuiUserInterface::KeepLeftOutHint() const
{
    return messages::kKeepLeftOutInWindow;
}

void GuiUserInterface::CloseProgress()
{
    delete window_.data();
    window_ = nullptr;
    progress_.Closed();
}

} // namespace harrowdeck
