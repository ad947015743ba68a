// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/ConsoleStream.h"

#include "windows/WideText.h"

#include <windows.h>

#include <algorithm>
#include <iostream>
#include <string_view>

namespace harrowdeck::windows {

ConsoleStreamBuf::ConsoleStreamBuf(void* console) : console_(console)
{
    wide_.reserve(buffer_.size());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

ConsoleStreamBuf::~ConsoleStreamBuf()
{
    (void)WriteOut();
    // A character that never got its last bytes is shown as U+FFFD.
    const std::string_view rest(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    if (!rest.empty()) {
        wide_.clear();
        AppendWideForDisplay(rest, wide_);
        DWORD written = 0;
        (void)::WriteConsoleW(console_, wide_.data(), static_cast<DWORD>(wide_.size()), &written, nullptr);
    }
}

ConsoleStreamBuf::int_type ConsoleStreamBuf::overflow(int_type c)
{
    if (!WriteOut()) {
        return traits_type::eof();
    }
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return traits_type::not_eof(c);
    }
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

int ConsoleStreamBuf::sync()
{
    return WriteOut() ? 0 : -1;
}

bool ConsoleStreamBuf::WriteOut()
{
    const std::string_view pending(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    const std::size_t complete = CompleteUtf8Length(pending);
    wide_.clear();
    AppendWideForDisplay(pending.substr(0, complete), wide_);
    for (std::size_t done = 0; done < wide_.size();) {
        DWORD written = 0;
        if (!::WriteConsoleW(console_, wide_.data() + done, static_cast<DWORD>(wide_.size() - done), &written,
                             nullptr) ||
            written == 0) {
            return false;
        }
        done += written;
    }
    // The start of a character whose other bytes are still to come.
    const std::size_t rest = pending.size() - complete;
    std::copy(pending.begin() + static_cast<std::ptrdiff_t>(complete), pending.end(), buffer_.begin());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    pbump(static_cast<int>(rest));
    return true;
}

bool IsConsole(void* handle) noexcept
{
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

ConsoleStreams::ConsoleStreams() : out_(Attach(std::cout, STD_OUTPUT_HANDLE)), err_(Attach(std::cerr, STD_ERROR_HANDLE))
{
}

ConsoleStreams::~ConsoleStreams()
{
    Detach(err_);
    Detach(out_);
}

ConsoleStreams::Attached ConsoleStreams::Attach(std::ostream& stream, unsigned long standardHandle)
{
    Attached attached;
    HANDLE handle = ::GetStdHandle(standardHandle);
    if (!IsConsole(handle)) {
        return attached;
    }
    stream.flush();
    attached.stream = &stream;
    attached.console = std::make_unique<ConsoleStreamBuf>(handle);
    attached.previous = stream.rdbuf(attached.console.get());
    return attached;
}

void ConsoleStreams::Detach(Attached& attached)
{
    if (attached.stream == nullptr) {
        return;
    }
    attached.stream->flush();
    attached.stream->rdbuf(attached.previous);
    attached.console.reset();
}

} // namespace harrowdeck::windows
