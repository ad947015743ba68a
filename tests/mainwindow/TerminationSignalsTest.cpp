// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindowFixture.h"

#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QTest>

#include <csignal>

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
        Make();
        QObject::connect(&watcher, &TerminationSignals::terminationRequested, window.get(),
                         &frmMain::RequestClose);
        bool signalledDuringAbout = false;
        runner.onShow = [&](QDialog& dialog) {
            if (dialog.objectName() == "frmStart") {
                std::raise(signal);
                // The modal window's event loop sees the request.
                signalledDuringAbout =
                    QTest::qWaitFor([this] { return window->HasShutDown(); }, 2000);
            }
        };
        window->StartUp();
        EXPECT_TRUE(signalledDuringAbout);
        EXPECT_FALSE(window->isVisible());
        EXPECT_TRUE(PathExists(ParamFile()));
    }
}

} // namespace
} // namespace harrowdeck::test
