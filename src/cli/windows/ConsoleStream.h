// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <iosfwd>
#include <memory>
#include <streambuf>
#include <string>

namespace harrowdeck::windows {

// A stream buffer that writes UTF-8 text to a Windows console as UTF-16,
// through WriteConsoleW, so that it reads right in cmd and PowerShell
// whatever the console's code page, the Swedish letters of a path included.
// The bytes of a character split between two writes wait for the rest.
class ConsoleStreamBuf final : public std::streambuf {
public:
    // console: a console output handle (a HANDLE).
    explicit ConsoleStreamBuf(void* console);
    ~ConsoleStreamBuf() override;

    ConsoleStreamBuf(const ConsoleStreamBuf&) = delete;
    ConsoleStreamBuf& operator=(const ConsoleStreamBuf&) = delete;

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    // Writes the complete characters of the buffer; false when the console
    // refused them.
    bool WriteOut();

    void* console_;
    std::array<char, 1024> buffer_{};
    std::wstring wide_; // the characters being written, reserved once
};

// Whether handle (a HANDLE) is a console, not a file or a pipe.
[[nodiscard]] bool IsConsole(void* handle) noexcept;

// While it lives, std::cout and std::cerr write through ConsoleStreamBuf,
// each that is attached to a console. One that is redirected to a file or a
// pipe keeps writing the UTF-8 bytes themselves, as a program reading them
// expects.
class ConsoleStreams {
public:
    ConsoleStreams();
    ~ConsoleStreams();

    ConsoleStreams(const ConsoleStreams&) = delete;
    ConsoleStreams& operator=(const ConsoleStreams&) = delete;

private:
    struct Attached {
        std::ostream* stream = nullptr;
        std::streambuf* previous = nullptr;
        std::unique_ptr<ConsoleStreamBuf> console;
    };
    static Attached Attach(std::ostream& stream, unsigned long standardHandle);
    static void Detach(Attached& attached);

    Attached out_;
    Attached err_;
};

} // namespace harrowdeck::windows
