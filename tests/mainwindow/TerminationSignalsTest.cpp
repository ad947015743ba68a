// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindowFixture.h"

#include "Messages.h"
#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <filesystem>

namespace harrowdeck::test {
namespace {

class Termination : public MainWindowFixture {};

// The packaging and service managers stop the program with SIGTERM; it must
// still save its choices, also while the about window is open.
TEST_F(Termination, SignalClosesTheMainWindowTheNormalWay)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        TerminationSignals watcher;
        ASSERT_TRUE(watcher.IsActive());
        const TerminationSignals second;
        EXPECT_FALSE(second.IsActive());
        EXPECT_EQ(second.Failure(), "termination signals are already being watched");
        Make();
        QObject::connect(&watcher, &TerminationSignals::terminationRequested, window.get(), &frmMain::RequestClose);
        bool signalledDuringAbout = false;
        runner.onShow = [&](QDialog& dialog) {
            if (dialog.objectName() == "frmStart") {
                std::raise(signal);
                // The modal window's event loop sees the request.
                signalledDuringAbout = QTest::qWaitFor([this] { return window->HasShutDown(); }, 2000);
            }
        };
        window->StartUp();
        EXPECT_TRUE(signalledDuringAbout);
        EXPECT_FALSE(window->isVisible());
        EXPECT_TRUE(PathExists(ParamFile()));
    }
}

// A signal while a run writes its pages: the run is abandoned first, so
// that the choices are saved over a destination already as it was.
TEST_F(Termination, SignalDuringARunAbandonsItBeforeClosing)
{
    const std::string out = dir / "out/";
    std::filesystem::create_directory(out);
    std::string source = "<!DOCTYPE FIRSTFLOOR>\n";
    for (int folder = 1; folder <= 50; ++folder) {
        source += "<DT><H3>F" + std::to_string(folder) + "</H3>\n<DL><p>\n";
        for (int link = 0; link < 1000; ++link) {
            source += "<DT><A HREF=\"https://example.org/" + std::to_string(link) + "\">L</A>\n";
        }
        source += "</DL><p>\n";
    }
    WriteFile(dir / "large.htm", source);
    WriteFile(out + "1.html", "previous page");
    WriteFile(out + "dir.html", "previous index");

    TerminationSignals watcher;
    ASSERT_TRUE(watcher.IsActive());
    WriteFile(ParamFile(), Crlf("PATHS\n" + out + "\n" + dir / "large.htm" + "\n\n\n"));
    Start();
    QObject::connect(&watcher, &TerminationSignals::terminationRequested, window.get(), &frmMain::RequestClose);
    bool requested = false;
    QObject::connect(&watcher, &TerminationSignals::terminationRequested, [&requested] { requested = true; });
    bool temporaryAtSave = true;
    QObject::connect(window.get(), &frmMain::shutdownFinished, [&] { temporaryAtSave = HasTemporaryFile(out); });
    window->SetProgressDelay(std::chrono::milliseconds(0));
    // Inside the run's first event handling, with its pages under way.
    QTimer::singleShot(0, window.get(), [&] {
        std::raise(SIGTERM);
        EXPECT_TRUE(QTest::qWaitFor([&requested] { return requested; }, 2000));
    });
    runner.shown.clear();
    runner.answers = {QMessageBox::Yes};
    QTest::mouseClick(&Get<QPushButton>("Command1"), Qt::LeftButton);

    EXPECT_TRUE(requested);
    EXPECT_TRUE(window->HasShutDown());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(PathExists(ParamFile()));
    EXPECT_FALSE(temporaryAtSave) << "the choices were saved before the run was abandoned";
    EXPECT_EQ(runner.Texts(), QStringList{messages::kConfirm}); // no completion box
    EXPECT_EQ(ReadFile(out + "1.html"), "previous page");
    EXPECT_EQ(ReadFile(out + "dir.html"), "previous index");
    EXPECT_FALSE(PathExists(out + "2.html"));
    EXPECT_FALSE(HasTemporaryFile(out));
}

} // namespace
} // namespace harrowdeck::test
