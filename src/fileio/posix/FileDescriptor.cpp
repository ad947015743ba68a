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

NativeFile FileDescriptor::Release()
{
    const int fd = fd_;
    fd_ = kNoFile;
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

int FileDescriptor::WriteAll(std::string_view bytes) const
{
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd_, bytes.data(), bytes.size());
        if (count < 0) {
            if (errno != EINTR) {
                return errno;
            }
            continue;
        }
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return 0;
}

long FileDescriptor::Read(char* out, std::size_t size) const
{
    for (;;) {
        const ssize_t count = ::read(fd_, out, size);
        if (count >= 0 || errno != EINTR) {
            return static_cast<long>(count);
        }
    }
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
    for (;;) {
        const ssize_t result = ::pread(fd_, out, size, static_cast<off_t>(offset));
        if (result >= 0) {
            count = static_cast<std::size_t>(result);
            return 0;
        }
        if (errno != EINTR) {
            count = 0;
            return errno;
        }
    }
}

} // namespace harrowdeck
