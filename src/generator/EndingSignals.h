// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>

namespace harrowdeck {

// A request from outside that the process end, and that a process can catch:
// a signal on POSIX systems, a console control event on Windows. Both
// programs treat every one of them alike: a run under way is abandoned
// first, so that the destination stays as it was, and only then does the
// program end.
//
// POSIX: SIGHUP, SIGINT, SIGQUIT, SIGTERM and the signals that the programs
// use for nothing but that end a process by default. SIGKILL and SIGSTOP
// cannot be caught. The fault signals (SIGSEGV, SIGBUS, SIGILL, SIGFPE,
// SIGABRT) are not among these: they mean that the program itself broke,
// and a broken program has nothing sound left to clean up with, so they
// keep their default action.
//
// Windows: Ctrl-C, Ctrl-Break, the console window being closed, and the
// user logging off or the system shutting down. For the last three,
// Windows ends the process as soon as the program has answered the event,
// so the answer waits, after the handler below has run, for the program to
// end itself once its run has cleaned up (Windows allows a few seconds).
struct EndingSignal {
    int number; // the signal, or the console control event
    const char* name;
};

// Every ending signal of this platform.
extern const std::span<const EndingSignal> kEndingSignals;

// The entry of kEndingSignals with this number, or nullptr. Safe in a
// signal handler.
[[nodiscard]] const EndingSignal* FindEndingSignal(int number) noexcept;

// Installs handler for every ending signal; a system call that a signal
// interrupts is restarted. The handler runs in a signal handler on POSIX
// and on a thread of its own on Windows, so it may only set a flag. Returns
// the first signal whose handler could not be installed, with errno (on
// Windows GetLastError) telling why, or nullptr.
[[nodiscard]] const EndingSignal* CatchEndingSignals(void (*handler)(int));

// Gives every ending signal its default action back.
void RestoreEndingSignals();

// A write over the file-size limit (SIGXFSZ) or into a pipe that nobody
// reads any more (SIGPIPE) then fails with its reason, EFBIG or EPIPE, and
// is reported like any other write error, instead of ending the process
// without a word halfway through a file. Windows has neither signal: there
// such a write fails with its error anyway.
void IgnoreWriteSignals();

} // namespace harrowdeck
