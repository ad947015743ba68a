// SPDX-License-Identifier: GPL-3.0-or-later
// Harrowdeck: turns a Gloamery bookmark export into an HTML frameset.
#include "ChooserVars.h"
#include "ConsoleReport.h"
#include "EndingSignals.h"
#include "LocateAppPaths.h"
#include "MainWindow.h"
#include "ModalRunner.h"
#include "TerminationSignals.h"
#include "Version.h"

#include <QApplication>
#include <QIcon>

#include <cstdlib>
#include <new>

int main(int argc, char** argv)
try {
    // A file over the size limit, or a console that nobody reads, is then a
    // write error with a message, not a silent death.
    harrowdeck::IgnoreWriteSignals();
    QApplication app(argc, argv);
    // No organisation name: the per-user settings go to ~/.config/Harrowdeck.
    QApplication::setApplicationName(QString::fromUtf8(harrowdeck::version::kProgramName));
    QApplication::setApplicationVersion(QString::fromUtf8(harrowdeck::version::kShortVersion));
    QApplication::setDesktopFileName(QString::fromUtf8(harrowdeck::version::kAppId));
    QIcon icon;
    for (const char* size : {"48", "128", "256"}) {
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(QString::fromUtf8(harrowdeck::version::kAppId), size));
    }
    QApplication::setWindowIcon(icon);

    harrowdeck::TerminationSignals terminationSignals;
    if (!terminationSignals.IsActive()) {
        harrowdeck::ReportOnConsole(terminationSignals.Failure());
    }
    harrowdeck::ChooserVars chooserVars;
    harrowdeck::ModalRunner runner;
    harrowdeck::frmMain mainWindow(harrowdeck::LocateAppPaths(), chooserVars, runner);

    QObject::connect(&terminationSignals, &harrowdeck::TerminationSignals::terminationRequested, &mainWindow,
                     &harrowdeck::frmMain::RequestClose);
    // Closing the main window ends the program at once, also from inside a
    // modal window that is still open.
    QObject::connect(&mainWindow, &harrowdeck::frmMain::shutdownFinished, &app, [] { QCoreApplication::exit(0); });

    mainWindow.StartUp();
    if (mainWindow.HasShutDown()) {
        return 0; // closed while the about window was still open
    }
    return QApplication::exec();
} catch (const std::bad_alloc&) {
    // Short enough to need no memory of its own.
    harrowdeck::ReportOnConsole("out of memory");
    return EXIT_FAILURE;
}
