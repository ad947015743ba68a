// SPDX-License-Identifier: GPL-3.0-or-later
#include "ByteSource.h"

#include "Platform.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace harrowdeck {

namespace {

std::int64_t ModifiedNs(const struct stat& info)
{
#if defined(__APPLE__)
    const struct timespec& modified = info.st_mtimespec;
#else
    const struct timespec& modified = info.st_mtim;
#endif
    return static_cast<std::int64_t>(modified.tv_sec) * 1000000000 + modified.tv_nsec;
}

} // namespace

IoResult<FileSource> FileSource::Open(const std::string& path)
{
    // O_NONBLOCK keeps a FIFO without a writer from hanging the open.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.IsOpen()) {
        return IoError::FromErrno(path, errno);
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) {
        return IoError::FromErrno(path, errno);
    }
    if (S_ISDIR(info.st_mode)) {
        return IoError::FromErrno(path, EISDIR);
    }
    if (!S_ISREG(info.st_mode)) {
        IoError error = IoError::FromErrno(path, EINVAL);
        error.reason = "Not a regular file";
        return error;
    }
    return FileSource(std::move(fd), path, static_cast<std::uint64_t>(info.st_size), ModifiedNs(info));
}

bool FileSource::Changed() const
{
    struct stat info {};
    if (::fstat(fd_.Get(), &info) != 0) {
        return true;
    }
    return static_cast<std::uint64_t>(info.st_size) != size_ || ModifiedNs(info) != modifiedNs_;
}

} // namespace harrowdeck
