// SPDX-License-Identifier: GPL-3.0-or-later
#include "Interruption.h"

#include <atomic>
#include <cstddef>

namespace harrowdeck {

namespace {

// The signal's place in kEndingSignals, plus one; 0 while none came. An
// atomic that needs no lock may be set in a signal handler, and on Windows
// the handler runs on another thread.
std::atomic<std::size_t> g_ending{0};
static_assert(std::atomic<std::size_t>::is_always_lock_free);

extern "C" void Remember(int signalNumber)
{
    if (const EndingSignal* ending = FindEndingSignal(signalNumber)) {
        g_ending.store(static_cast<std::size_t>(ending - kEndingSignals.data()) + 1);
    }
}

} // namespace

void CatchInterruptions()
{
    // Fails only for a signal that cannot be caught, which none of these is.
    (void)CatchEndingSignals(Remember);
}

const EndingSignal* InterruptingSignal()
{
    const std::size_t place = g_ending.load();
    return place == 0 ? nullptr : &kEndingSignals[place - 1];
}

} // namespace harrowdeck
