// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpWindow.h"

#include "ClassicLook.h"
#include "FormBuilder.h"
#include "Forms.h"
#include "HelpText.h"
#include "WindowPlacement.h"

#include <QPlainTextEdit>

namespace harrowdeck {

namespace {

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
    const FormTable& form = HelpForm();
    setObjectName(ToQt(form.name));
    setModal(true);
    setWindowTitle(ToQt(form.caption));
    // A plain sizable window with minimise and maximise boxes.
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(false);
    PaintLightGrey(*this);
    BuildForm(*this, form);
    Text1_ = findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
    // The box is the window's whole client area; its frame would leave the
    // window's own background showing in a device pixel at its edges on a
    // scaled screen.
    Text1_->setFrameShape(QFrame::NoFrame);
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

void frmForklaring::FitTextBox()
{
    const WindowRect place = HelpTextBoxPlace(width(), height());
    Text1_->setGeometry(int(place.left), int(place.top), int(place.width), int(place.height));
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
