// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemError.h"

#include "WideText.h"

#include <windows.h>

#include <memory>
#include <string_view>

namespace harrowdeck::windows {

namespace {

struct LocalFreer {
    void operator()(wchar_t* text) const noexcept { ::LocalFree(text); }
};

} // namespace

std::string SystemErrorText(unsigned long error)
{
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalFreer> owned(text);
    std::wstring_view message(text, length);
    while (!message.empty() &&
           (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ' || message.back() == L'.')) {
        message.remove_suffix(1);
    }
    return message.empty() ? "Windows error " + std::to_string(error) : ToUtf8(message);
}

} // namespace harrowdeck::windows
