// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutWindow.h"

#include "AboutText.h"
#include "ClassicLook.h"
#include "FormBuilder.h"
#include "Forms.h"
#include "ModalRunner.h"
#include "WindowPlacement.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <qdrawutil.h>

#include <algorithm>

namespace harrowdeck {

namespace {

// The fixed dialog frame, drawn by the window itself: without a title bar
// many window managers give it none, and it would blend into the main window.
constexpr int kFrameTwips = 30;

int TextWidth(const QLabel& label)
{
    return label.fontMetrics().horizontalAdvance(label.text());
}

} // namespace

frmStart::frmStart(QWidget& mainWindow) : QDialog(&mainWindow, Qt::Dialog | Qt::FramelessWindowHint)
{
    const FormTable& form = AboutForm();
    setObjectName(ToQt(form.name));
    setWindowTitle(QString());
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    BuildForm(*client_, form);
    const int frame = TwipsToPixelsFor(*this, kFrameTwips);
    client_->move(frame, frame);
    lblProductname_ = client_->findChild<QLabel*>(QStringLiteral("lblProductname"));
    lblCopyright_ = client_->findChild<QLabel*>(QStringLiteral("lblCopyright"));
    cmdExit_ = client_->findChild<QPushButton*>(QStringLiteral("cmdExit"));
    connect(cmdExit_, &QPushButton::clicked, this, &QDialog::accept);
    // Neither default nor cancel button: Enter presses it only with the focus.
    cmdExit_->setDefault(false);
    cmdExit_->setFocus();
    EnterPressesButtons(*this);

    lblCopyright_->setText(ToQt(CopyrightLine()));
    lblProductname_->setText(ToQt(AppTitle()));
    setFixedSize(client_->width() + 2 * frame, client_->height() + 2 * frame);
    WidenToFitTexts();
    CenterForm(*this, mainWindow);
}

// The substitute for the window's font may be wider than the one the layout
// was drawn for; a clipped copyright line would be unreadable, so the window
// grows instead and keeps everything centred.
void frmStart::WidenToFitTexts()
{
    const int extra = AboutWidening(std::max(TextWidth(*lblProductname_), TextWidth(*lblCopyright_)),
                                    lblCopyright_->width(), TwipsToPixelsFor(*this, kAboutTextMarginTwips));
    if (extra == 0) {
        return;
    }
    for (QLabel* label : {lblProductname_, lblCopyright_}) {
        label->resize(label->width() + extra, label->height());
    }
    cmdExit_->move(cmdExit_->x() + extra / 2, cmdExit_->y());
    client_->setFixedSize(client_->width() + extra, client_->height());
    setFixedSize(width() + extra, height());
}

void frmStart::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
}

void frmStart::keyPressEvent(QKeyEvent* event)
{
    // The button is no cancel button: Escape does not close the window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ShowAboutWindow(QWidget& mainWindow, ModalRunner& runner)
{
    frmStart about(mainWindow);
    // The window has one way out; how it was closed says nothing.
    (void)runner.Run(about);
}

} // namespace harrowdeck
