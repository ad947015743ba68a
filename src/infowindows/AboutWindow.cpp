// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutWindow.h"

#include "ClassicLook.h"
#include "ModalRunner.h"
#include "Version.h"
#include "WindowPlacement.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <qdrawutil.h>

#include <algorithm>

namespace harrowdeck {

namespace {

// Client area and controls in twips.
constexpr int kClientWidth = 3495;
constexpr int kClientHeight = 1590;
// The fixed dialog frame, drawn by the window itself: without a title bar
// many window managers give it none, and it would blend into the main window.
constexpr int kFrameTwips = 30;

// A control's place in the client area, inside the drawn frame.
WindowRect InClient(double left, double top, double width, double height)
{
    return {kFrameTwips + left, kFrameTwips + top, width, height};
}

int TextWidth(const QLabel& label)
{
    return label.fontMetrics().horizontalAdvance(label.text());
}

} // namespace

QString CopyrightLine()
{
    return QStringLiteral("Copyright ") + QString::fromUtf8(version::kLegalCopyright) + QStringLiteral(" ");
}

frmStart::frmStart(QWidget& mainWindow, const QString& appTitle)
    : QDialog(&mainWindow, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmStart"));
    setWindowTitle(QString());
    setFont(BoldSansSerif(8.25));
    BuildControls();
    lblCopyright_->setText(CopyrightLine());
    lblProductname_->setText(appTitle);
    WidenToFitTexts();
    CenterForm(*this, mainWindow);
}

void frmStart::BuildControls()
{
    cmdExit_ = new QPushButton(QStringLiteral("Okej"), this);
    cmdExit_->setObjectName(QStringLiteral("cmdExit"));
    cmdExit_->setAutoDefault(false);
    cmdExit_->setDefault(false);
    PlaceTwips(*cmdExit_, InClient(600, 1080, 2415, 375));
    connect(cmdExit_, &QPushButton::clicked, this, &QDialog::accept);

    lblProductname_ = new QLabel(this);
    lblProductname_->setObjectName(QStringLiteral("lblProductname"));
    lblProductname_->setFont(BoldSansSerif(13.5));
    lblProductname_->setAlignment(Qt::AlignCenter);
    PlaceTwips(*lblProductname_, InClient(120, 120, 3255, 375));

    lblCopyright_ = new QLabel(this);
    lblCopyright_->setObjectName(QStringLiteral("lblCopyright"));
    lblCopyright_->setAlignment(Qt::AlignCenter);
    PlaceTwips(*lblCopyright_, InClient(120, 600, 3255, 255));

    // The button comes first in the tab order and so has the focus.
    setTabOrder(cmdExit_, lblProductname_);
    cmdExit_->setFocus();
    setFixedSize(TwipsToPixelsFor(*this, kClientWidth + 2 * kFrameTwips),
                 TwipsToPixelsFor(*this, kClientHeight + 2 * kFrameTwips));
    EnterPressesButtons(*this);
}

// The substitute for the window's font may be wider than the one the layout
// was drawn for; a clipped copyright line would be unreadable, so the window
// grows instead and keeps everything centred.
void frmStart::WidenToFitTexts()
{
    const int margin = TwipsToPixelsFor(*this, 60);
    const int needed = std::max(TextWidth(*lblProductname_), TextWidth(*lblCopyright_)) + margin;
    const int extra = needed - lblCopyright_->width();
    if (extra <= 0) {
        return;
    }
    for (QWidget* label : {static_cast<QWidget*>(lblProductname_), static_cast<QWidget*>(lblCopyright_)}) {
        label->resize(label->width() + extra, label->height());
    }
    cmdExit_->move(cmdExit_->x() + extra / 2, cmdExit_->y());
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

void ShowAboutWindow(QWidget& mainWindow, const QString& appTitle, ModalRunner& runner)
{
    frmStart about(mainWindow, appTitle);
    // The window has one way out; how it was closed says nothing.
    (void)runner.Run(about);
}

} // namespace harrowdeck
