// SPDX-License-Identifier: GPL-3.0-or-later
#include "ByteSource.h"

#include "windows/SystemError.h"
#include "windows/Win32Path.h"

#include <windows.h>

#include <cerrno>

namespace harrowdeck {

namespace {

std::uint64_t Join(DWORD high, DWORD low)
{
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

} // namespace

IoResult<FileSource> FileSource::Open(const std::string& path)
{
    const windows::Win32Path native = windows::ToWin32Path(path);
    if (native.error != 0) {
        return IoError::FromErrno(path, windows::ErrnoFromWin32(native.error));
    }
    // Others may go on reading, writing or renaming it: a change shows in
    // Changed, as on POSIX systems. A directory opens too, to be named.
    FileDescriptor fd(::CreateFileW(native.path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!fd.IsOpen()) {
        return IoError::FromErrno(path, windows::LastErrno());
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(fd.Get(), &info)) {
        return IoError::FromErrno(path, windows::LastErrno());
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return IoError::FromErrno(path, EISDIR);
    }
    if (::GetFileType(fd.Get()) != FILE_TYPE_DISK) {
        IoError error = IoError::FromErrno(path, EINVAL);
        error.reason = "Not a regular file";
        return error;
    }
    const std::uint64_t size = Join(info.nFileSizeHigh, info.nFileSizeLow);
    const auto modified =
        static_cast<std::int64_t>(Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
    return FileSource(std::move(fd), path, size, modified);
}

bool FileSource::Changed() const
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(fd_.Get(), &info)) {
        return true;
    }
    const auto modified =
        static_cast<std::int64_t>(Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
    return Join(info.nFileSizeHigh, info.nFileSizeLow) != size_ || modified != modifiedNs_;
}

} // namespace harrowdeck
