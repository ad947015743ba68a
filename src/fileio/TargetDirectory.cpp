// SPDX-License-Identifier: GPL-3.0-or-later
#include "TargetDirectory.h"

#include "FileProbe.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <ctime>

namespace harrowdeck {

namespace {

// Hidden, and in the target's directory so that the rename stays within
// one file system.
constexpr std::string_view kTempPrefix = ".harrowdeck-";
constexpr std::string_view kTempSuffix = ".tmp";
// A leftover whose writer cannot be told apart from a live process is
// removed only once it is clearly abandoned.
constexpr std::time_t kStaleAge = 24 * 60 * 60;

bool WriterIsGone(long pid)
{
    if (pid == ::getpid()) {
        return true; // an earlier process that had our pid
    }
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// The key in a name that TemporaryNameOwner accepted.
std::string_view TemporaryNameKey(std::string_view name)
{
    name.remove_prefix(kTempPrefix.size());
    name.remove_suffix(kTempSuffix.size());
    return name.substr(name.find('-') + 1);
}

} // namespace

std::string TemporaryName(long pid, std::string_view key)
{
    std::string name(kTempPrefix);
    name += std::to_string(pid);
    name += '-';
    name += key;
    name += kTempSuffix;
    return name;
}

std::optional<long> TemporaryNameOwner(std::string_view name)
{
    if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix)) {
        return std::nullopt;
    }
    name.remove_prefix(kTempPrefix.size());
    long pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end == name.data() || *end != '-' || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

IoResult<TargetDirectory> TargetDirectory::Open(const std::string& path)
{
    const std::string opened = path.empty() ? std::string(".") : path;
    FileDescriptor fd(::open(opened.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        return IoError::FromErrno(path, errno);
    }
    // The pid is asked once: every temporary name carries it.
    return TargetDirectory(std::move(fd), path, ::getpid());
}

TargetDirectory::TargetDirectory(FileDescriptor fd, std::string path, long pid)
    : fd_(std::move(fd)), path_(std::move(path)), pid_(pid)
{
}

std::string TargetDirectory::ShownPath(std::string_view name) const
{
    return JoinPath(path_, std::string(name));
}

std::string TargetDirectory::TempName(std::string_view key) const
{
    return TemporaryName(pid_, key);
}

IoResult<FileDescriptor> TargetDirectory::CreateTemp(std::string_view key, std::string_view target, mode_t mode) const
{
    const std::string name = TempName(key);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::openat(Fd(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            return FileDescriptor(fd);
        }
        if (errno != EEXIST || attempt > 0) {
            break;
        }
        // Ours by name: left by an earlier process that had our pid.
        ::unlinkat(Fd(), name.c_str(), 0);
    }
    return IoError::FromErrno(ShownPath(target), errno);
}

IoResult<FileDescriptor> TargetDirectory::ReopenTemp(std::string_view key, std::string_view target) const
{
    const int fd = ::openat(Fd(), TempName(key).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) {
        return IoError::FromErrno(ShownPath(target), errno);
    }
    return FileDescriptor(fd);
}

std::optional<IoError> TargetDirectory::CommitTemp(std::string_view key, std::string_view target) const
{
    const std::string targetName(target);
    if (::renameat(Fd(), TempName(key).c_str(), Fd(), targetName.c_str()) != 0) {
        return IoError::FromErrno(ShownPath(target), errno);
    }
    return std::nullopt;
}

void TargetDirectory::RemoveTemp(std::string_view key) const
{
    ::unlinkat(Fd(), TempName(key).c_str(), 0);
}

void TargetDirectory::RemoveStaleTemps(bool (*isOwnKey)(std::string_view key)) const
{
    const int listFd = ::openat(Fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0) {
        return;
    }
    DIR* listing = ::fdopendir(listFd);
    if (listing == nullptr) {
        ::close(listFd);
        return;
    }
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(listing)) {
        const std::optional<long> owner = TemporaryNameOwner(entry->d_name);
        if (!owner || (isOwnKey != nullptr && !isOwnKey(TemporaryNameKey(entry->d_name)))) {
            continue;
        }
        struct stat info {};
        if (::fstatat(Fd(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        if (WriterIsGone(*owner) || now - info.st_mtime > kStaleAge) {
            ::unlinkat(Fd(), entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

IoResult<FileDescriptor> TargetDirectory::CreateScratch() const
{
    int fd = ::openat(Fd(), ".", O_RDWR | O_TMPFILE | O_CLOEXEC, 0600);
    if (fd < 0) {
        // Without unnamed files: a temporary name, gone again at once.
        const std::string name = TempName("scratch");
        fd = ::openat(Fd(), name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::unlinkat(Fd(), name.c_str(), 0);
        }
    }
    if (fd < 0) {
        return IoError::FromErrno(path_, errno);
    }
    return FileDescriptor(fd);
}

} // namespace harrowdeck
