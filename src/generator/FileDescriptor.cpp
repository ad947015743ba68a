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

} // namespace harrowdeck
