// SPDX-License-Identifier: GPL-3.0-or-later
// Generation runs started from the main window, answered like a user would.
#include "MainWindowFixture.h"

#include "ExportBuilder.h"
#include "Messages.h"
#include "ProgressWindow.h"
#include "RunConversation.h"
#include "RunWindows.h"

#include <QCheckBox>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>

namespace harrowdeck::test {
namespace {

class ClickThrough : public MainWindowFixture {
protected:
    std::string out;

    void SetUp() override
    {
        out = dir / "out/";
        std::filesystem::create_directory(out);
    }

    void StartOn(const std::string& source)
    {
        StartWith("PATHS\n" + out + "\n" + source + "\n\n\n");
        runner.shown.clear();
    }

    void ClickMake() { QTest::mouseClick(&Get<QPushButton>("Command1"), Qt::LeftButton); }
};

TEST_F(ClickThrough, MakesTheFramesetAndReportsIt)
{
    StartOn(HARROWDECK_EXAMPLE_EXPORT);
    QTest::mouseClick(&Get<QRadioButton>("optNewWin"), Qt::LeftButton);
    QTest::mouseClick(&Get<QRadioButton>("optPixel"), Qt::LeftButton);
    Get<QLineEdit>("txtProc").clear();
    QTest::keyClicks(&Get<QLineEdit>("txtProc"), "5");
    Get<QLineEdit>("txtPixel").clear();
    QTest::keyClicks(&Get<QLineEdit>("txtPixel"), "7");

    runner.answers = {QMessageBox::Yes};
    ClickMake();

    ASSERT_EQ(runner.shown.size(), 2u);
    const auto& question = runner.shown[0];
    EXPECT_EQ(question.title, "Harrowdeck");
    EXPECT_EQ(question.text, messages::kConfirm);
    EXPECT_EQ(question.icon, QMessageBox::NoIcon);
    EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.defaultButton, QMessageBox::Yes);
    const auto& done = runner.shown[1];
    EXPECT_EQ(done.title, "Harrowdeck");
    // The example keeps one link outside every folder, which is left out,
    // and the box says how to keep it.
    EXPECT_EQ(done.text, "Harrowdeck.html is done!\n1 link outside any folder was left out. "
                         "Check \"Every folder\" to keep them.");
    EXPECT_EQ(done.icon, QMessageBox::NoIcon);
    EXPECT_EQ(done.buttons, QMessageBox::Ok);

    // The run brought the widths into range and the fields show it.
    EXPECT_EQ(Text("txtProc"), "10");
    EXPECT_EQ(Text("txtPixel"), "20");
    EXPECT_EQ(window->State().leftPixels, 20);

