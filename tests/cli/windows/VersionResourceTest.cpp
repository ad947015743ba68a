// SPDX-License-Identifier: GPL-3.0-or-later
// A Windows program carries the project's version information and its
// manifest; this test program is given them as harrowdeck-make.exe is, and
// reads them back from its own file, as Windows and the about window do.
#include "Version.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace harrowdeck {
namespace {

std::vector<char> OwnVersionInfo()
{
    wchar_t path[MAX_PATH + 1] = {};
    EXPECT_NE(::GetModuleFileNameW(nullptr, path, MAX_PATH + 1), 0u);
    DWORD ignored = 0;
    std::vector<char> info(::GetFileVersionInfoSizeW(path, &ignored));
    EXPECT_FALSE(info.empty()) << "no version resource: " << ::GetLastError();
    EXPECT_TRUE(::GetFileVersionInfoW(path, 0, static_cast<DWORD>(info.size()), info.data()));
    return info;
}

std::wstring Entry(std::vector<char>& info, const std::wstring& name)
{
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = L"\\StringFileInfo\\040904B0\\" + name;
    if (!::VerQueryValueW(info.data(), key.c_str(), &value, &length) || length == 0) {
        return L"(missing)";
    }
    return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

std::wstring Wide(const char* ascii)
{
    return std::wstring(ascii, ascii + std::char_traits<char>::length(ascii));
}

TEST(VersionResource, SaysWhatTheProgramIs)
{
    std::vector<char> info = OwnVersionInfo();
    ASSERT_FALSE(info.empty());
    const struct {
        const wchar_t* name;
        std::wstring value;
    } entries[] = {
        {L"ProductName", Wide(version::kProductName)},
        {L"LegalCopyright", Wide(version::kLegalCopyright)},
        {L"ProductVersion", L"1.1.0"},
        {L"FileVersion", L"1.1.0"},
        {L"OriginalFilename", L"cli_windows_tests.exe"},
    };
    for (const auto& entry : entries) {
        EXPECT_EQ(Entry(info, entry.name), entry.value);
    }
    EXPECT_EQ(Wide(version::kProductName), L"Harrowdeck 1.1");

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, (1u << 16) | 1u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
}

TEST(VersionResource, TheManifestAllowsLongPathsOnEveryWindowsFrom7)
{
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr) << "no manifest";
    const char* data = static_cast<const char*>(::LockResource(::LoadResource(nullptr, found)));
    const std::string manifest(data, ::SizeofResource(nullptr, found));
    for (const char* part : {
             "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>",
             "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
             "<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true</longPathAware>",
             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // Windows 7
             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", // 8
             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", // 8.1
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // 10 and 11
         }) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(manifest.find('@'), std::string::npos) << "a placeholder was left: " << manifest;
}

} // namespace
} // namespace harrowdeck
