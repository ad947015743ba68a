// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFile.h"

#include "FileProbe.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace harrowdeck {

namespace {

// 0666 so that the umask, not this program, decides who may read a new
// file, as with any file the user creates.
constexpr mode_t kNewFileMode = 0666;
// This class's temporary files are keyed "a0", "a1", ...: a sweep before a
// save removes only those, as a run's pages in the same directory are the
// run's to clean up.
constexpr char kKeyLetter = 'a';
// As many symlinks as the system follows in one path.
constexpr int kMaxLinks = 40;

bool IsOwnKey(std::string_view key)
{
    return key.size() > 1 && key.front() == kKeyLetter &&
           key.find_first_not_of("0123456789", 1) == std::string_view::npos;
}

// The path's directory with its trailing separator, or "" for a bare name.
std::string DirectoryOf(const std::string& path)
{
    const auto slash = path.rfind(kSeparator);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file that a write to path lands on: symlinks at its end are followed
// as open() follows them. A name that is no symlink, or that names nothing
// yet, is its own target. A link is followed only when it is the writer's
// own or root's: another user's link in a shared folder could otherwise
// steer a save made by root onto any file, which the system also refuses
// to open() (protected_symlinks).
IoResult<std::string> FollowLinks(const std::string& path)
{
    std::string target = path;
    for (int followed = 0; followed <= kMaxLinks; ++followed) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            // Any failure here (a directory on the way that cannot be
            // searched) comes again, with its reason, when the file is made.
            return target;
        }
        if (info.st_uid != ::geteuid() && info.st_uid != 0) {
            return IoError::FromErrno(target, EACCES);
        }
        char link[PATH_MAX];
        const ssize_t length = ::readlink(target.c_str(), link, sizeof link);
        if (length < 0) {
            return IoError::FromErrno(target, errno);
        }
        if (static_cast<std::size_t>(length) == sizeof link) {
            return IoError::FromErrno(target, ENAMETOOLONG);
        }
        const std::string contents(link, static_cast<std::size_t>(length));
        target = contents.starts_with(kSeparator) ? contents : DirectoryOf(target) + contents;
    }
    return IoError::FromErrno(path, ELOOP);
}

// The file already at name in dirFd, when there is one. A regular file must
// open for writing, as a plain write would open it, before it is replaced:
// the directory's permission to rename over it is not the file's to be
// written. Opened without truncating, the file is not touched. What is
// neither a regular file nor a device is never written nor replaced.
IoResult<std::optional<struct stat>> ExistingFile(const TargetDirectory& dir, const std::string& name,
                                                  const std::string& shownPath)
{
    struct stat info {};
    if (::fstatat(dir.Fd(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) {
            return std::optional<struct stat>();
        }
        return IoError::FromErrno(shownPath, errno);
    }
    if (S_ISREG(info.st_mode)) {
        const int fd = ::openat(dir.Fd(), name.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            return IoError::FromErrno(shownPath, errno);
        }
        ::close(fd);
    } else if (!S_ISCHR(info.st_mode)) {
        return dir.NotRegular(name, info.st_mode);
    }
    return std::optional<struct stat>(info);
}

// Gives the new file the old one's owner, group and permission bits, in that
// order, as a change of owner may clear set-id bits. Either step may fail
// without harm: only root may give a file away, so the file then belongs to
// its writer, with the bits that the umask left at worst, readable and
// writable by the writer, which is all the program needs.
void KeepAttributes(int fd, const struct stat& old)
{
    [[maybe_unused]] const int owned = ::fchown(fd, old.st_uid, old.st_gid);
    [[maybe_unused]] const int moded = ::fchmod(fd, old.st_mode & 07777);
}

} // namespace

IoResult<AtomicFile> AtomicFile::Create(const std::string& path)
{
    IoResult<std::string> target = FollowLinks(path);
    if (!target) {
        return target.Error();
    }
    const std::string& targetPath = *target;
    const std::string dirPath = DirectoryOf(targetPath);
    std::string name = targetPath.substr(dirPath.size());
    IoResult<TargetDirectory> dir = TargetDirectory::Open(dirPath);
    if (!dir) {
        return IoError::FromErrno(targetPath, dir.Error().errorNumber);
    }
    IoResult<std::optional<struct stat>> existing = ExistingFile(*dir, name, targetPath);
    if (!existing) {
        return existing.Error();
    }
    if (*existing && S_ISCHR((*existing)->st_mode)) {
        // A device (/dev/null, where settings are thrown away) is written
        // in place: replacing it would break the system.
        IoResult<FileDescriptor> device = dir->OpenDevice(name);
        if (!device) {
            return device.Error();
        }
        OutputFile output(std::move(*device), targetPath);
        return AtomicFile(std::move(*dir), std::string(), std::move(name), std::move(output));
    }
    dir->RemoveStaleTemps(IsOwnKey);
    static std::atomic<unsigned> counter{0};
    std::string key = kKeyLetter + std::to_string(counter++);
    IoResult<FileDescriptor> fd = dir->CreateTemp(key, name, kNewFileMode);
    if (!fd) {
        return fd.Error();
    }
    if (*existing) {
        KeepAttributes(fd->Get(), **existing);
    }
    OutputFile output(std::move(*fd), targetPath);
    return AtomicFile(std::move(*dir), std::move(key), std::move(name), std::move(output));
}

AtomicFile::AtomicFile(TargetDirectory dir, std::string key, std::string name, OutputFile output)
    : dir_(std::move(dir)), key_(std::move(key)), name_(std::move(name)), output_(std::move(output))
{
}

AtomicFile::~AtomicFile()
{
    if (!dir_.IsOpen() || committed_) {
        return;
    }
    if (InPlace()) {
        output_.Discard();
        return;
    }
    // The file is given up and removed; how its writing ended no longer matters.
    (void)output_.Finish();
    dir_.RemoveTemp(key_);
}

std::optional<IoError> AtomicFile::Commit()
{
    committed_ = true;
    std::optional<IoError> error = output_.Finish();
    if (InPlace()) {
        return error;
    }
    if (!error) {
        error = dir_.CommitTempOverRegular(key_, name_);
    }
    if (error) {
        dir_.RemoveTemp(key_);
    }
    return error;
}

} // namespace harrowdeck
