// SPDX-License-Identifier: GPL-3.0-or-later
#include "DirChooser.h"
#include "DirListBox.h"
#include "ScriptedRunner.h"

#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

namespace harrowdeck::test {
namespace {

// A scratch tree: alpha (with inner), beta, and a hidden directory.
class DirChooserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree_.isValid());
        QDir root(tree_.path());
        ASSERT_TRUE(root.mkpath(QStringLiteral("alpha/inner")));
        ASSERT_TRUE(root.mkdir(QStringLiteral("beta")));
        ASSERT_TRUE(root.mkdir(QStringLiteral(".hidden")));
        base_ = tree_.path().toStdString();
    }

    // Opens frmDir on the chooser variables with a fixed drive list; step
    // drives the open window.
    void Open(ScriptedRunner::Step step, std::vector<std::string> drives = {"/"})
    {
        runner_.Then(std::move(step));
        frmDir window(vars_, runner_, &main_, std::move(drives), base_ + "/");
        window.Load(main_);
        runner_.Run(window);
        EXPECT_TRUE(runner_.Finished());
    }

    static DirListBox& List(QDialog& window) { return *window.findChild<DirListBox*>("dlbDir"); }

    static void Press(QDialog& window, const char* button) { window.findChild<QPushButton*>(button)->click(); }

    static void ClickEntry(QDialog& window, const std::string& path, bool twice)
    {
        DirListBox& list = List(window);
        const int row = list.RowOf(QString::fromStdString(path));
        ASSERT_GE(row, 0) << path;
        const QPoint centre = list.visualItemRect(list.item(row)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
        if (twice) {
            // The view enters only what the first click of the pair pressed.
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre);
        }
    }

    QTemporaryDir tree_;
    std::string base_;
    QWidget main_;
    ChooserVars vars_;
    ScriptedRunner runner_;
};

TEST_F(DirChooserTest, OpensAtTheStartDirectoryWithItsVisibleSubdirectories)
{
    vars_.dir = base_;
    Open([&](QDialog& window) {
        EXPECT_EQ(window.objectName(), "frmDir");
        DirListBox& list = List(window);
        EXPECT_EQ(list.Path().toStdString(), base_);
        EXPECT_EQ(list.RowOf(QStringLiteral("/")), 0) << "the path starts at the root";
        EXPECT_GT(list.RowOf(QString::fromStdString(base_ + "/alpha")), list.currentRow());
        EXPECT_GE(list.RowOf(QString::fromStdString(base_ + "/beta")), 0);
        EXPECT_EQ(list.RowOf(QString::fromStdString(base_ + "/.hidden")), -1);
        EXPECT_EQ(list.RowOf(QString::fromStdString(base_ + "/alpha/inner")), -1);
        EXPECT_EQ(window.findChild<QPushButton*>("cmdOkey")->text(), "Okej");
        EXPECT_EQ(window.findChild<QPushButton*>("cmdAvbryt")->text(), "Avbryt");
        Press(window, "cmdAvbryt");
    });
    EXPECT_EQ(vars_.dir, base_ + "/");
}

TEST_F(DirChooserTest, OkWithoutNavigatingReturnsTheStartWithSeparator)
{
    vars_.dir = base_;
    Open([&](QDialog& window) { Press(window, "cmdOkey"); });
    EXPECT_EQ(vars_.result, base_ + "/");
    EXPECT_EQ(vars_.dir, base_ + "/");
}

TEST_F(DirChooserTest, OkAtTheRootReturnsASingleSeparator)
{
    vars_.dir = "/";
    Open([&](QDialog& window) { Press(window, "cmdOkey"); });
    EXPECT_EQ(vars_.result, "/");
    EXPECT_EQ(vars_.dir, "/");
}

TEST_F(DirChooserTest, SingleClickOnlyHighlightsSoOkReturnsTheParent)
{
    vars_.dir = base_;
    Open([&](QDialog& window) {
        ClickEntry(window, base_ + "/alpha", false);
        EXPECT_EQ(List(window).currentRow(), List(window).RowOf(QString::fromStdString(base_ + "/alpha")));
        Press(window, "cmdOkey");
    });
    EXPECT_EQ(vars_.result, base_ + "/");
}

TEST_F(DirChooserTest, DoubleClickAndEnterNavigate)
{
    vars_.dir = base_;
    Open([&](QDialog& window) {
        ClickEntry(window, base_ + "/alpha", true);
        EXPECT_EQ(List(window).Path().toStdString(), base_ + "/alpha");
        // Up again through an ancestor, then into beta with the keyboard.
        ClickEntry(window, base_, true);
        DirListBox& list = List(window);
        list.setCurrentRow(list.RowOf(QString::fromStdString(base_ + "/beta")));
        QTest::keyClick(&list, Qt::Key_Return);
        EXPECT_EQ(list.Path().toStdString(), base_ + "/beta");
        EXPECT_TRUE(window.isVisible()) << "Enter in the list must not close the window";
        Press(window, "cmdOkey");
    });
    EXPECT_EQ(vars_.result, base_ + "/beta/");
}

