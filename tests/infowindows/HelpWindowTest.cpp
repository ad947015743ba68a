// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpWindow.h"
#include "HelpText.h"

#include "ScriptedRunner.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <string>

namespace harrowdeck::test {
namespace {

QPlainTextEdit& Text1Of(QDialog& window)
{
    auto* box = window.findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
    EXPECT_NE(box, nullptr);
    return *box;
}

// What the box shows for a CR LF text: the same lines.
QString AsShown(const std::string& text)
{
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

class HelpWindowTest : public ::testing::Test {
protected:
    QWidget main_;
    ScriptedRunner runner_;
};

TEST_F(HelpWindowTest, ShowsTheTextInAFreshWindowEveryTime)
{
    QString shown[2];
    for (QString& text : shown) {
        runner_.Then([&](QDialog& window) {
            EXPECT_EQ(window.objectName(), "frmForklaring");
            EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Förklaring"));
            EXPECT_TRUE(window.isModal());
            text = Text1Of(window).toPlainText();
            window.close();
        });
        ShowHelpText(BuildHelpText(), main_, runner_);
    }
    EXPECT_EQ(shown[0], AsShown(BuildHelpText()));
    EXPECT_EQ(shown[1], shown[0]) << "no text carried over from the first showing";
}

TEST_F(HelpWindowTest, TextBoxIgnoresTypingAndShowsNoCaret)
{
    runner_.Then([&](QDialog& window) {
        QPlainTextEdit& box = Text1Of(window);
        EXPECT_TRUE(box.isReadOnly());
        EXPECT_FALSE(box.textInteractionFlags() & Qt::TextEditable);
        EXPECT_EQ(box.cursorWidth(), 0);
        const QString before = box.toPlainText();
        box.setFocus();
        QTest::keyClicks(&box, QStringLiteral("typed"));
        QTest::keyClick(&box, Qt::Key_Backspace);
        QTest::keyClick(&box, Qt::Key_Return);
        EXPECT_EQ(box.toPlainText(), before);
        window.close();
    });
    ShowHelpText(BuildHelpText(), main_, runner_);
}

// The suite runs under the offscreen platform's frame, and once more without
// a frame and at twice the scale (see CMakeLists.txt); HARROWDECK_TEST_FRAME
// says which, so that a run that lost its setting does not pass unnoticed.
TEST_F(HelpWindowTest, BoxCoversTheClientAreaUnderAnyFrame)
{
    runner_.Then([&](QDialog& window) {
        QPlainTextEdit& box = Text1Of(window);
        EXPECT_EQ(box.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_EQ(box.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_EQ(box.lineWrapMode(), QPlainTextEdit::WidgetWidth);

        const QSize frame = window.frameGeometry().size() - window.size();
        const bool framed = qEnvironmentVariable("HARROWDECK_TEST_FRAME") != QStringLiteral("none");
        EXPECT_EQ(frame.isEmpty(), !framed) << frame.width() << "x" << frame.height();
        for (const QSize size : {window.size(), QSize(300, 200), QSize(640, 90), QSize(3, 3)}) {
            window.resize(size);
            QCoreApplication::processEvents();
            const QRect client = window.rect();
            EXPECT_NEAR(box.x(), client.x(), 1);
            EXPECT_NEAR(box.y(), client.y(), 1);
            EXPECT_NEAR(box.width(), client.width(), 1) << size.width();
            EXPECT_NEAR(box.height(), client.height(), 1) << size.height();
        }
        window.close();
    });
    ShowHelpText(BuildHelpText(), main_, runner_);
}

// The box paints the whole client area to its last device pixel, also at
// twice the scale (see CMakeLists.txt): none of the window's own background
// shows at its edges.
TEST_F(HelpWindowTest, BoxPaintsEveryPixelOfTheWindow)
{
    runner_.Then([&](QDialog& window) {
        QPlainTextEdit& box = Text1Of(window);
        box.setPalette(box.palette()); // keeps its colours when the window's change
        QPalette odd = window.palette();
        const QColor background(1, 2, 3);
        odd.setColor(QPalette::Window, background);
        window.setPalette(odd);
        const QImage picture = window.grab().toImage();
        int shown = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                shown += picture.pixelColor(x, y) == background ? 1 : 0;
            }
        }
        EXPECT_EQ(shown, 0) << "device pixels of the window's background in " << picture.width() << " x "
                            << picture.height();
        window.close();
    });
    ShowHelpText(BuildHelpText(), main_, runner_);
}

// At its size when it opens, the window shows every line of the help text
// unwrapped.
TEST_F(HelpWindowTest, NoLineWrapsAtTheWindowsOwnSize)
{
    runner_.Then([&](QDialog& window) {
        QPlainTextEdit& box = Text1Of(window);
        const QFontMetricsF metrics(box.font());
        const qreal room = box.viewport()->width() - 2 * box.document()->documentMargin();
        for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
            EXPECT_LE(metrics.horizontalAdvance(block.text()), room) << block.text().toStdString();
        }
        window.close();
    });
    ShowHelpText(BuildHelpText(), main_, runner_);
}

} // namespace
} // namespace harrowdeck::test
