// SPDX-License-Identifier: GPL-3.0-or-later
// Times a generation run from the main window, as the user starts it:
//   gui-run SOURCE DEST [all]
// The window starts as the program starts it, "Make Harrowdeck" is clicked
// and the question answered Yes. It prints the seconds from the answer to
// the completion box on the screen, for comparison with harrowdeck-make on
// the same export.
#include "AppPaths.h"
#include "ChooserVars.h"
#include "MainWindow.h"
#include "ModalRunner.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

// Lets a shown window get mapped and painted, as the user sees it.
void WaitUntilExposed(QWidget& window)
{
    const QWindow* handle = window.windowHandle();
    while (handle != nullptr && !handle->isExposed()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    QCoreApplication::processEvents();
}

// Yes to the question, which starts the clock; every other box is shown
// until it is on the screen, which stops it, and then closed. The about
// window is closed at once.
class AnsweringRunner final : public harrowdeck::ModalRunner {
public:
    QElapsedTimer clock;
    double seconds = 0;

    int Run(QDialog& dialog) override
    {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        if (box == nullptr) {
            return QDialog::Rejected;
        }
        if (box->standardButtons().testFlag(QMessageBox::Yes)) {
            clock.start();
            return QMessageBox::Yes;
        }
        box->show();
        WaitUntilExposed(*box);
        seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        box->hide();
        return QMessageBox::Ok;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: gui-run SOURCE DEST [all]\n");
        return 2;
    }
    QTemporaryDir home;
    const std::string appDir = home.path().toStdString() + "/";
    const harrowdeck::AppPaths paths = harrowdeck::MakeAppPaths(appDir, appDir, {.writable = true});
    const bool everyFolder = argc > 3 && std::string(argv[3]) == "all";
    std::ofstream(paths.paramFile, std::ios::binary) << "PATHS\r\n"
                                                     << argv[2] << "\r\n"
                                                     << argv[1] << "\r\n\r\n\r\nFOLDERS\r\n"
                                                     << (everyFolder ? " 2 " : " 1 ") << "\r\n";

    harrowdeck::ChooserVars chooserVars;
    AnsweringRunner runner;
    harrowdeck::frmMain window(paths, chooserVars, runner);
    window.StartUp();
    auto* make = window.findChild<QPushButton*>(QStringLiteral("Command1"));
    make->click();
    std::printf("%.3f\n", runner.seconds);
    return 0;
}