    EXPECT_TRUE(PathExists(out + "1.html"));
    EXPECT_TRUE(PathExists(out + "dir.html"));
    const std::string frameset = ReadFile(out + "Harrowdeck.html");
    EXPECT_NE(frameset.find("20,"), std::string::npos) << frameset; // pixels, not percent
    const std::string links = ReadFile(out + "1.html");
    EXPECT_NE(links.find("TARGET=\"_blank\""), std::string::npos) << links;
}

TEST_F(ClickThrough, EveryFolderReachesTheRunAndSurvivesARestart)
{
    StartOn(HARROWDECK_EXAMPLE_EXPORT);
    EXPECT_FALSE(Get<QCheckBox>("chkAllFolders").isChecked());
    QTest::mouseClick(&Get<QCheckBox>("chkAllFolders"), Qt::LeftButton);
    EXPECT_EQ(window->State().folderMode, FolderMode::All);
    ClickMake();
    // The loose link is kept on the root's page, Editors gets a page of its own.
    EXPECT_EQ(runner.Texts(), (QStringList{messages::kConfirm, messages::kDone}));
    EXPECT_NE(ReadFile(out + "1.html").find("<H3>Bookmarks</H3>"), std::string::npos);
    EXPECT_NE(ReadFile(out + "4.html").find("<H3>Tools / Editors</H3>"), std::string::npos);

    window->close();
    Start();
    EXPECT_TRUE(Get<QCheckBox>("chkAllFolders").isChecked());
    EXPECT_EQ(window->State().folderMode, FolderMode::All);
    QTest::mouseClick(&Get<QCheckBox>("chkAllFolders"), Qt::LeftButton);
    EXPECT_EQ(window->State().folderMode, FolderMode::Top);
}

TEST_F(ClickThrough, AnsweringNoChangesNothing)
{
    StartOn(HARROWDECK_EXAMPLE_EXPORT);
    Get<QLineEdit>("txtProc").setText("5");
    runner.answers = {QMessageBox::No};
    ClickMake();
    EXPECT_EQ(runner.Texts(), QStringList{messages::kConfirm});
    EXPECT_EQ(Text("txtProc"), "5");
    EXPECT_FALSE(PathExists(out + "Harrowdeck.html"));
}

TEST_F(ClickThrough, MissingSourceIsReportedWithoutAQuestion)
{
    StartOn(dir / "no-such-export.htm");
    ClickMake();
    EXPECT_EQ(runner.Texts(), QStringList{messages::kSourceMissing});
    EXPECT_EQ(runner.shown[0].icon, QMessageBox::NoIcon);
}

TEST_F(ClickThrough, CancelInTheProgressWindowStopsTheRun)
{
    // Large enough to report its progress several times.
    WriteFile(dir / "large.htm", kHeaderLine + BigFolders(200, 300));
    StartOn(dir / "large.htm");
    window->SetProgressPacing({.delay = std::chrono::milliseconds(0)});
    bool sawProgress = false;
    // Runs inside the first event handling of the run, once the progress
    // window is up.
    QTimer::singleShot(0, window.get(), [&] {
        auto* progress = window->findChild<ProgressWindow*>();
        if (progress != nullptr && progress->isVisible()) {
            sawProgress = progress->windowModality() != Qt::NonModal;
            QTest::mouseClick(&progress->CancelButton(), Qt::LeftButton);
        }
    });
    ClickMake();
    EXPECT_TRUE(sawProgress);
    EXPECT_EQ(runner.Texts(), QStringList{messages::kConfirm}); // no completion message
    EXPECT_FALSE(PathExists(out + "dir.html"));
    EXPECT_FALSE(PathExists(out + "Harrowdeck.html"));
    // All or nothing: not even the pages complete before the cancel.
    EXPECT_FALSE(PathExists(out + "1.html"));
    EXPECT_FALSE(test::HasTemporaryFile(out));
    EXPECT_EQ(window->findChild<ProgressWindow*>(), nullptr);
}

// Once the pages are being renamed into place the run cannot stop, so the
// window does not offer it: Cancel is disabled, and Escape and the close
// control do nothing. Each way is tried in a run of its own, in the middle
// of the renaming, and the run completes over the previous set.
TEST_F(ClickThrough, CancelIsDisabledOnceThePagesAreBeingPutInPlace)
{
    WriteFile(dir / "many.htm", kHeaderLine + Folders(40));
    const std::pair<const char*, std::function<void(ProgressWindow&)>> ways[] = {
        {"Cancel", [](ProgressWindow& p) { QTest::mouseClick(&p.CancelButton(), Qt::LeftButton); }},
        {"Escape", [](ProgressWindow& p) { QTest::keyClick(&p, Qt::Key_Escape); }},
        {"close control", [](ProgressWindow& p) { p.close(); }},
    };
    for (const auto& [way, tryToCancel] : ways) {
        SCOPED_TRACE(way);
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        WriteFile(out + "1.html", "previous page");
        StartOn(dir / "many.htm");
        // Every report handles events, so the renaming is met on its way.
        window->SetProgressPacing({.delay = std::chrono::milliseconds(0), .refresh = std::chrono::milliseconds(0)});
        bool tried = false;
        bool disabled = false;
        bool stillOpen = false;
        QTimer poke;
        poke.setInterval(0);
        QObject::connect(&poke, &QTimer::timeout, [&] {
            auto* progress = window->findChild<ProgressWindow*>();
            if (tried || progress == nullptr || !PathExists(out + ".harrowdeck-commit")) {
                return; // the renaming has not begun
            }
            tried = true;
            disabled = !progress->CancelButton().isEnabled();
            tryToCancel(*progress);
            stillOpen = progress->isVisible() && !progress->Cancelled();
        });
        poke.start();
        ClickMake();
        poke.stop();
        EXPECT_TRUE(tried) << "the renaming handled no events";
        EXPECT_TRUE(disabled);
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(runner.Texts(), (QStringList{messages::kConfirm, messages::kDone}));
        EXPECT_NE(ReadFile(out + "1.html"), "previous page");
        EXPECT_TRUE(PathExists(out + "40.html"));
        EXPECT_FALSE(test::HasTemporaryFile(out));
        window->close();
    }
}

// The run's windows as a run drives them, with a host that ends the program
// when told to.
class ProgressReports : public ::testing::Test {
protected:
    struct Host final : RunHost {
        bool ending = false;
        [[nodiscard]] bool EndRequested() const override { return ending; }
        void TakeDecisions(const RunDecisions&) override {}
        void RepeatEndRequest() override {}
    };

