// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace harrowdeck {

// Every ending signal (EndingSignals.h) during a run only marks the run as
// interrupted, so that it stops at its next step and removes its temporary
// files; the program then ends as the signal would have ended it. A run
// already renaming its pages into place completes instead.
void CatchInterruptions();

// The signal that interrupted the run, or 0.
[[nodiscard]] int InterruptingSignal();

// Ends the process the way the signal would have: exit status 128 + signal,
// without a core file, as the run was ended on request and not broken.
[[noreturn]] void EndBySignal(int signalNumber);

} // namespace harrowdeck
