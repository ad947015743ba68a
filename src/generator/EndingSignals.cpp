// SPDX-License-Identifier: GPL-3.0-or-later
#include "EndingSignals.h"

#include <signal.h>

namespace harrowdeck {

namespace {

[[nodiscard]] bool SetAction(int signalNumber, void (*handler)(int), int flags)
{
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    return ::sigaction(signalNumber, &action, nullptr) == 0;
}

} // namespace

const EndingSignal* CatchEndingSignals(void (*handler)(int))
{
    for (const EndingSignal& ending : kEndingSignals) {
        if (!SetAction(ending.number, handler, SA_RESTART)) {
            return &ending;
        }
    }
    return nullptr;
}

void RestoreEndingSignals()
{
    for (const EndingSignal& ending : kEndingSignals) {
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
