// SPDX-License-Identifier: GPL-3.0-or-later
#include "Platform.h"

#include "FileProbe.h"

#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace harrowdeck {

namespace {

// As many symlinks as the system follows in one path.
constexpr int kMaxLinks = 40;

} // namespace

std::string SystemReason(const std::string& /*path*/, int errorNumber)
{
    return std::strerror(errorNumber);
}

// A link is followed only when it is the writer's own or root's: another
// user's link in a shared folder could otherwise steer a save made by root
// onto any file, which the system also refuses to open()
// (protected_symlinks).
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

bool ProcessIsGone(long pid) noexcept
{
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// The owner first, as a change of owner may clear set-id bits. Either step
// may fail without harm: only root may give a file away, so the file then
// belongs to its writer, with the bits that the umask left at worst,
// readable and writable by the writer, which is all the program needs.
void KeepAttributes(const FileDescriptor& fd, const FileStatus& old) noexcept
{
    [[maybe_unused]] const int owned = ::fchown(fd.Get(), old.owner, old.group);
    [[maybe_unused]] const int moded = ::fchmod(fd.Get(), old.permissions);
}

} // namespace harrowdeck
