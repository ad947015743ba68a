// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindowFixture.h"

#include "EndingSignals.h"
#include "ExportBuilder.h"
#include "Messages.h"
#include "ParamFile.h"
#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

namespace harrowdeck::test {
namespace {

class Termination : public MainWindowFixture {
protected:
    const std::string out = dir / "out/";

    // The previous run's page and index in out, and the choices that run
    // into out from source.
    void PrepareRun(const std::string& source)
    {
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        WriteFile(out + "1.html", "previous page");
        WriteFile(out + "dir.html", "previous index");
        WriteFile(ParamFile(), Crlf("PATHS\n" + out + "\n" + source + "\n\n\n"));
    }

    // Starts the window and has every ending signal close it.
    void Watch(TerminationSignals& watcher)
    {
        Start();
        QObject::connect(&watcher, &TerminationSignals::terminationRequested, window.get(), &frmMain::RequestClose);
    }

    void ClickMakeAndConfirm()
    {
        runner.shown.clear();
        runner.answers = {QMessageBox::Yes};
        QTest::mouseClick(&Get<QPushButton>("Command1"), Qt::LeftButton);
    }

    // A run from many.htm, signalled from another thread as soon as its
    // renaming has begun. Returns whether the signal came during the
    // renaming, and then checks how the run and the program ended.
    bool SignalOnceTheRenamingBegins(int signalNumber)
    {
        PrepareRun(dir / "many.htm");
        TerminationSignals watcher;
        EXPECT_TRUE(watcher.IsActive()) << watcher.Failure();
        Watch(watcher);
        // The previous set has one page: 2.html comes with the first rename.
        std::atomic<bool> renamingUnderWay = false;
        std::atomic<bool> runOver = false;
        std::thread signaller([&] {
            while (!runOver && !PathExists(out + "2.html")) {
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            }
            if (!runOver) {
                std::raise(signalNumber); // the handler has run when raise returns
                renamingUnderWay = HasTemporaryFile(out);
            }
        });
        bool closedFromTheCompletionBox = false;
        runner.onShow = [&](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            if (box != nullptr && box->text() == messages::kDone) {
                // The completion box's event loop sees the request.
                closedFromTheCompletionBox = QTest::qWaitFor([this] { return window->HasShutDown(); }, 2000);
            }
        };
        ClickMakeAndConfirm();
        runOver = true;
        signaller.join();
        runner.onShow = nullptr;
        if (!renamingUnderWay) {
            return false;
        }
        EXPECT_EQ(runner.Texts(), (QStringList{messages::kConfirm, messages::kDone}));
        EXPECT_TRUE(closedFromTheCompletionBox);
        EXPECT_FALSE(window->isVisible());
        EXPECT_TRUE(PathExists(ParamFile()));
        EXPECT_FALSE(HasTemporaryFile(out));
        EXPECT_NE(ReadFile(out + "dir.html").find("F3000"), std::string::npos) << "the index is not the new one";
        EXPECT_TRUE(PathExists(out + "3000.html"));
        return true;
    }
};

// The packaging and service managers stop the program with SIGTERM, a
// terminal that goes away with SIGHUP; it must still save its choices, also
// while the about window is open.
TEST_F(Termination, SignalClosesTheMainWindowTheNormalWay)
{
    for (const EndingSignal& ending : kEndingSignals) {
        SCOPED_TRACE(ending.name);
        TerminationSignals watcher;
        ASSERT_TRUE(watcher.IsActive()) << watcher.Failure();
        const TerminationSignals second;
        EXPECT_FALSE(second.IsActive());
        EXPECT_EQ(second.Failure(), "termination signals are already being watched");
        Make();
        QObject::connect(&watcher, &TerminationSignals::terminationRequested, window.get(), &frmMain::RequestClose);
        bool signalledDuringAbout = false;
        runner.onShow = [&](QDialog& dialog) {
            if (dialog.objectName() == "frmStart") {
                std::raise(ending.number);
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
    WriteFile(dir / "large.htm", kHeaderLine + BigFolders(50, 1000));
    for (const EndingSignal& ending : kEndingSignals) {
        SCOPED_TRACE(ending.name);
        PrepareRun(dir / "large.htm");
        TerminationSignals watcher;
        ASSERT_TRUE(watcher.IsActive()) << watcher.Failure();
        Watch(watcher);
        bool requested = false;
        QObject::connect(&watcher, &TerminationSignals::terminationRequested, [&requested] { requested = true; });
        bool temporaryAtSave = true;
        QObject::connect(window.get(), &frmMain::shutdownFinished, [&] { temporaryAtSave = HasTemporaryFile(out); });
        window->SetProgressPacing({.delay = std::chrono::milliseconds(0)});
        Get<QLineEdit>("txtProc").setText("5");
        Get<QLineEdit>("txtPixel").setText("7");
        // Inside the run's first event handling, with its pages under way.
        QTimer::singleShot(0, window.get(), [&] {
            std::raise(ending.number);
            EXPECT_TRUE(QTest::qWaitFor([&requested] { return requested; }, 2000));
        });
        ClickMakeAndConfirm();

        EXPECT_TRUE(requested);
        EXPECT_TRUE(window->HasShutDown());
        EXPECT_FALSE(window->isVisible());
        EXPECT_TRUE(PathExists(ParamFile()));
        EXPECT_FALSE(temporaryAtSave) << "the choices were saved before the run was abandoned";
        // The widths as the run normalised them, as Cancel would keep them.
        MainState saved;
        ASSERT_TRUE(LoadParamFile(ParamFile(), saved));
        EXPECT_EQ(saved.leftPercent, 10);
        EXPECT_EQ(saved.leftPixels, 20);
        EXPECT_EQ(runner.Texts(), QStringList{messages::kConfirm}); // no completion box
        EXPECT_EQ(ReadFile(out + "1.html"), "previous page");
        EXPECT_EQ(ReadFile(out + "dir.html"), "previous index");
        EXPECT_FALSE(PathExists(out + "2.html"));
        EXPECT_FALSE(HasTemporaryFile(out));
    }
}

// Once the pages are being renamed into place, a signal is too late to stop
// the run: it completes and says so, and the program then closes the normal
// way, over the whole new set.
TEST_F(Termination, SignalDuringTheRenamingClosesAfterTheRun)
{
    // Many small pages: the renaming takes long enough to be caught.
    WriteFile(dir / "many.htm", kHeaderLine + BigFolders(3000, 2));
    for (const EndingSignal& ending : kEndingSignals) {
        SCOPED_TRACE(ending.name);
        // A thread that the system kept waiting may see the renaming only
        // once it is over; then the run is made again.
        bool caught = false;
        for (int attempt = 0; attempt < 3 && !caught; ++attempt) {
            caught = SignalOnceTheRenamingBegins(ending.number);
        }
        EXPECT_TRUE(caught) << "the signal never came during the renaming";
    }
}

} // namespace
} // namespace harrowdeck::test
