// SPDX-License-Identifier: GPL-3.0-or-later
// harrowdeck.exe: the Harrowdeck window on Windows.
#include "ChooserVars.h"
#include "ConsoleReport.h"
#include "MainFrame.h"
#include "ModalLoop.h"
#include "ProgramPaths.h"

#include <commctrl.h>
#include <windows.h>

#include <cstdlib>
#include <new>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
try {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    harrowdeck::ChooserVars chooserVars;
    harrowdeck::win32::frmMain mainWindow(harrowdeck::win32::LocateAppPaths(), chooserVars);
    mainWindow.StartUp();
    if (mainWindow.Logic().HasShutDown()) {
        return 0; // closed while the about window was still open
    }
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!harrowdeck::win32::WindowKey(harrowdeck::win32::KeyWindow(), message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return 0;
} catch (const std::bad_alloc&) {
    harrowdeck::ReportOnConsole("out of memory");
    return EXIT_FAILURE;
}
