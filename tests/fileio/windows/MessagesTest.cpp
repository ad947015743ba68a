// SPDX-License-Identifier: GPL-3.0-or-later
// What the Windows file layer's messages say after "Could not write FILE: ".
#include "windows/FileHolders.h"
#include "windows/SystemError.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace harrowdeck::windows {
namespace {

TEST(WindowsMessages, TheSystemsReasonReadsLikeStrerror)
{
    for (const unsigned long error : {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION,
                                      ERROR_DISK_FULL, ERROR_NO_UNICODE_TRANSLATION}) {
        const std::string text = SystemErrorText(error);
        SCOPED_TRACE(text);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
        EXPECT_NE(text.back(), '.');
        EXPECT_NE(text.back(), ' ');
    }
    EXPECT_EQ(SystemErrorText(0x0FFFFFFF), "Windows error 268435455");
}

TEST(WindowsMessages, HoldersAreNamedWhereWindowsCanTell)
{
    const struct {
        std::vector<FileHolder> holders;
        const char* said;
    } cases[] = {
        {{}, "another program has it open"},
        {{{"Notepad", 4711}}, "Notepad (process 4711) has it open"},
        {{{"Windows Defender", 1}, {"Windows Search", 2}},
         "Windows Defender (process 1) and Windows Search (process 2) have it open"},
        {{{"A", 1}, {"", 2}, {"Utforskaren", 3}},
         "A (process 1), a program (process 2) and Utforskaren (process 3) have it open"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescribeHolders(c.holders), c.said);
    }
}

// Asked about a file that this process holds, Windows names this process
// or, where the Restart Manager cannot tell (wine's), nobody; a file that
// nobody has open has no holder.
TEST(WindowsMessages, TheRestartManagerIsAskedWhoHoldsAFile)
{
    wchar_t temp[MAX_PATH + 1];
    ASSERT_NE(::GetTempPathW(MAX_PATH + 1, temp), 0u);
    const std::wstring path = std::wstring(temp) + L"harrowdeck-holders-" + std::to_wstring(::GetCurrentProcessId());
    HANDLE held =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << ::GetLastError();
    for (const FileHolder& holder : ProgramsHolding(path)) {
        EXPECT_EQ(holder.processId, ::GetCurrentProcessId()) << holder.name;
    }
    ::CloseHandle(held);
    EXPECT_TRUE(ProgramsHolding(path).empty());
}

} // namespace
} // namespace harrowdeck::windows
