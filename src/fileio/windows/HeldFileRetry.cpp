// SPDX-License-Identifier: GPL-3.0-or-later
#include "HeldFileRetry.h"

#include <windows.h>

namespace harrowdeck::windows {

bool IsBriefHold(unsigned long error) noexcept
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

void SleepFor(std::chrono::milliseconds wait) noexcept
{
    ::Sleep(static_cast<DWORD>(wait.count()));
}

} // namespace harrowdeck::windows
