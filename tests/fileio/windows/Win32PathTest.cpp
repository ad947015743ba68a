// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/Win32Path.h"
#include "windows/WideText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace harrowdeck::windows {
namespace {

std::wstring CurrentDirectory()
{
    std::wstring dir(::GetCurrentDirectoryW(0, nullptr), L'\0');
    dir.resize(::GetCurrentDirectoryW(static_cast<DWORD>(dir.size()), dir.data()));
    return dir;
}

TEST(Win32Path, MessagesShowBackslashes)
{
    const struct {
        const char* given;
        const char* shown;
    } cases[] = {
        {"C:/Users/Ann/M\xc3\xa5l/1.html", "C:\\Users\\Ann\\M\xc3\xa5l\\1.html"},
        {"C:\\Users\\Ann/dest//2.html", "C:\\Users\\Ann\\dest\\\\2.html"},
        {"//server/share/x", "\\\\server\\share\\x"},
        {"dest\\", "dest\\"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DisplayPath(c.given), c.shown);
    }
}

// Short paths go to Win32 as given, with backslashes; a path whose full
// form reaches the classic limit goes in its long form, whatever the
// separators and however it was given.
TEST(Win32Path, LongPathsGetTheirLongForm)
{
    const std::string part(100, 'a');
    const std::wstring widePart(100, L'a');
    const std::string longTail = part + "/" + part + "/" + part; // 302 units
    const std::wstring longWideTail = widePart + L"\\" + widePart + L"\\" + widePart;
    const std::wstring cwd = CurrentDirectory();
    const std::wstring cwdLong = cwd.starts_with(L"\\\\") ? L"\\\\?\\UNC\\" + cwd.substr(2) : L"\\\\?\\" + cwd;
    const struct {
        const char* what;
        std::string given;
        std::wstring expected;
    } cases[] = {
        {"short and relative", "dest/1.html", L"dest\\1.html"},
        {"short and absolute", "C:/dest/1.html", L"C:\\dest\\1.html"},
        {"short, with dots kept for Win32", "C:/a/../dest", L"C:\\a\\..\\dest"},
        {"long", "C:/" + longTail, L"\\\\?\\C:\\" + longWideTail},
        {"long, with dots resolved", "C:\\x\\..\\" + longTail + "\\.", L"\\\\?\\C:\\" + longWideTail},
        {"long, on the network", "\\\\server\\share/" + longTail, L"\\\\?\\UNC\\server\\share\\" + longWideTail},
        {"long and relative", longTail, cwdLong + L"\\" + longWideTail},
        {"long form already", "\\\\?\\C:\\" + longTail, L"\\\\?\\C:\\" + ToWide(longTail).value()},
        {"Swedish letters", "C:/M\xc3\xa5l", L"C:\\M\u00e5l"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Win32Path converted = ToWin32Path(c.given);
        EXPECT_EQ(converted.error, 0u);
        EXPECT_EQ(converted.path, c.expected);
    }
    const Win32Path bad = ToWin32Path("C:/a\xff");
    EXPECT_EQ(bad.error, static_cast<unsigned long>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(bad.path, L"");
}

// A file deeper than the classic limit is made, written and read through
// the long form, from a path given with either separator.
TEST(Win32Path, AFileBeyondTheClassicLimitCanBeWrittenAndRead)
{
    wchar_t temp[MAX_PATH + 1];
    ASSERT_NE(::GetTempPathW(MAX_PATH + 1, temp), 0u);
    std::string dir = ToUtf8(temp) + "harrowdeck-long-" + std::to_string(::GetCurrentProcessId());
    std::vector<std::string> made;
    for (int level = 0; level <= 6; ++level) {
        if (level > 0) {
            dir += "/" + std::string(60, char('a' + level)) + "\xc3\xa5";
        }
        const Win32Path path = ToWin32Path(dir);
        ASSERT_EQ(path.error, 0u);
        ASSERT_TRUE(::CreateDirectoryW(path.path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS)
            << dir << ": " << ::GetLastError();
        made.push_back(dir);
    }
    ASSERT_GT(dir.size(), 300u);
    const std::string file = dir + "\\1.html";
    const std::string bytes = "<HTML>\r\n";

    const Win32Path forWrite = ToWin32Path(file);
    HANDLE out = ::CreateFileW(forWrite.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE) << ::GetLastError();
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ::CloseHandle(out);

    std::string slashed = file;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    const Win32Path forRead = ToWin32Path(slashed);
    HANDLE in = ::CreateFileW(forRead.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(in, INVALID_HANDLE_VALUE) << ::GetLastError();
    char buffer[64] = {};
    DWORD read = 0;
    EXPECT_TRUE(::ReadFile(in, buffer, sizeof buffer, &read, nullptr));
    ::CloseHandle(in);
    EXPECT_EQ(std::string(buffer, read), bytes);

    EXPECT_TRUE(::DeleteFileW(forRead.path.c_str()));
    for (auto level = made.rbegin(); level != made.rend(); ++level) {
        EXPECT_TRUE(::RemoveDirectoryW(ToWin32Path(*level).path.c_str())) << *level;
    }
}

} // namespace
} // namespace harrowdeck::windows
