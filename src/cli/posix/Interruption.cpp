// SPDX-License-Identifier: GPL-3.0-or-later
#include "Interruption.h"

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

namespace harrowdeck {

void EndBySignal(const EndingSignal& ending)
{
    // SIGQUIT and SIGXCPU would dump core by default; the run has cleaned up
    // after itself, and an image of that tells nothing. Failing, the limit
    // stays as the user set it.
    const rlimit noCore{0, 0};
    (void)::setrlimit(RLIMIT_CORE, &noCore);
    std::signal(ending.number, SIG_DFL);
    // Returns only when the signal is blocked; the exit below covers that.
    (void)::raise(ending.number);
    // Only reached when the signal is blocked; the status still tells.
    ::_exit(128 + ending.number);
}

} // namespace harrowdeck
