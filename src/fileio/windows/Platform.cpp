// SPDX-License-Identifier: GPL-3.0-or-later
#include "Platform.h"

#include "windows/FileHolders.h"
#include "windows/SystemError.h"
#include "windows/Win32Path.h"

#include <windows.h>

#include <cerrno>
#include <cstring>

namespace harrowdeck {

std::string SystemReason(const std::string& path, int errorNumber)
{
    if (errorNumber < 0) {
        return windows::SystemErrorText(static_cast<unsigned long>(-errorNumber));
    }
    if (errorNumber == EBUSY) {
        // Held by another program past the retries: say which, where the
        // Restart Manager can tell.
        const windows::Win32Path native = windows::ToWin32Path(path);
        return windows::DescribeHolders(native.error == 0 ? windows::ProgramsHolding(native.path)
                                                          : std::vector<windows::FileHolder>());
    }
    return std::strerror(errorNumber);
}

// Windows' links need a privilege to make and are rare: a settings file
// that is one is replaced as any file is.
IoResult<std::string> FollowLinks(const std::string& path)
{
    return path;
}

bool ProcessIsGone(long pid) noexcept
{
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) {
        return ::GetLastError() == ERROR_INVALID_PARAMETER; // no such process
    }
    DWORD code = 0;
    const bool ended = ::GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
    ::CloseHandle(process);
    return ended;
}

// A new file takes the permissions that its folder gives it; Windows has
// no owner or permission bits for a writer to carry over.
void KeepAttributes(const FileDescriptor& /*fd*/, const FileStatus& /*old*/) noexcept {}

} // namespace harrowdeck
