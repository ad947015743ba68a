// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace harrowdeck {

// SIGINT, SIGTERM and SIGHUP during a run only mark the run as interrupted,
// so that it stops at its next step and removes its temporary files; the
// program then ends as the signal would have ended it. A run already
// renaming its pages into place completes instead. SIGXFSZ is ignored,
// so that a file over the size limit is a write error with a message, not a
// silent death that leaves a temporary file.
void CatchInterruptions();

// The signal that interrupted the run, or 0.
[[nodiscard]] int InterruptingSignal();

// Ends the process the way the signal would have: exit status 128 + signal.
[[noreturn]] void EndBySignal(int signalNumber);

} // namespace harrowdeck
