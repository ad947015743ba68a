// SPDX-License-Identifier: GPL-3.0-or-later
#include "GuiUserInterface.h"

#include "ClassicLook.h"
#include "Messages.h"
#include "ModalRunner.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QProgressDialog>

#include <algorithm>

namespace harrowdeck {

namespace {

// Bytes are mapped onto a fixed range: a large export would not fit an int.
constexpr int kProgressSteps = 1000;
// Handling events costs time; a run reports often.
constexpr qint64 kRefreshMs = 50;

int ProgressStep(std::uint64_t done, std::uint64_t total)
{
    if (total == 0) {
        return kProgressSteps;
    }
    const double share = static_cast<double>(done) / static_cast<double>(total);
    return static_cast<int>(std::min(share, 1.0) * kProgressSteps);
}

QString StageLabel(UserInterface::Stage stage)
{
    switch (stage) {
    case UserInterface::Stage::Reading:
        break;
    case UserInterface::Stage::WritingIndex:
        return QStringLiteral("Writing the folder index...");
    case UserInterface::Stage::PlacingPages:
        return QStringLiteral("Putting the pages in place...");
    }
    return QStringLiteral("Reading the Gloamery export...");
}

} // namespace

GuiUserInterface::GuiUserInterface(QWidget& parent, ModalRunner& runner, std::chrono::milliseconds progressDelay,
                                   std::function<bool()> stopRequested)
    : parent_(parent), runner_(runner), progressDelay_(progressDelay), stopRequested_(std::move(stopRequested))
{
    sinceStart_.start();
}

GuiUserInterface::~GuiUserInterface()
{
    CloseProgress();
}

bool GuiUserInterface::AskYesNo(const std::string& prompt)
{
    CloseProgress();
    QMessageBox box(QMessageBox::NoIcon, ProgramCaption(), QString::fromStdString(prompt),
                    QMessageBox::Yes | QMessageBox::No, &parent_);
    box.setDefaultButton(QMessageBox::Yes);
    return runner_.Run(box) == QMessageBox::Yes;
}

void GuiUserInterface::ShowMessage(const std::string& text, Icon icon)
{
    CloseProgress();
    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, ProgramCaption(),
                    QString::fromStdString(text), QMessageBox::Ok, &parent_);
    // The box has one button; how it was closed says nothing.
    (void)runner_.Run(box);
}

bool GuiUserInterface::ReportProgress(Stage stage, std::uint64_t done, std::uint64_t total)
{
    if (stopRequested_ && stopRequested_()) {
        return false;
    }
    // The renaming handles no events, so its label is shown before it starts.
    const bool last = stage == Stage::PlacingPages;
    if (progress_ == nullptr) {
        if (sinceStart_.elapsed() < progressDelay_.count()) {
            return true;
        }
        ShowProgress();
    } else if (!last && stage == shownStage_ && sinceRefresh_.elapsed() < kRefreshMs) {
        return !progress_->wasCanceled();
    }
    sinceRefresh_.start();
    ShowStage(stage, done, total);
    reporting_ = true;
    QCoreApplication::processEvents();
    reporting_ = false;
    if (stopRequested_ && stopRequested_()) {
        return false;
    }
    return progress_ != nullptr && !progress_->wasCanceled();
}

void GuiUserInterface::ShowStage(Stage stage, std::uint64_t done, std::uint64_t total)
{
    if (stage != shownStage_) {
        shownStage_ = stage;
        progress_->setLabelText(StageLabel(stage));
    }
    progress_->setValue(stage == Stage::PlacingPages ? kProgressSteps : ProgressStep(done, total));
}

std::string GuiUserInterface::KeepLeftOutHint() const
{
    return messages::kKeepLeftOutInWindow;
}

void GuiUserInterface::ShowProgress()
{
    progress_ = new QProgressDialog(&parent_);
    progress_->setObjectName(QStringLiteral("progressDialog"));
    progress_->setWindowTitle(ProgramCaption());
    progress_->setLabelText(StageLabel(shownStage_));
    progress_->setCancelButtonText(QStringLiteral("Cancel"));
    progress_->setRange(0, kProgressSteps);
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
    progress_->setMinimumDuration(0);
    progress_->show();
}

void GuiUserInterface::CloseProgress()
{
    delete progress_.data();
    progress_ = nullptr;
}

} // namespace harrowdeck
