// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressWindow.h"

#include "ClassicLook.h"
#include "MessageBoxRequest.h"
#include "WindowPlacement.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace harrowdeck {

namespace {

// Wide enough for the longest stage label: the window keeps its size.
int WidestLabel(const QLabel& label)
{
    int widest = 0;
    for (const auto stage :
         {UserInterface::Stage::Reading, UserInterface::Stage::WritingIndex, UserInterface::Stage::PlacingPages}) {
        const std::string_view text = StageLabel(stage);
        widest = std::max(widest, label.fontMetrics().horizontalAdvance(
                                      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))));
    }
    return widest;
}

} // namespace

ProgressWindow::ProgressWindow(QWidget& parent) : QDialog(&parent)
{
    setObjectName(QStringLiteral("progressDialog"));
    setWindowTitle(ToQt(kProgramCaption));
    setWindowModality(Qt::WindowModal);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);

    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("progressLabel"));
    bar_ = new QProgressBar(this);
    bar_->setRange(0, kProgressSteps);
    bar_->setValue(0);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("progressCancel"));
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, &ProgressWindow::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    label_->setMinimumWidth(std::max(WidestLabel(*label_), TwipsToPixelsFor(*this, 4500)));
    // Neither the user nor a longer label changes its size. Fixed before
    // the window exists, so that the window system knows it from the start.
    layout->activate();
    setFixedSize(sizeHint());
}

void ProgressWindow::Open(const ProgressShown& shown)
{
    Show(shown);
    show();
    // Mapped and painted now: the run handles events only now and then.
    WaitForFrame(*this);
    repaint();
}

void ProgressWindow::Show(const ProgressShown& shown)
{
    const QString label = QString::fromUtf8(shown.label.data(), static_cast<qsizetype>(shown.label.size()));
    if (label_->text() != label) {
        label_->setText(label);
    }
    bar_->setValue(shown.position);
    cancellable_ = shown.cancellable;
    cancel_->setEnabled(shown.cancellable);
}

QString ProgressWindow::LabelText() const
{
    return label_->text();
}

int ProgressWindow::Value() const
{
    return bar_->value();
}

void ProgressWindow::reject()
{
    if (cancellable_) {
        cancelled_ = true;
    }
}

void ProgressWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    reject();
}

} // namespace harrowdeck
