// SPDX-License-Identifier: GPL-3.0-or-later
#include "Interruption.h"

#include <windows.h>

namespace harrowdeck {

void EndBySignal(const EndingSignal& /*ending*/)
{
    // Every console control event ends a process with this code when the
    // process does not handle it, so it is the one that says "ended on
    // request" to a script.
    ::ExitProcess(STATUS_CONTROL_C_EXIT);
}

} // namespace harrowdeck
