// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileHolders.h"

#include "WideText.h"

#include <windows.h>

#include <restartmanager.h>

#include <string_view>

namespace harrowdeck::windows {

namespace {

using StartSession = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR[]);
using RegisterResources = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR[], UINT, RM_UNIQUE_PROCESS[], UINT, LPCWSTR[]);
using GetList = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO[], LPDWORD);
using EndSession = DWORD(WINAPI*)(DWORD);

// The Restart Manager's library, loaded only when a message needs it, which
// spares every other run the cost, and only from the system's own
// directory: a program unpacked from a zip may lie beside a planted
// rstrtmgr.dll, which a link at start-up would load first. (Windows 7
// without its update KB2533623 cannot load from there; the message then
// names no program.)
class RestartManager {
public:
    RestartManager()
    {
        library_ = ::LoadLibraryExW(L"rstrtmgr.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (library_ == nullptr) {
            return;
        }
        start_ = Function<StartSession>("RmStartSession");
        register_ = Function<RegisterResources>("RmRegisterResources");
        list_ = Function<GetList>("RmGetList");
        end_ = Function<EndSession>("RmEndSession");
    }
    ~RestartManager()
    {
        if (library_ != nullptr) {
            ::FreeLibrary(library_);
        }
    }
    RestartManager(const RestartManager&) = delete;
    RestartManager& operator=(const RestartManager&) = delete;

    [[nodiscard]] std::vector<FileHolder> Holders(const std::wstring& path) const
    {
        std::vector<FileHolder> holders;
        DWORD session = 0;
        WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
        if (start_ == nullptr || register_ == nullptr || list_ == nullptr || end_ == nullptr ||
            start_(&session, 0, key) != ERROR_SUCCESS) {
            return holders;
        }
        LPCWSTR files[] = {path.c_str()};
        if (register_(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS) {
            holders = List(session);
        }
        (void)end_(session);
        return holders;
    }

private:
    template <class F>
    F Function(const char* name) const
    {
        // The cast from FARPROC to the function's real type is how a
        // function found by its name is called.
        return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(library_, name)));
    }

    [[nodiscard]] std::vector<FileHolder> List(DWORD session) const
    {
        std::vector<RM_PROCESS_INFO> found(4);
        for (int attempt = 0; attempt < 4; ++attempt) {
            UINT needed = 0;
            UINT count = static_cast<UINT>(found.size());
            DWORD reasons = 0;
            const DWORD status = list_(session, &needed, &count, found.data(), &reasons);
            if (status == ERROR_MORE_DATA) {
                found.resize(needed); // more programs opened it meanwhile
                continue;
            }
            std::vector<FileHolder> holders;
            if (status == ERROR_SUCCESS) {
                for (UINT i = 0; i < count; ++i) {
                    holders.push_back({ToUtf8(std::wstring_view(found[i].strAppName)), found[i].Process.dwProcessId});
                }
            }
            return holders;
        }
        return {};
    }

    HMODULE library_ = nullptr;
    StartSession start_ = nullptr;
    RegisterResources register_ = nullptr;
    GetList list_ = nullptr;
    EndSession end_ = nullptr;
};

} // namespace

std::vector<FileHolder> ProgramsHolding(const std::wstring& win32Path)
{
    return RestartManager().Holders(win32Path);
}

std::string DescribeHolders(const std::vector<FileHolder>& holders)
{
    if (holders.empty()) {
        return "another program has it open";
    }
    std::string text;
    for (std::size_t i = 0; i < holders.size(); ++i) {
        if (i > 0) {
            text += i + 1 == holders.size() ? " and " : ", ";
        }
        const std::string& name = holders[i].name.empty() ? std::string("a program") : holders[i].name;
        text += name + " (process " + std::to_string(holders[i].processId) + ")";
    }
    return text + (holders.size() == 1 ? " has it open" : " have it open");
}

} // namespace harrowdeck::windows
