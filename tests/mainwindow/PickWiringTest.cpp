// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's two pick buttons and the Help menu reach the choosers
// and the help window, and only a confirmed pick changes the window.
#include "DirListBox.h"
#include "HelpText.h"
#include "MainWindowFixture.h"

#include <QAction>
#include <QFileDialog>
#include <QPlainTextEdit>

#include <filesystem>

namespace harrowdeck::test {
namespace {

class PickWiring : public MainWindowFixture {
protected:
    TempDir picked;
};

TEST_F(PickWiring, ConfirmedDestinationPickShowsTheDirectoryWithSeparator)
{
    StartWith("PATHS\n" + picked.Path() + "\n\n\n\n");
    runner.onShow = [](QDialog& dialog) {
        if (dialog.objectName() == "frmDir") {
            dialog.findChild<QPushButton*>(QStringLiteral("cmdOkey"))->click();
        }
    };
    Get<QPushButton>("cmdDest").click();
    EXPECT_EQ(Text("txtDest").toStdString(), picked.Path());
    EXPECT_EQ(chooserVars.title, "Select destination directory");
}

TEST_F(PickWiring, CancelledDestinationPickChangesNothing)
{
    StartWith("PATHS\n" + picked.Path() + "\n\n\n\n");
    runner.onShow = nullptr;
    Get<QPushButton>("cmdDest").click();
    EXPECT_EQ(runner.shown.back().objectName, "frmDir");
    EXPECT_EQ(Text("txtDest").toStdString(), picked.Path());
    EXPECT_TRUE(chooserVars.result.empty());
}

TEST_F(PickWiring, ConfirmedSourcePickShowsThePath)
{
    WriteFile(picked / "export.htm", "<!DOCTYPE FIRSTFLOOR>\n");
    Start();
    runner.onShow = [this](QDialog& dialog) {
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            files->setDirectory(QString::fromStdString(picked.Path()));
            files->selectFile(QStringLiteral("export.htm"));
            dialog.accept(); // QFileDialog's own accept, through QDialog's public one
        }
    };
    Get<QPushButton>("cmdSource").click();
    EXPECT_EQ(Text("txtSource").toStdString(), picked / "export.htm");
    EXPECT_EQ(chooserVars.dir, picked.Path());
    EXPECT_EQ(chooserVars.file, "export.htm");
    EXPECT_EQ(window->State().sourcePath, picked / "export.htm");
    EXPECT_EQ(window->State().sourceDir, picked.Path());
    EXPECT_EQ(window->State().sourceName, "export.htm");
}

// The source pick opens on the last source directory and name with the
// export filter first; a cancel, twice, changes nothing.
TEST_F(PickWiring, CancelledSourcePickKeepsTheOldState)
{
    std::filesystem::create_directory(picked / "DATA");
    WriteFile(picked / "DATA/BOOK.HTM", "");
    StartWith("PATHS\n\n" + picked / "DATA/BOOK.HTM" + "\n" + picked / "DATA/" + "\nBOOK.HTM\n");
    const MainState before = window->State();
    for (int pick = 0; pick < 2; ++pick) {
        runner.onShow = [this](QDialog& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            ASSERT_NE(files, nullptr);
            EXPECT_EQ(files->windowTitle(), "Select Gloamerys exported file");
            EXPECT_EQ(files->directory().absolutePath().toStdString() + "/", picked / "DATA/");
            EXPECT_EQ(files->selectedFiles().value(0).toStdString(), picked / "DATA/BOOK.HTM");
            EXPECT_EQ(files->nameFilters().size(), 2);
            EXPECT_TRUE(files->nameFilters().value(0).startsWith(QStringLiteral("htm (*.htm*)")));
        };
        Get<QPushButton>("cmdSource").click();
        EXPECT_EQ(window->State().sourcePath, before.sourcePath);
        EXPECT_EQ(window->State().sourceDir, before.sourceDir);
        EXPECT_EQ(window->State().sourceName, before.sourceName);
        EXPECT_EQ(Text("txtSource").toStdString(), before.sourcePath);
        EXPECT_TRUE(chooserVars.filter.empty());
    }
}

// Only OK changes the destination, to the list's directory with its
// separator.
TEST_F(PickWiring, DestinationPickChangesOnlyOnOk)
{
    std::filesystem::create_directories(picked / "alpha/inner");
    StartWith("PATHS\n" + picked / "alpha/" + "\n\n\n\n");
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Avbryt");
        runner.onShow = [this, ok](QDialog& dialog) {
            auto& list = *dialog.findChild<DirListBox*>(QStringLiteral("dlbDir"));
            EXPECT_EQ(list.Path().toStdString() + "/", picked / "alpha/");
            ASSERT_TRUE(list.SetPath(QString::fromStdString(picked / "alpha/inner")));
            dialog.findChild<QPushButton*>(ok ? "cmdOkey" : "cmdAvbryt")->click();
        };
        Get<QPushButton>("cmdDest").click();
        const std::string expected = ok ? picked / "alpha/inner/" : picked / "alpha/";
        EXPECT_EQ(window->State().destDir, expected);
        EXPECT_EQ(Text("txtDest").toStdString(), expected);
        EXPECT_TRUE(chooserVars.file.empty());
    }
}

TEST_F(PickWiring, HelpMenuShowsTheHelpText)
{
    Start();
    std::string shownText;
    runner.onShow = [&shownText](QDialog& dialog) {
        if (auto* box = dialog.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))) {
            shownText = box->toPlainText().toStdString();
        }
    };
    window->findChild<QAction*>(QStringLiteral("mnuHelp"))->trigger();
    EXPECT_EQ(runner.shown.back().objectName, "frmForklaring");
    EXPECT_NE(shownText.find("Harrowdeck short help"), std::string::npos);
    EXPECT_NE(shownText.find("Browsing mode"), std::string::npos);
}

} // namespace
} // namespace harrowdeck::test
