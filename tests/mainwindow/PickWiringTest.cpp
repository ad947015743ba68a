// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's two pick buttons and the Help menu reach the choosers
// and the help window, and only a confirmed pick changes the window.
#include "HelpText.h"
#include "MainWindowFixture.h"

#include <QAction>
#include <QFileDialog>
#include <QPlainTextEdit>

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
