// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileProbe.h"

#include "FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace harrowdeck {

bool FileExists(const std::string& path)
{
    std::string probe = path;
    if (!probe.empty() && probe.back() == kSeparator) {
        probe.pop_back();
    }
    if (probe.empty()) {
        return false;
    }
    // Non-blocking, so that a FIFO without a writer cannot hang the probe.
    const int fd = ::open(probe.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return regular;
}

namespace {

// Non-blocking, so that a FIFO without a writer cannot hang the probe.
constexpr int kProbeFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
#if HARROWDECK_LINUX_CALLS
// O_PATH: a folder that may be searched but not listed is looked into too.
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

bool IsRegularFile(const FileDescriptor& fd)
{
    struct stat info {};
    return fd.IsOpen() && ::fstat(fd.Get(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

bool FileExistsIn(const std::string& dir, const std::string& name)
{
    const FileDescriptor folder(::open(dir.empty() ? "." : dir.c_str(), kFolderFlags));
    struct stat folderInfo {};
    if (!folder.IsOpen() || ::fstat(folder.Get(), &folderInfo) != 0) {
        return false;
    }
    // A name that changes between the looks is looked at again. In a
    // sticky folder no one else can replace the links that are followed.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const FileDescriptor file(::openat(folder.Get(), name.c_str(), kProbeFlags | O_NOFOLLOW));
        if (file.IsOpen() || errno != ELOOP) {
            return IsRegularFile(file);
        }
        struct stat link {};
        if (::fstatat(folder.Get(), name.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0) {
            return false;
        }
        if (S_ISLNK(link.st_mode)) {
            const bool mayFollow =
                (folderInfo.st_mode & S_ISVTX) == 0 || link.st_uid == ::geteuid() || link.st_uid == folderInfo.st_uid;
            return mayFollow && IsRegularFile(FileDescriptor(::openat(folder.Get(), name.c_str(), kProbeFlags)));
        }
    }
    return false;
}

bool IsDirectory(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace harrowdeck
