// SPDX-License-Identifier: GPL-3.0-or-later
// The file probes on Windows. Windows has no sticky folders and no owners
// of links, so a link is followed as opening it follows it.
#include "FileProbe.h"

#include "windows/Win32Path.h"

#include <windows.h>

namespace harrowdeck {

namespace {

// Whether path opens for reading as a file on disk: not a directory (which
// opens only with FILE_FLAG_BACKUP_SEMANTICS), not a device or a pipe.
bool OpensAsFile(const std::string& path)
{
    const windows::Win32Path native = windows::ToWin32Path(path);
    if (native.error != 0 || native.path.empty()) {
        return false;
    }
    HANDLE file =
        ::CreateFileW(native.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool regular = ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &info) &&
                         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    ::CloseHandle(file);
    return regular;
}

} // namespace

bool FileExists(const std::string& path)
{
    std::string probe = path;
    if (!probe.empty() && IsSeparator(probe.back())) {
        probe.pop_back();
    }
    return !probe.empty() && OpensAsFile(probe);
}

bool FileExistsIn(const std::string& dir, const std::string& name)
{
    return OpensAsFile(JoinPath(dir.empty() ? std::string(".") : dir, name));
}

bool IsDirectory(const std::string& path)
{
    if (path.empty()) {
        return false;
    }
    const windows::Win32Path native = windows::ToWin32Path(path);
    if (native.error != 0) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(native.path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace harrowdeck
