// SPDX-License-Identifier: GPL-3.0-or-later
// Text written to a real console (these tests run in one) and read back
// from its screen buffer: what a user sees in cmd or PowerShell.
#include "windows/ConsoleStream.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <iostream>
#include <ostream>
#include <string>
#include <vector>

namespace harrowdeck::windows {
namespace {

class ConsoleStream : public testing::Test {
protected:
    void SetUp() override
    {
        console_ = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
        ASSERT_TRUE(IsConsole(console_)) << "no console: run the tests through tools/wine-run.sh --console";
    }
    void TearDown() override { ::CloseHandle(console_); }

    // Writes the pieces through a ConsoleStreamBuf onto a blank screen, and
    // reads back what the screen shows from its top left corner.
    std::wstring Shown(const std::vector<std::string>& pieces, bool flushEach)
    {
        CONSOLE_SCREEN_BUFFER_INFO info{};
        EXPECT_TRUE(::GetConsoleScreenBufferInfo(console_, &info));
        const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
        DWORD done = 0;
        EXPECT_TRUE(::FillConsoleOutputCharacterW(console_, L' ', cells, COORD{0, 0}, &done));
        EXPECT_TRUE(::SetConsoleCursorPosition(console_, COORD{0, 0}));
        {
            ConsoleStreamBuf buffer(console_);
            std::ostream out(&buffer);
            for (const std::string& piece : pieces) {
                out << piece;
                if (flushEach) {
                    out.flush();
                }
            }
            EXPECT_TRUE(out.good());
        }
        std::wstring screen(cells, L'\0');
        EXPECT_TRUE(::ReadConsoleOutputCharacterW(console_, screen.data(), cells, COORD{0, 0}, &done));
        screen.resize(done);
        return screen.substr(0, screen.find_last_not_of(L' ') + 1);
    }

    HANDLE console_ = INVALID_HANDLE_VALUE;
};

std::vector<std::string> Bytes(const std::string& text)
{
    std::vector<std::string> bytes;
    for (const char c : text) {
        bytes.emplace_back(1, c);
    }
    return bytes;
}

TEST_F(ConsoleStream, TextReadsRightHoweverItIsCutUp)
{
    const std::string path = "Could not write C:\\Bokm\xc3\xa4rken\\M\xc3\xa5l\\\xc3\x96.html \xe2\x82\xac";
    const std::wstring shown = L"Could not write C:\\Bokm\u00e4rken\\M\u00e5l\\\u00d6.html \u20ac";
    // A character across the end of the stream's buffer (1024 bytes).
    const std::string across = std::string(1023, 'x') + "\xc3\xa5y";
    const struct {
        const char* what;
        std::vector<std::string> pieces;
        bool flushEach;
        std::wstring expected;
    } cases[] = {
        {"in one piece", {path}, false, shown},
        {"a byte at a time, each flushed", Bytes(path), true, shown},
        {"a character across the buffer's end", {across}, false, std::wstring(1023, L'x') + L"\u00e5y"},
        {"a byte that is not UTF-8", {"a\xffz"}, false, L"a\uFFFDz"},
        {"a character that never ends", {"ok\xc3"}, true, L"ok\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Shown(c.pieces, c.flushEach), c.expected);
    }
}

// std::cout and std::cerr go through the console's wide calls while they
// write to one, and keep the bytes where they are redirected.
TEST_F(ConsoleStream, OnlyStreamsOnAConsoleAreAttached)
{
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    const HANDLE savedOut = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE savedErr = ::GetStdHandle(STD_ERROR_HANDLE);
    const struct {
        const char* what;
        HANDLE out;
        HANDLE err;
    } cases[] = {
        {"both on the console", console_, console_},
        {"standard output to a pipe", writeEnd, console_},
        {"standard error to a pipe", console_, writeEnd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(::SetStdHandle(STD_OUTPUT_HANDLE, c.out));
        ASSERT_TRUE(::SetStdHandle(STD_ERROR_HANDLE, c.err));
        std::streambuf* const out = std::cout.rdbuf();
        std::streambuf* const err = std::cerr.rdbuf();
        {
            const ConsoleStreams streams;
            EXPECT_EQ(std::cout.rdbuf() != out, c.out == console_);
            EXPECT_EQ(std::cerr.rdbuf() != err, c.err == console_);
        }
        EXPECT_EQ(std::cout.rdbuf(), out);
        EXPECT_EQ(std::cerr.rdbuf(), err);
    }
    ::SetStdHandle(STD_OUTPUT_HANDLE, savedOut);
    ::SetStdHandle(STD_ERROR_HANDLE, savedErr);
    ::CloseHandle(readEnd);
    ::CloseHandle(writeEnd);
}

} // namespace
} // namespace harrowdeck::windows
