// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <windows.h>

namespace harrowdeck::windows {

// The console control handler that CatchEndingSignals installs, called by
// Windows on a thread of its own. It passes an ending event on to the
// program's handler and answers it: at once for Ctrl-C and Ctrl-Break,
// which then end nothing by themselves; for the console being closed, a
// logoff or a shutdown, never, as Windows ends the process on the answer:
// the program ends itself once its run has cleaned up. Returns FALSE for an
// event that is not an ending one, or while no handler is installed, so
// that the next handler (at last Windows' own) sees it. Declared here for
// the tests, which call it as Windows would.
BOOL WINAPI AnswerConsoleControl(DWORD event);

} // namespace harrowdeck::windows
