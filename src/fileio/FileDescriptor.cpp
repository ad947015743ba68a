// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileDescriptor.h"

#include <unistd.h>

#include <cerrno>

namespace harrowdeck {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        Reset();
        fd_ = other.Release();
    }
    return *this;
}

int FileDescriptor::Release()
{
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void FileDescriptor::Reset()
{
    // A descriptor given up this way is not asked how its close went; Close
    // is there for a caller who needs to know.
    (void)Close();
}

int FileDescriptor::Close()
{
    if (fd_ < 0) {
        return 0;
    }
    // The descriptor is gone whatever close says; retrying could close
    // another thread's file.
    const int result = ::close(Release());
    return result == 0 ? 0 : errno;
}

int FileDescriptor::WriteAllAt(std::string_view bytes, std::uint64_t offset) const
{
    while (!bytes.empty()) {
        const ssize_t count = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (count < 0) {
            if (errno != EINTR) {
                return errno;
            }
            continue;
        }
        offset += static_cast<std::uint64_t>(count);
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return 0;
}

int FileDescriptor::ReadAllAt(char* out, std::size_t size, std::uint64_t offset) const
{
    while (size > 0) {
        const ssize_t count = ::pread(fd_, out, size, static_cast<off_t>(offset));
        if (count == 0) {
            return EIO;
        }
        if (count < 0) {
            if (errno != EINTR) {
                return errno;
            }
            continue;
        }
        out += count;
        size -= static_cast<std::size_t>(count);
        offset += static_cast<std::uint64_t>(count);
    }
    return 0;
}

} // namespace harrowdeck
