// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

namespace harrowdeck::windows {

// A virus scanner, a search indexer or a backup program opens each new file
// as it appears, and may hold it for a moment without sharing it. A call on
// the file fails meanwhile with a sharing violation or access denied, though
// it would succeed a moment later. Such a call is tried again a few times,
// each wait a step longer than the last, before its failure counts: with
// the default, 25, 50, ..., 250 ms, about 1.4 s in all (as SQLite does on
// Windows).
struct HeldFileRetry {
    int retries = 10;
    std::chrono::milliseconds step{25};
};

// Whether a Win32 error is one that such a hold gives: a sharing or lock
// violation, or access denied (which is also what a rename over a file
// that another program holds without sharing delete gives).
[[nodiscard]] bool IsBriefHold(unsigned long error) noexcept;

// Sleeps for the wait; what RetryWhileHeld waits with unless told otherwise.
void SleepFor(std::chrono::milliseconds wait) noexcept;

// Calls attempt, which returns 0 on success or a Win32 error, until it
// succeeds, fails for another reason than a brief hold, or the retries are
// used up, waiting with wait before each retry. Returns attempt's last
// result. Allocates nothing of its own.
template <class Attempt, class Wait = void (*)(std::chrono::milliseconds) noexcept>
[[nodiscard]] unsigned long RetryWhileHeld(Attempt&& attempt, const HeldFileRetry& policy = {}, Wait&& wait = SleepFor)
{
    unsigned long error = attempt();
    for (int retry = 1; retry <= policy.retries && error != 0 && IsBriefHold(error); ++retry) {
        wait(policy.step * retry);
        error = attempt();
    }
    return error;
}

} // namespace harrowdeck::windows
