// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpWindow.h"

#include "ClassicLook.h"
#include "WindowPlacement.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QTextOption>

#include <algorithm>

namespace harrowdeck {

namespace {

constexpr double kClientWidth = 6555;
constexpr double kClientHeight = 3975;
constexpr double kFrameWidth = 100;
constexpr double kFrameHeight = 400;

// Read-only and without a caret: the box is for reading, and a blinking
// cursor would suggest that typing does something.
void LockTextBox(QPlainTextEdit& box)
{
    box.setReadOnly(true);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.setCursorWidth(0);
}

} // namespace

BoxSize HelpBoxSizeFor(double outerWidth, double outerHeight)
{
    return {std::max(0.0, outerWidth - kFrameWidth), std::max(0.0, outerHeight - kFrameHeight)};
}

frmForklaring::frmForklaring(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmForklaring"));
    setModal(true);
    setWindowTitle(QString::fromUtf8("Förklaring"));
    // A plain sizable window with minimise and maximise boxes.
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(false);
    PaintLightGrey(*this);
    ResizeClientTwips(*this, kClientWidth, kClientHeight);

    Text1_ = new QPlainTextEdit(this);
    Text1_->setObjectName(QStringLiteral("Text1"));
    Text1_->setFont(CourierFont());
    Text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1_->setWordWrapMode(QTextOption::WordWrap);
    Text1_->move(0, 0);
    LockTextBox(*Text1_);
    Text1_->setFocus();
    FitTextBox();
}

void frmForklaring::SetText(const std::string& text)
{
    Text1_->setPlainText(ToQt(text));
}

void frmForklaring::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FitTextBox();
}

void frmForklaring::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FitTextBox();
}

// The window manager adds the frame once the window is mapped, and moves the
// window as it does so: the outer size is known only from then on.
void frmForklaring::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    FitTextBox();
}

void frmForklaring::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        FitTextBox();
    }
}

void frmForklaring::FitTextBox()
{
    // A minimised window has no meaningful size to follow.
    if (isMinimized()) {
        return;
    }
    const WindowRect outer = OuterRectInTwips(*this);
    const BoxSize size = HelpBoxSizeFor(outer.width, outer.height);
    // A frame wider than the classic one must not push the scroll bar's end
    // out of the window.
    Text1_->resize(std::min(TwipsToPixelsFor(*this, size.width), width()),
                   std::min(TwipsToPixelsFor(*this, size.height), height()));
    LockTextBox(*Text1_);
}

void ShowHelpText(const std::string& text, QWidget& mainWindow, ModalRunner& runner)
{
    frmForklaring window(&mainWindow);
    CenterForm(window, mainWindow);
    window.SetText(text);
    runner.Run(window);
}

} // namespace harrowdeck
