// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <csignal>

namespace harrowdeck {

// A signal that someone sends to ask a process to end, and that a process
// can catch. Both programs treat every one of them alike: a run under way is
// abandoned first, so that the destination stays as it was, and only then
// does the program end. SIGKILL and SIGSTOP cannot be caught. The fault
// signals (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT) are not among these:
// they mean that the program itself broke, and a broken program has nothing
// sound left to clean up with, so they keep their default action.
struct EndingSignal {
    int number;
    const char* name;
};

inline constexpr std::array<EndingSignal, 10> kEndingSignals = {{
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

// Installs handler for every ending signal; a system call that a signal
// interrupts is restarted. Returns the first signal whose handler could not
// be installed, with errno telling why, or nullptr.
[[nodiscard]] const EndingSignal* CatchEndingSignals(void (*handler)(int));

// Gives every ending signal its default action back.
void RestoreEndingSignals();

// A write over the file-size limit (SIGXFSZ) or into a pipe that nobody
// reads any more (SIGPIPE) then fails with its reason, EFBIG or EPIPE, and
// is reported like any other write error, instead of ending the process
// without a word halfway through a file.
void IgnoreWriteSignals();

} // namespace harrowdeck
