// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace harrowdeck::windows {

// Paths on Windows. Inside the programs a path is UTF-8, as the user gave
// it, with '\' or '/' between its parts; it becomes UTF-16 only for the
// Win32 call itself.

// Whether c separates two parts of a Windows path: both '\' and '/' do.
[[nodiscard]] constexpr bool IsPathSeparator(char c) noexcept
{
    return c == '\\' || c == '/';
}

// A path as a message shows it: with '\' between its parts, as Windows
// users write paths, whichever separator it was given with.
[[nodiscard]] std::string DisplayPath(std::string_view utf8Path);

// Win32's classic limit on a path's length, in UTF-16 units: MAX_PATH less
// the twelve units that CreateDirectoryW keeps for a short name. A path
// whose full form reaches it goes to Win32 in its long form.
inline constexpr std::size_t kLongPathFrom = 248;

// A path in the form that Win32's wide calls take, or the system error
// (a Win32 error code) that stopped its conversion.
struct Win32Path {
    std::wstring path;
    unsigned long error = 0;
};

// The path for a Win32 call: '/' turned into '\' and, when its full form is
// too long for the classic limit, that full form behind the prefix that
// lifts the limit: "\\?\C:\..." or, for a network path, "\\?\UNC\server\...".
// The full form is what Win32 would make of the path itself (the current
// directory before a relative path, "." and ".." resolved), so the long form
// names the same file. A path that already has the prefix is taken as it
// is. Fails with ERROR_NO_UNICODE_TRANSLATION for a path that is not UTF-8.
// Allocates: a caller that must not allocate converts its paths beforehand.
[[nodiscard]] Win32Path ToWin32Path(std::string_view utf8Path);

// The same path always in its full long form, whatever its length: for a
// directory that names of any length are joined to.
[[nodiscard]] Win32Path ToLongWin32Path(std::string_view utf8Path);

} // namespace harrowdeck::windows
