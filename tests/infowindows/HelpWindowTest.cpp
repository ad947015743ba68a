// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpWindow.h"
#include "HelpText.h"
#include "WindowPlacement.h"

#include "ScriptedRunner.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

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

TEST(HelpBoxSize, OuterSizeLessTheFrameClampedAtZero)
{
    EXPECT_EQ(HelpBoxSizeFor(6655, 4375), (BoxSize{6555, 3975}));
    EXPECT_EQ(HelpBoxSizeFor(100, 400), (BoxSize{0, 0}));
    EXPECT_EQ(HelpBoxSizeFor(60, 1000), (BoxSize{0, 600}));
    EXPECT_EQ(HelpBoxSizeFor(1000, 0), (BoxSize{900, 0}));
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

TEST_F(HelpWindowTest, BoxFollowsTheWindowAndWrapsInsteadOfScrollingSideways)
{
    runner_.Then([&](QDialog& window) {
        QPlainTextEdit& box = Text1Of(window);
        EXPECT_EQ(box.pos(), QPoint(0, 0));
        EXPECT_EQ(box.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_EQ(box.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_EQ(box.lineWrapMode(), QPlainTextEdit::WidgetWidth);

        window.resize(300, 200);
        QCoreApplication::processEvents();
        const WindowRect outer = OuterRectInTwips(window);
        const BoxSize expected = HelpBoxSizeFor(outer.width, outer.height);
        EXPECT_EQ(box.width(), TwipsToPixelsFor(window, expected.width));
        EXPECT_EQ(box.height(), TwipsToPixelsFor(window, expected.height));

        // Under the platform's known frame: the outer size less the classic
        // frame (so the client area under a classic frame), at most that.
        const QSize frame = window.frameGeometry().size() - window.size();
        const QSize classic(TwipsToPixelsFor(window, 100), TwipsToPixelsFor(window, 400));
        EXPECT_NEAR(box.width(), std::min(window.width(), window.width() + frame.width() - classic.width()), 1);
        EXPECT_NEAR(box.height(), std::min(window.height(), window.height() + frame.height() - classic.height()), 1);

        window.resize(3, 3); // smaller than the frame allowance
        QCoreApplication::processEvents();
        EXPECT_GE(box.width(), 0);
        EXPECT_GE(box.height(), 0);
        window.close();
    });
    ShowHelpText(BuildHelpText(), main_, runner_);
}

} // namespace
} // namespace harrowdeck::test
