// SPDX-License-Identifier: GPL-3.0-or-later
#include "Interruption.h"

#include <signal.h>
#include <unistd.h>

#include <csignal>

namespace harrowdeck {

namespace {

volatile std::sig_atomic_t g_signal = 0;

extern "C" void Remember(int signalNumber)
{
    g_signal = signalNumber;
}

constexpr int kInterruptions[] = {SIGINT, SIGTERM, SIGHUP};

} // namespace

void CatchInterruptions()
{
    struct sigaction action {};
    action.sa_handler = Remember;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : kInterruptions) {
        // Fails only for a signal that cannot be caught, which none of these is.
        (void)::sigaction(signalNumber, &action, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);
}

int InterruptingSignal()
{
    return g_signal;
}

void EndBySignal(int signalNumber)
{
    std::signal(signalNumber, SIG_DFL);
    // Returns only when the signal is blocked; the exit below covers that.
    (void)::raise(signalNumber);
    // Only reached when the signal is blocked; the status still tells.
    ::_exit(128 + signalNumber);
}

} // namespace harrowdeck
