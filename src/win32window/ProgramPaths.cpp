// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramPaths.h"

#include "Win32Form.h"

#include <shlobj.h>
#include <windows.h>

#include <string>

namespace harrowdeck::win32 {

namespace {

std::wstring ProgramFolder()
{
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            return L".";
        }
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        name.resize(name.size() * 2);
    }
    const std::size_t slash = name.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : name.substr(0, slash);
}

// Creating a file is the one true test: the folder's attributes say nothing
// of what its access list allows this user.
bool FolderWritable(const std::wstring& folder)
{
    const std::wstring probe = folder + L"\\.harrowdeck-write-" + std::to_wstring(GetCurrentProcessId());
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

std::wstring SettingsFolder()
{
    wchar_t appData[MAX_PATH]{};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData))) {
        return std::wstring(appData) + L"\\Harrowdeck";
    }
    return ProgramFolder();
}

} // namespace

AppPaths LocateAppPaths()
{
    const std::wstring folder = ProgramFolder();
    ProgramDirFacts facts;
    facts.writable = FolderWritable(folder);
    // Writability alone decides here: a file left in a folder this user may
    // not write (an installed copy that an administrator ran once) would
    // otherwise keep every save from taking.
    facts.holdsParams = false;
    return MakeAppPaths(Utf8(folder), Utf8(SettingsFolder()), facts);
}

} // namespace harrowdeck::win32
