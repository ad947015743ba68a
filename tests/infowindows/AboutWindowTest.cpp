// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutWindow.h"

#include "ModalRunner.h"
#include "Version.h"
#include "WindowPlacement.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace harrowdeck {
namespace {

class AboutWindow : public ::testing::Test {
protected:
    QWidget mainWindow;

    void SetUp() override
    {
        mainWindow.setGeometry(300, 200, 407, 250);
        mainWindow.show();
    }

    template <typename Widget>
    static Widget& Get(QDialog& about, const char* name)
    {
        auto* widget = about.findChild<Widget*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            throw std::runtime_error(name);
        }
        return *widget;
    }
};

TEST_F(AboutWindow, ShowsTheProductAndCopyright)
{
    frmStart about(mainWindow);
    EXPECT_EQ(about.objectName(), "frmStart");
    EXPECT_EQ(Get<QLabel>(about, "lblProductname").text(), "Harrowdeck 1.1");
    EXPECT_EQ(Get<QLabel>(about, "lblCopyright").text(), QStringLiteral("Copyright ") + version::kLegalCopyright + " ");
    EXPECT_EQ(Get<QLabel>(about, "lblCopyright").text(), "Copyright 2026 The Harrowdeck developers ");
    EXPECT_EQ(Get<QPushButton>(about, "cmdExit").text(), "Okej");
    EXPECT_EQ(about.windowTitle(), "");
    EXPECT_FALSE(about.windowFlags().testFlag(Qt::WindowTitleHint));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
}

TEST_F(AboutWindow, TextsFitTheirLabels)
{
    frmStart about(mainWindow);
    for (const char* name : {"lblProductname", "lblCopyright"}) {
        const QLabel& label = Get<QLabel>(about, name);
        EXPECT_LE(label.fontMetrics().horizontalAdvance(label.text()), label.width()) << name;
        EXPECT_LE(label.mapTo(&about, QPoint(label.width(), 0)).x(), about.width()) << name;
    }
    // A window widened for a wider font keeps the texts centred and the
    // button where it was drawn relative to them.
    const QLabel& copyright = Get<QLabel>(about, "lblCopyright");
    const auto centreX = [&about](const QWidget& widget) { return widget.mapTo(&about, widget.rect().center()).x(); };
    EXPECT_NEAR(centreX(copyright), about.width() / 2.0, 1.0);
    const QPushButton& exit = Get<QPushButton>(about, "cmdExit");
    const double drawnOffset = TwipsToPixelsFor(about, 600 + 2415 / 2.0 - (120 + 3255 / 2.0));
    EXPECT_NEAR(centreX(exit) - centreX(copyright), drawnOffset, 1.0);
}

TEST_F(AboutWindow, CentredOverTheMainWindowBeforeItIsShown)
{
    frmStart about(mainWindow);
    const QRect over = mainWindow.frameGeometry();
    const QRect placed = about.frameGeometry();
    EXPECT_NEAR(placed.center().x(), over.center().x(), 1);
    EXPECT_NEAR(placed.center().y(), over.center().y(), 1);

    // Near the screen's top-left corner the window stays on the screen.
    mainWindow.move(-200, -100);
    frmStart clamped(mainWindow);
    EXPECT_EQ(clamped.frameGeometry().topLeft(), QPoint(0, 0));
}

TEST_F(AboutWindow, OkejClosesItAndEscapeDoesNot)
{
    frmStart about(mainWindow);
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_TRUE(about.isVisible());
    EXPECT_TRUE(Get<QPushButton>(about, "cmdExit").hasFocus() || !about.isActiveWindow());
    QTest::mouseClick(&Get<QPushButton>(about, "cmdExit"), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);

    frmStart byKey(mainWindow);
    byKey.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&byKey));
    QTest::keyClick(&Get<QPushButton>(byKey, "cmdExit"), Qt::Key_Return);
    EXPECT_FALSE(byKey.isVisible()) << "Enter on the focused Okej presses it";
}

// Many window managers frame no window without a title bar; it draws its own.
TEST_F(AboutWindow, DrawsItsOwnFrame)
{
    frmStart about(mainWindow);
    EXPECT_TRUE(about.windowFlags().testFlag(Qt::FramelessWindowHint));
    const QImage picture = about.grab().toImage();
    const QColor face = about.palette().color(QPalette::Window);
    EXPECT_NE(picture.pixelColor(0, about.height() / 2), face);
    EXPECT_NE(picture.pixelColor(about.width() - 1, about.height() / 2), face);
    EXPECT_EQ(picture.pixelColor(about.width() / 2, about.height() - 8), face);
}

// Each showing is a fresh window, so the copyright line never grows.
TEST_F(AboutWindow, ShownAgainWithTheSameTexts)
{
    struct Recorder : ModalRunner {
        QStringList copyright;
        int Run(QDialog& dialog) override
        {
            copyright << dialog.findChild<QLabel*>(QStringLiteral("lblCopyright"))->text();
            return QDialog::Accepted;
        }
    } recorder;
    ShowAboutWindow(mainWindow, recorder);
    ShowAboutWindow(mainWindow, recorder);
    ASSERT_EQ(recorder.copyright.size(), 2);
    EXPECT_EQ(recorder.copyright[0], recorder.copyright[1]);
}

} // namespace
} // namespace harrowdeck
