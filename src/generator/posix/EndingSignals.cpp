// SPDX-License-Identifier: GPL-3.0-or-later
#include "EndingSignals.h"

#include <signal.h>

#include <array>

namespace harrowdeck {

namespace {

constexpr std::array<EndingSignal, 10> kSignals = {{
    {SIGHUP, "SIGHUP"},   // the terminal or the session went away
    {SIGINT, "SIGINT"},   // Ctrl-C on a terminal
    {SIGQUIT, "SIGQUIT"}, // Ctrl-\ on a terminal
    {SIGTERM, "SIGTERM"}, // kill, service and session managers
    // Signals that the programs use for nothing, which end a process by
    // default: kill -USR1, timeout -s ALRM and the like.
    {SIGUSR1, "SIGUSR1"},
    {SIGUSR2, "SIGUSR2"},
    {SIGALRM, "SIGALRM"},
    {SIGVTALRM, "SIGVTALRM"},
    {SIGPROF, "SIGPROF"},
    {SIGXCPU, "SIGXCPU"}, // the CPU-time limit is reached
}};

[[nodiscard]] bool SetAction(int signalNumber, void (*handler)(int), int flags)
{
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    return ::sigaction(signalNumber, &action, nullptr) == 0;
}

} // namespace

constinit const std::span<const EndingSignal> kEndingSignals{kSignals};

const EndingSignal* CatchEndingSignals(void (*handler)(int))
{
    for (const EndingSignal& ending : kSignals) {
        if (!SetAction(ending.number, handler, SA_RESTART)) {
            return &ending;
        }
    }
    return nullptr;
}

void RestoreEndingSignals()
{
    for (const EndingSignal& ending : kSignals) {
        // Fails only for a signal that cannot be caught, which none of these is.
        (void)SetAction(ending.number, SIG_DFL, 0);
    }
}

void IgnoreWriteSignals()
{
    for (const int signalNumber : {SIGXFSZ, SIGPIPE}) {
        // Both can be ignored; setting an action fails only for those that cannot.
        (void)SetAction(signalNumber, SIG_IGN, 0);
    }
}

} // namespace harrowdeck
