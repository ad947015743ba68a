// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/HeldFileRetry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace harrowdeck::windows {
namespace {

using std::chrono::milliseconds;

// What the calls give in turn; retried or not, and waited for how long.
TEST(HeldFileRetry, OnlyABriefHoldIsWaitedOut)
{
    const struct {
        const char* what;
        std::vector<unsigned long> results; // of the calls, in turn
        std::size_t calls;
        std::vector<milliseconds> waits;
    } cases[] = {
        {"done at once", {0}, 1, {}},
        {"a sharing violation that clears",
         {ERROR_SHARING_VIOLATION, ERROR_SHARING_VIOLATION, 0},
         3,
         {milliseconds(25), milliseconds(50)}},
        {"access denied that clears", {ERROR_ACCESS_DENIED, 0}, 2, {milliseconds(25)}},
        {"a lock violation that clears", {ERROR_LOCK_VIOLATION, 0}, 2, {milliseconds(25)}},
        {"another failure at once", {ERROR_DISK_FULL}, 1, {}},
        {"another failure after a hold", {ERROR_SHARING_VIOLATION, ERROR_PATH_NOT_FOUND}, 2, {milliseconds(25)}},
        {"a hold that lasts",
         std::vector<unsigned long>(11, ERROR_SHARING_VIOLATION),
         11,
         {milliseconds(25), milliseconds(50), milliseconds(75), milliseconds(100), milliseconds(125), milliseconds(150),
          milliseconds(175), milliseconds(200), milliseconds(225), milliseconds(250)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t calls = 0;
        std::vector<milliseconds> waits;
        const unsigned long result = RetryWhileHeld([&] { return c.results.at(calls++); }, HeldFileRetry{},
                                                    [&](milliseconds wait) { waits.push_back(wait); });
        EXPECT_EQ(result, c.results.back());
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(waits, c.waits);
    }
}

// A real hold: another handle has the file open without sharing it. Held
// for good, the call fails as a sharing violation once the retries are
// used up; let go after 50 ms, it succeeds on a retry.
TEST(HeldFileRetry, AFileHeldWithoutSharingIsOpenedOnceLetGo)
{
    wchar_t temp[MAX_PATH + 1];
    ASSERT_NE(::GetTempPathW(MAX_PATH + 1, temp), 0u);
    const std::wstring path = std::wstring(temp) + L"harrowdeck-held-" + std::to_wstring(::GetCurrentProcessId());
    HANDLE holder = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE) << ::GetLastError();

    int calls = 0;
    HANDLE opened = INVALID_HANDLE_VALUE;
    const auto open = [&]() -> unsigned long {
        ++calls;
        opened = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        return opened == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
    };
    EXPECT_EQ(RetryWhileHeld(open, HeldFileRetry{3, milliseconds(1)}),
              static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(calls, 4);

    calls = 0;
    std::thread release([holder] {
        std::this_thread::sleep_for(milliseconds(50));
        ::CloseHandle(holder);
    });
    EXPECT_EQ(RetryWhileHeld(open), 0u);
    release.join();
    EXPECT_GT(calls, 1) << "opened before the holder let go";
    ::CloseHandle(opened);
    EXPECT_TRUE(::DeleteFileW(path.c_str()));
}

} // namespace
} // namespace harrowdeck::windows
