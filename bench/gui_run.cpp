// SPDX-License-Identifier: GPL-3.0-or-later
// Times a generation run from the main window, as the user starts it:
//   gui-run SOURCE DEST [all]
// The window starts as the program starts it, "Make Harrowdeck" is clicked,
// the question is answered Yes and the completion box closed at once. It
// prints the seconds from the click to the run's end, for comparison with
// harrowdeck-make on the same export.
#include "AppPaths.h"
#include "ChooserVars.h"
#include "MainWindow.h"
#include "ModalRunner.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

// Yes to the question, OK to every message, and the about window closed.
class AnsweringRunner final : public harrowdeck::ModalRunner {
public:
    int Run(QDialog& dialog) override
    {
        if (const auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            return box->standardButtons().testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
        }
        return QDialog::Rejected;
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
    QElapsedTimer clock;
    clock.start();
    make->click();
    std::printf("%.3f\n", static_cast<double>(clock.nsecsElapsed()) / 1e9);
    return 0;
}
