// SPDX-License-Identifier: GPL-3.0-or-later
// TargetDirectory's system calls on POSIX systems: every file is named
// relative to the directory's descriptor. With HARROWDECK_LINUX_CALLS, the
// calls that only Linux has: the exclusive and the exchanging rename
// (renameat2), unnamed scratch files (O_TMPFILE) and getdents64; without
// them, what POSIX.1-2008 offers.
#include "TargetDirectory.h"

#include "posix/ReplaceRule.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#if HARROWDECK_LINUX_CALLS
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

#include <cerrno>

namespace harrowdeck {

struct TargetDirectory::Native {
    ReplaceRule rule;
    bool othersMayChange = true;
};

namespace {

FileStatus::Type TypeOf(mode_t mode) noexcept
{
    if (S_ISREG(mode)) {
        return FileStatus::Type::Regular;
    }
    if (S_ISDIR(mode)) {
        return FileStatus::Type::Directory;
    }
    if (S_ISLNK(mode)) {
        return FileStatus::Type::Symlink;
    }
    if (S_ISCHR(mode)) {
        return FileStatus::Type::CharDevice;
    }
    return FileStatus::Type::Other;
}

void Describe(const struct stat& info, FileStatus& status) noexcept
{
    status.type = TypeOf(info.st_mode);
    status.identity = FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    status.owner = info.st_uid;
    status.group = info.st_gid;
    status.permissions = info.st_mode & 07777;
    status.modified = info.st_mtime;
}

// Whether a user other than the writer may add, rename or remove the
// directory's entries. Only a local file system whose permission bits this
// kernel enforces is trusted to say that none may: a network or user-space
// one may let others in whatever the bits say. Group bits cover any access
// list, whose mask they show.
bool OthersMayChangeEntries(int dirFd, uid_t writer) noexcept
{
    struct stat info {};
    if (::fstat(dirFd, &info) != 0 || info.st_uid != writer || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return true;
    }
#if HARROWDECK_LINUX_CALLS
    struct statfs system {};
    if (::fstatfs(dirFd, &system) != 0) {
        return true;
    }
    switch (static_cast<unsigned long>(system.f_type)) {
    case EXT4_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case OVERLAYFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
        return false;
    default:
        return true;
    }
#else
    return true;
#endif
}

} // namespace

IoResult<TargetDirectory> TargetDirectory::Open(const std::string& path)
{
    const std::string opened = path.empty() ? std::string(".") : path;
    FileDescriptor fd(::open(opened.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        return IoError::FromErrno(path, errno);
    }
    const uid_t uid = ::geteuid();
    auto native =
        std::make_unique<Native>(Native{ReplaceRule::For(fd.Get(), uid), OthersMayChangeEntries(fd.Get(), uid)});
    // The pid is asked once: every temporary name carries it.
    return TargetDirectory(std::move(fd), path, ::getpid(), uid, std::move(native));
}

TargetDirectory::TargetDirectory(FileDescriptor fd, std::string path, long pid, std::uint32_t uid,
                                 std::unique_ptr<Native> native)
    : fd_(std::move(fd)), path_(std::move(path)), pid_(pid), uid_(uid), native_(std::move(native))
{
}

TargetDirectory::TargetDirectory(TargetDirectory&&) noexcept = default;

TargetDirectory::~TargetDirectory() = default;

bool TargetDirectory::OthersMayChange() const noexcept
{
    return native_->othersMayChange;
}

bool TargetDirectory::Lock() noexcept
{
    // File systems without locks still get a run; only a held lock stops it.
    return ::flock(fd_.Get(), LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

IoResult<FileDescriptor> TargetDirectory::ReopenTemp(std::string_view key, std::string_view target,
                                                     const FileIdentity& expected) const
{
    const FileName name = TempName(key);
    // Neither a symlink nor a FIFO put in the file's place may take the
    // page: the name is not followed, and nothing waits for a reader. The
    // open itself changes nothing, and the file is checked before use.
    FileDescriptor fd(
        ::openat(fd_.Get(), name.CStr(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    FileStatus status;
    if (!fd.IsOpen()) {
        const int error = errno;
        // Whatever keeps the open from succeeding (a link, a FIFO, another
        // user's unreadable file) is not the file that was written.
        if (error == ELOOP || error == ENXIO || error == ENOENT ||
            (StatusAt(name, status) == 0 && !IsOurs(status, expected))) {
            return Replaced(target);
        }
        return IoError::FromErrno(ShownPath(target), error);
    }
    if (const int error = StatusOf(fd, status); error != 0) {
        return IoError::FromErrno(ShownPath(target), error);
    }
    if (!IsOurs(status, expected)) {
        return Replaced(target);
    }
    return fd;
}

int TargetDirectory::CheckReplace(const FileName& name) const noexcept
{
    return native_->rule.Check(fd_.Get(), name.CStr());
}

IoResult<FileDescriptor> TargetDirectory::OpenDevice(std::string_view name) const
{
    const FileName fileName(name);
    if (!fileName.Fits()) {
        return IoError::FromErrno(ShownPath(name), ENAMETOOLONG);
    }
    // Non-blocking: a FIFO put there after the look fails at once instead
    // of waiting for a reader.
    FileDescriptor fd(::openat(fd_.Get(), fileName.CStr(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    FileStatus status;
    if (!fd.IsOpen()) {
        const int error = errno;
        if (StatusAt(fileName, status) == 0 && status.type != FileStatus::Type::CharDevice) {
            return NotRegular(name, status.type);
        }
        return IoError::FromErrno(ShownPath(name), error);
    }
    if (const int error = StatusOf(fd, status); error != 0) {
        return IoError::FromErrno(ShownPath(name), error);
    }
    if (status.type != FileStatus::Type::CharDevice) {
        return NotRegular(name, status.type);
    }
    return fd;
}

int TargetDirectory::CheckWritable(const FileName& name) const noexcept
{
    const FileDescriptor fd(
        ::openat(fd_.Get(), name.CStr(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    return fd.IsOpen() ? 0 : errno;
}

int TargetDirectory::OpenOwnToRead(const FileName& name, FileDescriptor& out) const noexcept
{
    FileDescriptor fd(::openat(fd_.Get(), name.CStr(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        return errno;
    }
    FileStatus status;
    if (const int error = StatusOf(fd, status); error != 0) {
        return error;
    }
    if (status.type != FileStatus::Type::Regular) {
        return EINVAL;
    }
    if (status.owner != uid_) {
        return EPERM;
    }
    out = std::move(fd);
    return 0;
}

int TargetDirectory::StatusAt(const FileName& name, FileStatus& status) const noexcept
{
    struct stat info {};
    if (::fstatat(fd_.Get(), name.CStr(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno;
    }
    Describe(info, status);
    return 0;
}

int TargetDirectory::StatusOf(const FileDescriptor& fd, FileStatus& status) noexcept
{
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) {
        return errno;
    }
    Describe(info, status);
    return 0;
}

std::optional<FileIdentity> TargetDirectory::IdentityOf(const FileDescriptor& fd) noexcept
{
    FileStatus status;
    if (StatusOf(fd, status) != 0) {
        return std::nullopt;
    }
    return status.identity;
}

// The identity is checked by the caller before and after: a rename by name
// has no other way to tell which file it moves.
int TargetDirectory::RenameEntry(const FileName& from, const FileName& to, RenameMode mode,
                                 const FileIdentity* /*expected*/) const noexcept
{
    const int dir = fd_.Get();
    if (mode == RenameMode::Replace) {
        return ::renameat(dir, from.CStr(), dir, to.CStr()) == 0 ? 0 : errno;
    }
#if HARROWDECK_LINUX_CALLS
    const unsigned flags = mode == RenameMode::NoReplace ? RENAME_NOREPLACE : RENAME_EXCHANGE;
    return ::renameat2(dir, from.CStr(), dir, to.CStr(), flags) == 0 ? 0 : errno;
#else
    return ENOSYS;
#endif
}

int TargetDirectory::CreateNew(const FileName& name, bool isPrivate, FileDescriptor& out) const noexcept
{
    out = FileDescriptor(::openat(fd_.Get(), name.CStr(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                  isPrivate ? 0600 : 0666));
    return out.IsOpen() ? 0 : errno;
}

void TargetDirectory::Remove(const FileName& name) const noexcept
{
    ::unlinkat(fd_.Get(), name.CStr(), 0);
}

#if HARROWDECK_LINUX_CALLS

bool TargetDirectory::ListEntries(EntryVisitor& visitor) const noexcept
{
    // A descriptor of its own, so that the listing's position is not the
    // held directory's.
    const FileDescriptor listing(::openat(fd_.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!listing.IsOpen()) {
        return false;
    }
    alignas(dirent64) char buffer[32768];
    for (;;) {
        const ssize_t size = ::getdents64(listing.Get(), buffer, sizeof buffer);
        if (size <= 0) {
            return size == 0;
        }
        for (ssize_t offset = 0; offset < size;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            visitor.Take(static_cast<const char*>(entry->d_name));
        }
    }
}

#else

// readdir's stream is allocated: a listing that fails for want of memory
// says so, as any other failed listing does.
bool TargetDirectory::ListEntries(EntryVisitor& visitor) const noexcept
{
    const int listing = ::openat(fd_.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) {
        return false;
    }
    DIR* stream = ::fdopendir(listing);
    if (stream == nullptr) {
        ::close(listing);
        return false;
    }
    bool whole = true;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(stream);
        if (entry == nullptr) {
            whole = errno == 0;
            break;
        }
        visitor.Take(static_cast<const char*>(entry->d_name));
    }
    ::closedir(stream);
    return whole;
}

#endif

IoResult<FileDescriptor> TargetDirectory::CreateScratch() const
{
#if HARROWDECK_LINUX_CALLS
    int fd = ::openat(fd_.Get(), ".", O_RDWR | O_TMPFILE | O_CLOEXEC, 0600);
#else
    int fd = -1;
#endif
    if (fd < 0) {
        // Without unnamed files: a temporary name, gone again at once.
        const FileName name = TempName("scratch");
        fd = ::openat(fd_.Get(), name.CStr(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::unlinkat(fd_.Get(), name.CStr(), 0);
        }
    }
    if (fd < 0) {
        return IoError::FromErrno(path_, errno);
    }
    return FileDescriptor(fd);
}

} // namespace harrowdeck