    QWidget parent;
    ScriptedRunner runner;
    RunWindows windows{parent, runner};
    Host host;
    static constexpr ProgressPacing kAtOnce{.delay = std::chrono::milliseconds(0),
                                            .refresh = std::chrono::milliseconds(0)};
};

using Stage = UserInterface::Stage;

TEST_F(ProgressReports, WindowAppearsOnlyAfterTheDelayAndPainted)
{
    {
        RunConversation ui(windows, host, FolderMode::Top, {.delay = std::chrono::hours(1)});
        EXPECT_TRUE(ui.ReportProgress(Stage::Reading, 10, 100));
        EXPECT_EQ(windows.Progress(), nullptr);
    }
    RunConversation quick(windows, host, FolderMode::Top, kAtOnce);
    EXPECT_TRUE(quick.ReportProgress(Stage::Reading, 50, 100));
    ProgressWindow* progress = windows.Progress();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->Value(), 350);
    EXPECT_EQ(progress->windowTitle(), "Harrowdeck");
    // Fixed: neither the user nor a longer label resizes it.
    EXPECT_EQ(progress->minimumSize(), progress->maximumSize());
    const QSize size = progress->size();
    EXPECT_TRUE(quick.ReportProgress(Stage::PlacingPages, 0, 10));
    EXPECT_EQ(progress->size(), size);
}

// The bar runs once over the whole run, the label says what the run is
// doing, and Cancel goes once the renaming has begun.
TEST_F(ProgressReports, TheBarRunsOnceOverEveryStage)
{
    RunConversation ui(windows, host, FolderMode::All, kAtOnce);
    const struct {
        Stage stage;
        std::uint64_t done;
        std::uint64_t total;
        const char* label;
        int value;
        bool cancellable;
    } steps[] = {
        {Stage::Reading, 250, 1000, "Reading the Gloamery export...", 162, true},
        {Stage::Reading, 990, 1000, "Reading the Gloamery export...", 643, true},
        {Stage::WritingIndex, 1, 4, "Writing the folder index...", 662, true},
        {Stage::WritingIndex, 3, 4, "Writing the folder index...", 687, true},
        {Stage::PlacingPages, 0, 20, "Putting the pages in place...", 700, false},
    };
    for (const auto& step : steps) {
        EXPECT_TRUE(ui.ReportProgress(step.stage, step.done, step.total));
        EXPECT_EQ(windows.Progress()->LabelText(), step.label);
        EXPECT_EQ(windows.Progress()->Value(), step.value);
        EXPECT_EQ(windows.Progress()->CancelButton().isEnabled(), step.cancellable);
    }
    ui.ReportPlacing(10, 20);
    EXPECT_EQ(windows.Progress()->Value(), 850);
    ui.ReportPlacing(20, 20);
    EXPECT_EQ(windows.Progress()->Value(), 1000);
    EXPECT_FALSE(windows.Progress()->CancelButton().isEnabled());
}

TEST_F(ProgressReports, CancelAndProgramEndStopTheRun)
{
    {
        RunConversation ui(windows, host, FolderMode::Top, kAtOnce);
        EXPECT_TRUE(ui.ReportProgress(Stage::Reading, 1, 4));
        QTest::mouseClick(&windows.Progress()->CancelButton(), Qt::LeftButton);
        EXPECT_FALSE(ui.ReportProgress(Stage::Reading, 2, 4));
    }
    RunConversation ended(windows, host, FolderMode::Top, {.delay = std::chrono::hours(1)});
    EXPECT_TRUE(ended.ReportProgress(Stage::Reading, 1, 4));
    host.ending = true;
    EXPECT_FALSE(ended.ReportProgress(Stage::PlacingPages, 0, 4));
}

TEST_F(ProgressReports, BoxesAreCaptionedAndCarryTheirIcon)
{
    RunConversation ui(windows, host, FolderMode::Top, kAtOnce);
    ui.ShowMessage("Could not write /x/1.html: No space left on device", UserInterface::Icon::Exclamation);
    ui.ShowMessage("plain", UserInterface::Icon::None);
    runner.answers = {QMessageBox::No};
    EXPECT_FALSE(ui.AskYesNo("Shall you make a new Harrowdeck file ?"));
    ASSERT_EQ(runner.shown.size(), 3u);
    EXPECT_EQ(runner.shown[0].icon, QMessageBox::Warning);
    EXPECT_EQ(runner.shown[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(runner.shown[1].icon, QMessageBox::NoIcon);
    EXPECT_EQ(runner.shown[2].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(runner.shown[2].defaultButton, QMessageBox::Yes);
    for (const auto& box : runner.shown) {
        EXPECT_EQ(box.title, "Harrowdeck");
    }
}

} // namespace
} // namespace harrowdeck::test
