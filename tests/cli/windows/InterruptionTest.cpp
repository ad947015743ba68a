// SPDX-License-Identifier: GPL-3.0-or-later
// The console control events end a run as the ending signals do on POSIX
// systems. Windows calls the handler on a thread of its own; so do these
// tests, each event in a process of its own.
#include "Interruption.h"
#include "windows/ConsoleControl.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <thread>

namespace harrowdeck {
namespace {

// How a child process ended: by these codes, or by EndBySignal.
constexpr int kAnsweredTrue = 20;
constexpr int kAnsweredFalse = 21;
constexpr int kNothingCame = 30;
constexpr int kAnotherEvent = 31;
constexpr int kEndedOnRequest = static_cast<int>(STATUS_CONTROL_C_EXIT);

// Sends the event as Windows would, gives a run the time to clean up, and
// ends as the program does once it has.
[[noreturn]] void SendAndEnd(DWORD event, bool catching)
{
    if (catching) {
        CatchInterruptions();
    }
    std::atomic<int> answer{-1};
    std::thread([event, &answer] { answer = windows::AnswerConsoleControl(event); }).detach();
    for (int waited = 0; waited < 2000 && InterruptingSignal() == nullptr && answer == -1; ++waited) {
        ::Sleep(1);
    }
    ::Sleep(200); // the run's cleanup; Windows would not wait for it once answered
    const EndingSignal* ending = InterruptingSignal();
    if (ending != nullptr && ending->number != static_cast<int>(event)) {
        std::_Exit(kAnotherEvent);
    }
    if (answer != -1) {
        std::_Exit(answer == TRUE ? kAnsweredTrue : kAnsweredFalse);
    }
    if (ending == nullptr) {
        std::_Exit(kNothingCame);
    }
    EndBySignal(*ending);
}

TEST(Interruption, EachConsoleEventEndsTheRunAsItShould)
{
    const struct {
        const char* what;
        DWORD event;
        bool catching;
        int exitCode;
    } cases[] = {
        // Answered at once: nothing ends but the run, at its next step.
        {"Ctrl-C", CTRL_C_EVENT, true, kAnsweredTrue},
        {"Ctrl-Break", CTRL_BREAK_EVENT, true, kAnsweredTrue},
        // Windows would end the process on the answer: it never comes, the
        // program ends itself once it has cleaned up.
        {"the console closed", CTRL_CLOSE_EVENT, true, kEndedOnRequest},
        {"logoff", CTRL_LOGOFF_EVENT, true, kEndedOnRequest},
        {"shutdown", CTRL_SHUTDOWN_EVENT, true, kEndedOnRequest},
        // Passed on to the next handler, at last Windows' own.
        {"an event that ends nothing", 3, true, kAnsweredFalse},
        {"Ctrl-C while not caught", CTRL_C_EVENT, false, kAnsweredFalse},
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EXIT(SendAndEnd(c.event, c.catching), testing::ExitedWithCode(c.exitCode), "");
    }
}

std::atomic<int> g_passedOn{0};

BOOL WINAPI NextHandler(DWORD event)
{
    g_passedOn += event == CTRL_C_EVENT ? 1 : 0;
    return TRUE;
}

template <class Condition>
bool WaitFor(Condition condition)
{
    for (int waited = 0; waited < 2000 && !condition(); ++waited) {
        ::Sleep(1);
    }
    return condition();
}

// A real Ctrl-C on the console reaches the handler while it is installed,
// and the one installed before it once it is removed again.
TEST(Interruption, ARealCtrlCIsCaughtUntilTheHandlerIsRemoved)
{
    ASSERT_TRUE(::SetConsoleCtrlHandler(NextHandler, TRUE));
    CatchInterruptions();
    ASSERT_TRUE(::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) << ::GetLastError();
    ASSERT_TRUE(WaitFor([] { return InterruptingSignal() != nullptr; }));
    EXPECT_EQ(InterruptingSignal()->number, CTRL_C_EVENT);
    EXPECT_STREQ(InterruptingSignal()->name, "CTRL_C_EVENT");
    EXPECT_EQ(g_passedOn, 0);

    RestoreEndingSignals();
    ASSERT_TRUE(::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) << ::GetLastError();
    EXPECT_TRUE(WaitFor([] { return g_passedOn == 1; }));
    EXPECT_TRUE(::SetConsoleCtrlHandler(NextHandler, FALSE));
}

} // namespace
} // namespace harrowdeck
