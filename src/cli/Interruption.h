// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "EndingSignals.h"

namespace harrowdeck {

// Every ending signal (EndingSignals.h) during a run only marks the run as
// interrupted, so that it stops at its next step and removes its temporary
// files; the program then ends as the signal would have ended it. A run
// already renaming its pages into place completes instead.
void CatchInterruptions();

// The ending signal that interrupted the run (the last one, when several
// came), or nullptr.
[[nodiscard]] const EndingSignal* InterruptingSignal();

// Ends the process the way the signal would have, as the run was ended on
// request and not broken: on POSIX by the signal itself (exit status
// 128 + its number), without a core file; on Windows with the exit code of
// a console program that Ctrl-C ends, STATUS_CONTROL_C_EXIT (0xC000013A).
[[noreturn]] void EndBySignal(const EndingSignal& ending);

} // namespace harrowdeck
