// SPDX-License-Identifier: GPL-3.0-or-later
#include "Win32Path.h"

#include "WideText.h"

#include <windows.h>

#include <algorithm>

namespace harrowdeck::windows {

namespace {

constexpr std::wstring_view kVerbatimPrefix = L"\\\\?\\";
constexpr std::wstring_view kVerbatimUncPrefix = L"\\\\?\\UNC\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";

// The full form of path, as Win32 makes it, or the system error.
Win32Path FullPath(const std::wstring& path)
{
    Win32Path full;
    DWORD size = MAX_PATH;
    for (;;) {
        full.path.resize(size);
        const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.path.data(), nullptr);
        if (length == 0) {
            full.error = ::GetLastError();
            full.path.clear();
            return full;
        }
        if (length < size) {
            full.path.resize(length);
            return full;
        }
        size = length; // too small: length is the size needed, with the null
    }
}

// The long form of a full path: a network path ("\\server\share\...")
// behind "\\?\UNC\", any other behind "\\?\". A device path ("\\.\...")
// has no long form and stays as it is.
std::wstring LongForm(const std::wstring& full)
{
    if (full.starts_with(kDevicePrefix) || full.starts_with(kVerbatimPrefix)) {
        return full;
    }
    if (full.starts_with(L"\\\\")) {
        return std::wstring(kVerbatimUncPrefix) + full.substr(2);
    }
    return std::wstring(kVerbatimPrefix) + full;
}

} // namespace

std::string DisplayPath(std::string_view utf8Path)
{
    std::string shown(utf8Path);
    std::replace(shown.begin(), shown.end(), '/', '\\');
    return shown;
}

Win32Path ToLongWin32Path(std::string_view utf8Path)
{
    Win32Path result = ToWin32Path(utf8Path.empty() ? std::string_view(".") : utf8Path);
    if (result.error != 0 || result.path.starts_with(kVerbatimPrefix)) {
        return result;
    }
    Win32Path full = FullPath(result.path);
    if (full.error == 0) {
        full.path = LongForm(full.path);
    }
    return full;
}

Win32Path ToWin32Path(std::string_view utf8Path)
{
    Win32Path result;
    if (!AppendWide(utf8Path, result.path)) {
        result.path.clear();
        result.error = ERROR_NO_UNICODE_TRANSLATION;
        return result;
    }
    // Win32 itself takes both separators, except behind the prefix, where a
    // path is taken exactly as written.
    if (result.path.starts_with(kVerbatimPrefix) || result.path.empty()) {
        return result;
    }
    std::replace(result.path.begin(), result.path.end(), L'/', L'\\');
    Win32Path full = FullPath(result.path);
    if (full.error != 0) {
        return full;
    }
    if (full.path.size() >= kLongPathFrom) {
        result.path = LongForm(full.path);
    }
    return result;
}

} // namespace harrowdeck::windows
