// SPDX-License-Identifier: GPL-3.0-or-later
#include "EndingSignals.h"

#include "windows/ConsoleControl.h"

#include <array>
#include <atomic>

namespace harrowdeck {

namespace {

constexpr std::array<EndingSignal, 5> kEvents = {{
    {CTRL_C_EVENT, "CTRL_C_EVENT"},
    {CTRL_BREAK_EVENT, "CTRL_BREAK_EVENT"},
    {CTRL_CLOSE_EVENT, "CTRL_CLOSE_EVENT"}, // the console window is closed
    {CTRL_LOGOFF_EVENT, "CTRL_LOGOFF_EVENT"},
    {CTRL_SHUTDOWN_EVENT, "CTRL_SHUTDOWN_EVENT"},
}};

std::atomic<void (*)(int)> g_handler{nullptr};
std::atomic<bool> g_installed{false};

} // namespace

constinit const std::span<const EndingSignal> kEndingSignals{kEvents};

BOOL WINAPI windows::AnswerConsoleControl(DWORD event)
{
    const EndingSignal* ending = FindEndingSignal(static_cast<int>(event));
    void (*handler)(int) = g_handler.load();
    if (ending == nullptr || handler == nullptr) {
        return FALSE;
    }
    handler(ending->number);
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        return TRUE;
    }
    // Windows ends the process once this returns: the program ends itself
    // first, as soon as its run has cleaned up.
    for (;;) {
        ::Sleep(INFINITE);
    }
}

const EndingSignal* CatchEndingSignals(void (*handler)(int))
{
    g_handler.store(handler);
    if (!g_installed.exchange(true) && !::SetConsoleCtrlHandler(windows::AnswerConsoleControl, TRUE)) {
        g_installed.store(false);
        return &kEvents.front(); // one handler for all of them
    }
    return nullptr;
}

void RestoreEndingSignals()
{
    if (g_installed.exchange(false)) {
        // Fails only for a handler that was never installed.
        (void)::SetConsoleCtrlHandler(windows::AnswerConsoleControl, FALSE);
    }
    g_handler.store(nullptr);
}

void IgnoreWriteSignals()
{
    // Windows has no such signals: a write into a closed pipe or past a limit
    // fails with its error.
}

} // namespace harrowdeck
