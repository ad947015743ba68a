// SPDX-License-Identifier: GPL-3.0-or-later
#include "Interruption.h"

#include "EndingSignals.h"

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

namespace harrowdeck {

namespace {

volatile std::sig_atomic_t g_signal = 0;

extern "C" void Remember(int signalNumber)
{
    g_signal = signalNumber;
}

} // namespace

void CatchInterruptions()
{
    // Fails only for a signal that cannot be caught, which none of these is.
    (void)CatchEndingSignals(Remember);
}

int InterruptingSignal()
{
    return g_signal;
}

void EndBySignal(int signalNumber)
{
    // SIGQUIT and SIGXCPU would dump core by default; the run has cleaned up
    // after itself, and an image of that tells nothing. Failing, the limit
    // stays as the user set it.
    const rlimit noCore{0, 0};
    (void)::setrlimit(RLIMIT_CORE, &noCore);
    std::signal(signalNumber, SIG_DFL);
    // Returns only when the signal is blocked; the exit below covers that.
    (void)::raise(signalNumber);
    // Only reached when the signal is blocked; the status still tells.
    ::_exit(128 + signalNumber);
}

} // namespace harrowdeck
