// SPDX-License-Identifier: GPL-3.0-or-later
#include "TargetDirectory.h"

#include "FileProbe.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
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
constexpr std::string_view kReplacedReason = "its temporary file was replaced by another program";
constexpr std::string_view kNotRegularReason = "Not a regular file";

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

FileName TemporaryFileName(long pid, std::string_view key) noexcept
{
    FileName name(kTempPrefix);
    name.Append(static_cast<std::uint64_t>(pid)).Append("-").Append(key).Append(kTempSuffix);
    return name;
}

std::string TemporaryName(long pid, std::string_view key)
{
    return std::string(TemporaryFileName(pid, key).View());
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
    return TargetDirectory(std::move(fd), path, ::getpid(), ::geteuid());
}

TargetDirectory::TargetDirectory(FileDescriptor fd, std::string path, long pid, uid_t uid)
    : fd_(std::move(fd)), path_(std::move(path)), pid_(pid), uid_(uid)
{
}

std::string TargetDirectory::ShownPath(std::string_view name) const
{
    return JoinPath(path_, std::string(name));
}

FileName TargetDirectory::TempName(std::string_view key) const noexcept
{
    return TemporaryFileName(pid_, key);
}

IoResult<FileDescriptor> TargetDirectory::CreateTemp(std::string_view key, std::string_view target, mode_t mode) const
{
    const FileName name = TempName(key);
    if (!name.Fits()) {
        return IoError::FromErrno(ShownPath(target), ENAMETOOLONG);
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::openat(Fd(), name.CStr(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            return FileDescriptor(fd);
        }
        if (errno != EEXIST || attempt > 0) {
            break;
        }
        // Ours by name: left by an earlier process that had our pid.
        ::unlinkat(Fd(), name.CStr(), 0);
    }
    return IoError::FromErrno(ShownPath(target), errno);
}

IoResult<FileDescriptor> TargetDirectory::ReopenTemp(std::string_view key, std::string_view target,
                                                     const FileIdentity& expected) const
{
    // Neither a symlink nor a FIFO put in the file's place may take the
    // page: the name is not followed, and nothing waits for a reader. The
    // open itself changes nothing, and the file is checked before use.
    FileDescriptor fd(
        ::openat(Fd(), TempName(key).CStr(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        const int error = errno;
        // Whatever keeps the open from succeeding (a link, a FIFO, another
        // user's unreadable file) is not the file that was written.
        struct stat info {};
        if (error == ELOOP || error == ENXIO || error == ENOENT ||
            (::fstatat(Fd(), TempName(key).CStr(), &info, AT_SYMLINK_NOFOLLOW) == 0 && !IsOurs(info, expected))) {
            return Replaced(target);
        }
        return IoError::FromErrno(ShownPath(target), error);
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) {
        return IoError::FromErrno(ShownPath(target), errno);
    }
    if (!IsOurs(info, expected)) {
        return Replaced(target);
    }
    return fd;
}

std::optional<IoError> TargetDirectory::CheckTemp(std::string_view key, std::string_view target,
                                                  const FileIdentity& expected) const
{
    struct stat info {};
    if (::fstatat(Fd(), TempName(key).CStr(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? Replaced(target) : IoError::FromErrno(ShownPath(target), errno);
    }
    if (!IsOurs(info, expected)) {
        return Replaced(target);
    }
    return std::nullopt;
}

std::optional<IoError> TargetDirectory::CommitTemp(std::string_view key, std::string_view target) const
{
    const FileName targetName(target);
    if (const int error = targetName.Fits() ? RenameTemp(key, targetName) : ENAMETOOLONG; error != 0) {
        return IoError::FromErrno(ShownPath(target), error);
    }
    return std::nullopt;
}

int TargetDirectory::RenameTemp(std::string_view key, const FileName& target) const noexcept
{
    return ::renameat(Fd(), TempName(key).CStr(), Fd(), target.CStr()) == 0 ? 0 : errno;
}

int TargetDirectory::RenameTempToNewName(std::string_view key, const FileName& target) const noexcept
{
    const FileName temp = TempName(key);
    if (::renameat2(Fd(), temp.CStr(), Fd(), target.CStr(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    // No exclusive rename here: the name is claimed by an exclusive create,
    // which no link redirects, and the rename replaces the claim.
    const FileDescriptor claim(
        ::openat(Fd(), target.CStr(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!claim.IsOpen()) {
        return errno;
    }
    const std::optional<FileIdentity> claimed = IdentityOf(claim);
    const int error = RenameTemp(key, target);
    if (error != 0 && claimed) {
        RemoveIfHolds(target, *claimed);
    }
    return error;
}

Placement TargetDirectory::PlaceTemp(std::string_view key, const FileName& target, const FileIdentity& file,
                                     bool exclusive) const noexcept
{
    const int error = exclusive ? RenameTempToNewName(key, target) : RenameTemp(key, target);
    if (error == ENOENT) {
        // The directory is held open, so only the temporary name can be
        // missing.
        return {Placement::Result::TempGone, error};
    }
    if (error != 0) {
        return {Placement::Result::Failed, error};
    }
    // Checked after the rename too: a file swapped in after the check
    // before the renaming is found here, as is one swapped in since.
    struct stat info {};
    if (::fstatat(Fd(), target.CStr(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !IsOurs(info, file)) {
        return {Placement::Result::Misplaced, 0};
    }
    return {};
}

void TargetDirectory::UnplaceTemp(std::string_view key, const FileName& target) const noexcept
{
    ::renameat(Fd(), target.CStr(), Fd(), TempName(key).CStr());
}

void TargetDirectory::RemoveIfHolds(const FileName& name, const FileIdentity& file) const noexcept
{
    struct stat info {};
    if (::fstatat(Fd(), name.CStr(), &info, AT_SYMLINK_NOFOLLOW) == 0 && IsOurs(info, file)) {
        ::unlinkat(Fd(), name.CStr(), 0);
    }
}

int TargetDirectory::CheckReplace(const FileName& name, const ReplaceRule& rule) const noexcept
{
    struct statx info {};
    if (::statx(Fd(), name.CStr(), AT_SYMLINK_NOFOLLOW, ReplaceRule::kStatxMask, &info) != 0) {
        // A name that cannot be looked at fails the rename itself.
        return errno == ENOENT ? ENOENT : 0;
    }
    return rule.Check(info);
}

std::optional<IoError> TargetDirectory::CommitTempOverRegular(std::string_view key, std::string_view target) const
{
    const FileName targetName(target);
    if (!targetName.Fits()) {
        return IoError::FromErrno(ShownPath(target), ENAMETOOLONG);
    }
    const FileName temp = TempName(key);
    // What stands under the name is judged after it has been swapped out
    // of the way, and swapped back unless it is a regular file: nothing
    // that appears there between a look and a rename is lost.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (::renameat2(Fd(), temp.CStr(), Fd(), targetName.CStr(), RENAME_EXCHANGE) == 0) {
            struct stat old {};
            if (::fstatat(Fd(), temp.CStr(), &old, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(old.st_mode)) {
                ::renameat2(Fd(), temp.CStr(), Fd(), targetName.CStr(), RENAME_EXCHANGE);
                return NotRegular(target, old.st_mode);
            }
            ::unlinkat(Fd(), temp.CStr(), 0);
            return std::nullopt;
        }
        int error = errno;
        if (error == EINVAL || error == ENOSYS) {
            // No exchange on this file system: the look before is all there is.
            error = RenameTemp(key, targetName);
        } else if (error == ENOENT) {
            error = RenameTempToNewName(key, targetName);
            if (error == EEXIST) {
                continue; // something appeared under the name: judged again
            }
        }
        if (error != 0) {
            return IoError::FromErrno(ShownPath(target), error);
        }
        return std::nullopt;
    }
    return IoError::FromErrno(ShownPath(target), EEXIST);
}

IoResult<FileDescriptor> TargetDirectory::OpenDevice(std::string_view name) const
{
    const FileName fileName(name);
    if (!fileName.Fits()) {
        return IoError::FromErrno(ShownPath(name), ENAMETOOLONG);
    }
    // Non-blocking: a FIFO put there after the look fails at once instead
    // of waiting for a reader.
    FileDescriptor fd(::openat(Fd(), fileName.CStr(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    if (!fd.IsOpen()) {
        const int error = errno;
        if (::fstatat(Fd(), fileName.CStr(), &info, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISCHR(info.st_mode)) {
            return NotRegular(name, info.st_mode);
        }
        return IoError::FromErrno(ShownPath(name), error);
    }
    if (::fstat(fd.Get(), &info) != 0) {
        return IoError::FromErrno(ShownPath(name), errno);
    }
    if (!S_ISCHR(info.st_mode)) {
        return NotRegular(name, info.st_mode);
    }
    return fd;
}

void TargetDirectory::RemoveTemp(std::string_view key) const noexcept
{
    ::unlinkat(Fd(), TempName(key).CStr(), 0);
}

void TargetDirectory::RemoveStaleTemps(bool (*isOwnKey)(std::string_view key)) const noexcept
{
    const std::time_t now = std::time(nullptr);
    // Whether the listing was whole does not matter: what it missed goes
    // with a later run.
    ForEachEntry([this, now, isOwnKey](const char* name) {
        const std::optional<long> owner = TemporaryNameOwner(name);
        if (!owner || (isOwnKey != nullptr && !isOwnKey(TemporaryNameKey(name)))) {
            return;
        }
        struct stat info {};
        if (::fstatat(Fd(), name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)) {
            return;
        }
        if (WriterIsGone(*owner) || now - info.st_mtime > kStaleAge) {
            ::unlinkat(Fd(), name, 0);
        }
    });
}

IoResult<FileDescriptor> TargetDirectory::CreateScratch() const
{
    int fd = ::openat(Fd(), ".", O_RDWR | O_TMPFILE | O_CLOEXEC, 0600);
    if (fd < 0) {
        // Without unnamed files: a temporary name, gone again at once.
        const FileName name = TempName("scratch");
        fd = ::openat(Fd(), name.CStr(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::unlinkat(Fd(), name.CStr(), 0);
        }
    }
    if (fd < 0) {
        return IoError::FromErrno(path_, errno);
    }
    return FileDescriptor(fd);
}

std::optional<FileIdentity> TargetDirectory::IdentityOf(const FileDescriptor& fd) noexcept
{
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// The owner counts too: a file someone else made after removing ours may
// be given the number ours had.
bool TargetDirectory::IsOurs(const struct stat& info, const FileIdentity& expected) const noexcept
{
    return S_ISREG(info.st_mode) && info.st_uid == uid_ &&
           FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)} == expected;
}

IoError TargetDirectory::Replaced(std::string_view target) const
{
    // EEXIST: something other than the file written stands under its name.
    return IoError{ShownPath(target), EEXIST, std::string(kReplacedReason)};
}

IoError TargetDirectory::NotRegular(std::string_view target, mode_t mode) const
{
    if (S_ISDIR(mode)) {
        return IoError::FromErrno(ShownPath(target), EISDIR);
    }
    return IoError{ShownPath(target), EINVAL, std::string(kNotRegularReason)};
}

} // namespace harrowdeck