TEST_F(DirChooserTest, PathIsOpenAndTheCurrentDirectoryStaysMarked)
{
    vars_.dir = base_;
    Open([&](QDialog& window) {
        DirListBox& list = List(window);
        const auto entry = [&list](const std::string& path) {
            return list.item(list.RowOf(QString::fromStdString(path)));
        };
        const auto picture = [](const QListWidgetItem* item) { return item->icon().pixmap(16).toImage(); };
        const QImage open = picture(entry("/"));
        EXPECT_EQ(picture(entry(base_)), open);
        EXPECT_NE(picture(entry(base_ + "/alpha")), open);
        EXPECT_EQ(picture(entry(base_ + "/alpha")), picture(entry(base_ + "/beta")));

        ClickEntry(window, base_ + "/alpha", false);
        EXPECT_TRUE(entry(base_)->font().bold()) << "what OK returns, while alpha is highlighted";
        EXPECT_FALSE(entry(base_ + "/alpha")->font().bold());
        EXPECT_FALSE(entry("/")->font().bold());
        Press(window, "cmdAvbryt");
    });
}

TEST_F(DirChooserTest, CentredOnItsOuterSizeOverTheMainWindow)
{
    main_.setGeometry(300, 200, 407, 251);
    main_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main_));
    vars_.dir = base_;
    Open([&](QDialog& window) {
        const QPointF expected = QRectF(main_.frameGeometry()).center();
        const QPointF placed = QRectF(window.frameGeometry()).center();
        EXPECT_LE(std::abs(placed.x() - expected.x()), 0.5);
        EXPECT_LE(std::abs(placed.y() - expected.y()), 0.5);
        Press(window, "cmdAvbryt");
    });
}

TEST_F(DirChooserTest, EnterOnAFocusedButtonPressesIt)
{
    vars_.dir = base_;
    Open([&](QDialog& window) {
        auto* okey = window.findChild<QPushButton*>("cmdOkey");
        okey->setFocus();
        QTest::keyClick(okey, Qt::Key_Return);
    });
    EXPECT_EQ(vars_.result, base_ + "/");
    vars_.result = "stale";
    Open([&](QDialog& window) { QTest::keyClick(window.findChild<QPushButton*>("cmdAvbryt"), Qt::Key_Enter); });
    EXPECT_EQ(vars_.result, "");
}

TEST_F(DirChooserTest, CancelAndCloseLeaveNoResultAndTheNormalisedDir)
{
    vars_.dir = base_ + "/alpha";
    vars_.result = "stale";
    Open([&](QDialog& window) {
        ClickEntry(window, base_ + "/alpha/inner", true);
        Press(window, "cmdAvbryt");
    });
    EXPECT_EQ(vars_.result, "");
    EXPECT_EQ(vars_.dir, base_ + "/alpha/");

    vars_.dir = base_ + "/missing";
    vars_.result = "stale";
    Open([&](QDialog& window) {
        EXPECT_EQ(List(window).Path().toStdString(), base_) << "the fallback";
        window.close();
    });
    EXPECT_EQ(vars_.result, "");
    EXPECT_EQ(vars_.dir, base_ + "/");

    Open([&](QDialog& window) { QTest::keyClick(&window, Qt::Key_Escape); });
    EXPECT_EQ(vars_.result, "");
}

TEST_F(DirChooserTest, EmptyTitleBecomesFilvaljareAndStays)
{
    vars_.dir = base_;
    Open([&](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Filväljare"));
        Press(window, "cmdAvbryt");
    });
    EXPECT_EQ(vars_.title, "Filväljare");
    Open([&](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Filväljare"));
        Press(window, "cmdAvbryt");
    });

    vars_.title = "Select destination directory";
    Open([&](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), "Select destination directory");
        Press(window, "cmdAvbryt");
    });
}

TEST_F(DirChooserTest, PickingADriveMovesTheListThere)
{
    vars_.dir = "/";
    Open(
        [&](QDialog& window) {
            window.findChild<QComboBox*>("drvDir")->setCurrentIndex(1);
            EXPECT_EQ(List(window).Path().toStdString(), base_ + "/beta");
            Press(window, "cmdOkey");
        },
        {"/", base_ + "/beta"});
    EXPECT_EQ(vars_.result, base_ + "/beta/");
}

TEST_F(DirChooserTest, UnreadableDriveWarnsAndTheWindowStaysUsable)
{
    vars_.dir = base_;
    Open(
        [&](QDialog& window) {
            runner_.Then([](QDialog& box) {
                auto& message = dynamic_cast<QMessageBox&>(box);
                EXPECT_EQ(message.text(), " Ingen disk i driven!");
                EXPECT_EQ(message.windowTitle(), "Harrowdeck");
                EXPECT_EQ(message.icon(), QMessageBox::Warning);
                message.button(QMessageBox::Ok)->click();
            });
            auto* drives = window.findChild<QComboBox*>("drvDir");
            drives->setCurrentIndex(1);
            EXPECT_EQ(drives->currentIndex(), 1) << "the drive list stays on the pick";
            EXPECT_EQ(List(window).Path().toStdString(), base_) << "the list keeps its place";
            ClickEntry(window, base_ + "/alpha", true);
            Press(window, "cmdOkey");
        },
        {"/", base_ + "/unplugged"});
    EXPECT_EQ(runner_.shown.size(), 2u);
    EXPECT_EQ(vars_.result, base_ + "/alpha/");
}

} // namespace
} // namespace harrowdeck::test
