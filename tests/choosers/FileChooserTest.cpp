// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileChooser.h"
#include "ChooserRules.h"
#include "ScriptedRunner.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace harrowdeck::test {
namespace {

class FileChooserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree_.isValid());
        ASSERT_TRUE(QDir(tree_.path()).mkdir(QStringLiteral("DATA")));
        QFile book(tree_.filePath(QStringLiteral("DATA/BOOK.HTM")));
        ASSERT_TRUE(book.open(QIODevice::WriteOnly));
        base_ = tree_.path().toStdString();
    }

    // The texts the dialog's file-type list shows.
    static QStringList ShownFilters(QDialog& dialog)
    {
        QStringList shown;
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        EXPECT_NE(combo, nullptr);
        for (int i = 0; combo != nullptr && i < combo->count(); ++i) {
            shown << combo->itemText(i);
        }
        return shown;
    }

    // Types the path into the name field, as a user would, and confirms.
    static void Choose(QDialog& dialog, const std::string& path)
    {
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(path));
        dialog.accept(); // QFileDialog's own checks run through the override
    }

    // The dialog as an Open one, as the source pick asks for it.
    void ChooseToOpen()
    {
        AskToOpen(vars_);
        ChooseFile(vars_, &main_, runner_);
    }

    QTemporaryDir tree_;
    std::string base_;
    QWidget main_;
    ChooserVars vars_;
    ScriptedRunner runner_;
};

TEST_F(FileChooserTest, CancelEmptiesResultAndFilterAndKeepsTheRest)
{
    vars_ = {"Pick one", "htm (*.htm*)|*.htm*", "old", base_ + "/DATA", "BOOK.HTM", kChooserOpen, 0};
    runner_.Then([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        EXPECT_EQ(files.windowTitle(), "Pick one");
        EXPECT_EQ(files.directory().absolutePath().toStdString(), base_ + "/DATA");
        EXPECT_EQ(ShownFilters(dialog), (QStringList{"htm (*.htm*)", "Alla filer (*.*)"}));
        EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentIndex(), 0);
        EXPECT_EQ(files.acceptMode(), QFileDialog::AcceptOpen);
        files.reject();
    });
    ChooseToOpen();
    EXPECT_EQ(vars_.result, "");
    EXPECT_EQ(vars_.filter, "");
    EXPECT_EQ(vars_.dir, base_ + "/DATA/") << "the separator appended before the dialog opened";
    EXPECT_EQ(vars_.file, "BOOK.HTM");
    EXPECT_EQ(vars_.title, "Pick one");
    EXPECT_EQ(vars_.flags, kChooserHideReadOnly);
}

TEST_F(FileChooserTest, ConfirmedChoiceSplitsDirectoryAndName)
{
    vars_.dir = base_;
    vars_.filter = "htm (*.htm*)|*.htm*";
    runner_.Then([&](QDialog& dialog) { Choose(dialog, base_ + "/DATA/BOOK.HTM"); });
    ChooseToOpen();
    EXPECT_EQ(vars_.result, base_ + "/DATA/BOOK.HTM");
    EXPECT_EQ(vars_.file, "BOOK.HTM");
    EXPECT_EQ(vars_.dir, base_ + "/DATA/");
    EXPECT_EQ(vars_.filter, "");
}

TEST_F(FileChooserTest, EmptyFilterAndASecondCallOfferOnlyAllFiles)
{
    vars_.filter = "htm (*.htm*)|*.htm*";
    runner_.Then([&](QDialog& dialog) { Choose(dialog, base_ + "/DATA/BOOK.HTM"); });
    runner_.Then([&](QDialog& dialog) {
        EXPECT_EQ(ShownFilters(dialog), QStringList{"Alla filer (*.*)"});
        dynamic_cast<QFileDialog&>(dialog).reject();
    });
    ChooseToOpen();
    ChooseToOpen(); // the caller set no filter this time
    EXPECT_TRUE(runner_.Finished());
    EXPECT_EQ(vars_.result, "");
}

TEST_F(FileChooserTest, EmptyTitleAndDirectory)
{
    runner_.Then([&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Filväljare"));
        dynamic_cast<QFileDialog&>(dialog).reject();
    });
    ChooseFile(vars_, &main_, runner_);
    EXPECT_EQ(vars_.title, "Filväljare");
    EXPECT_EQ(vars_.dir, "") << "an empty directory stays empty on cancel";
}

TEST_F(FileChooserTest, RootAsTheInitialDirectory)
{
    vars_.dir = "/";
    runner_.Then([&](QDialog& dialog) {
        EXPECT_EQ(dynamic_cast<QFileDialog&>(dialog).directory().absolutePath(), "/");
        dynamic_cast<QFileDialog&>(dialog).reject();
    });
    ChooseFile(vars_, &main_, runner_);
    EXPECT_EQ(vars_.dir, "/");
}

TEST_F(FileChooserTest, SaveKindIsAccepted)
{
    vars_.action = kChooserSave;
    vars_.dir = base_;
    runner_.Then([&](QDialog& dialog) {
        EXPECT_EQ(dynamic_cast<QFileDialog&>(dialog).acceptMode(), QFileDialog::AcceptSave);
        Choose(dialog, base_ + "/new.htm");
    });
    ChooseFile(vars_, &main_, runner_);
    EXPECT_EQ(vars_.result, base_ + "/new.htm");
    EXPECT_EQ(vars_.dir, base_ + "/");
}

} // namespace
} // namespace harrowdeck::test
