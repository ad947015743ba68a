// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpWindow.h"

#include "ClassicLook.h"
#include "WindowPlacement.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QTextOption>

namespace harrowdeck {

namespace {

constexpr double kClientWidth = 6555;
constexpr double kClientHeight = 3975;

// Read-only and without a caret: the box is for reading, and a blinking
// cursor would suggest that typing does something.
void LockTextBox(QPlainTextEdit& box)
{
    box.setReadOnly(true);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.setCursorWidth(0);
}

} // namespace

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

// The box covers the client area exactly, whatever frame the window
// manager draws around it and at any scale: the classic layout took the
// outer size less a fixed frame allowance, which leaves a band or cuts the
// scroll bar under any frame but the one it was measured on.
void frmForklaring::FitTextBox()
{
    Text1_->setGeometry(rect());
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
