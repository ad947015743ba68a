// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileDescriptor.h"

#include "windows/SystemError.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>

namespace harrowdeck {

namespace {

// ReadFile and WriteFile move at most this much at a time.
constexpr std::size_t kMaxTransfer = 1U << 30;

OVERLAPPED At(std::uint64_t offset) noexcept
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

} // namespace

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        Reset();
        fd_ = other.Release();
    }
    return *this;
}

NativeFile FileDescriptor::Release()
{
    NativeFile fd = fd_;
    fd_ = kNoFile;
    return fd;
}

void FileDescriptor::Reset()
{
    (void)Close();
}

int FileDescriptor::Close()
{
    if (!IsOpen()) {
        return 0;
    }
    return ::CloseHandle(Release()) ? 0 : windows::LastErrno();
}

int FileDescriptor::WriteAll(std::string_view bytes) const
{
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto size = static_cast<DWORD>(std::min(bytes.size(), kMaxTransfer));
        if (!::WriteFile(fd_, bytes.data(), size, &written, nullptr)) {
            return windows::LastErrno();
        }
        bytes.remove_prefix(written);
    }
    return 0;
}

long FileDescriptor::Read(char* out, std::size_t size) const
{
    DWORD count = 0;
    if (!::ReadFile(fd_, out, static_cast<DWORD>(std::min(size, kMaxTransfer)), &count, nullptr)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE) {
            return 0;
        }
        errno = windows::ErrnoFromWin32(error);
        return -1;
    }
    return static_cast<long>(count);
}

int FileDescriptor::WriteAllAt(std::string_view bytes, std::uint64_t offset) const
{
    while (!bytes.empty()) {
        OVERLAPPED at = At(offset);
        DWORD written = 0;
        const auto size = static_cast<DWORD>(std::min(bytes.size(), kMaxTransfer));
        if (!::WriteFile(fd_, bytes.data(), size, &written, &at)) {
            return windows::LastErrno();
        }
        offset += written;
        bytes.remove_prefix(written);
    }
    return 0;
}

int FileDescriptor::ReadAllAt(char* out, std::size_t size, std::uint64_t offset) const
{
    while (size > 0) {
        std::size_t count = 0;
        if (const int error = ReadSomeAt(out, size, offset, count); error != 0) {
            return error;
        }
        if (count == 0) {
            return EIO;
        }
        out += count;
        size -= count;
        offset += count;
    }
    return 0;
}

int FileDescriptor::ReadSomeAt(char* out, std::size_t size, std::uint64_t offset, std::size_t& count) const
{
    OVERLAPPED at = At(offset);
    DWORD read = 0;
    count = 0;
    if (!::ReadFile(fd_, out, static_cast<DWORD>(std::min(size, kMaxTransfer)), &read, &at)) {
        const DWORD error = ::GetLastError();
        return error == ERROR_HANDLE_EOF ? 0 : windows::ErrnoFromWin32(error);
    }
    count = read;
    return 0;
}

} // namespace harrowdeck
