// SPDX-License-Identifier: GPL-3.0-or-later
#include "posix/ReplaceRule.h"

#include "FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#if HARROWDECK_LINUX_CALLS
#include <linux/capability.h>
#include <sys/syscall.h>
#endif

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <string_view>

namespace harrowdeck {

namespace {

#if HARROWDECK_LINUX_CALLS

bool HasEffectiveFowner() noexcept
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (::syscall(SYS_capget, &header, data) != 0) {
        return ::geteuid() == 0;
    }
    return (data[CAP_FOWNER / 32].effective & (1U << (CAP_FOWNER % 32))) != 0;
}

std::string_view SkipBlanks(std::string_view text) noexcept
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n')) {
        text.remove_prefix(1);
    }
    return text;
}

// Whether id is mapped in this process's user namespace, by its map file
// (/proc/self/uid_map or gid_map): lines of "inside outside count". A file
// whose owner is not mapped shows the overflow id, which no map holds.
bool IsMapped(const char* mapPath, std::uint64_t id) noexcept
{
    const FileDescriptor fd(::open(mapPath, O_RDONLY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        return true; // without /proc: nothing tells of a namespace
    }
    char buffer[4096];
    std::size_t size = 0;
    for (;;) {
        const long count = fd.Read(buffer + size, sizeof buffer - size);
        if (count <= 0) {
            break;
        }
        size += static_cast<std::size_t>(count);
    }
    std::string_view text(buffer, size);
    for (;;) {
        std::uint64_t numbers[3] = {};
        for (std::uint64_t& number : numbers) {
            text = SkipBlanks(text);
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
            if (error != std::errc()) {
                return false;
            }
            text.remove_prefix(static_cast<std::size_t>(end - text.data()));
        }
        if (id >= numbers[0] && id - numbers[0] < numbers[2]) {
            return true;
        }
    }
}

bool MayOverruleOwner(uid_t owner, gid_t group) noexcept
{
    return IsMapped("/proc/self/uid_map", owner) && IsMapped("/proc/self/gid_map", group);
}

#else

// Without capabilities, root is the one user privileged over every file.
bool HasEffectiveFowner() noexcept
{
    return ::geteuid() == 0;
}

bool MayOverruleOwner(uid_t /*owner*/, gid_t /*group*/) noexcept
{
    return true;
}

#endif

} // namespace

ReplaceRule ReplaceRule::For(int dirFd, uid_t writer) noexcept
{
    ReplaceRule rule;
    rule.writer_ = writer;
    struct stat info {};
    if (::fstat(dirFd, &info) == 0) {
        rule.sticky_ = (info.st_mode & S_ISVTX) != 0;
        rule.dirOwner_ = info.st_uid;
        rule.dirDevice_ = info.st_dev;
    }
    return rule;
}

#if HARROWDECK_LINUX_CALLS

int ReplaceRule::Check(int dirFd, const char* name) const noexcept
{
    struct statx target {};
    if (::statx(dirFd, name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_UID | STATX_GID, &target) != 0) {
        // A name that cannot be looked at fails the rename itself.
        return errno == ENOENT ? ENOENT : 0;
    }
    if (S_ISDIR(target.stx_mode)) {
        return EISDIR;
    }
    if ((target.stx_attributes & (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND)) != 0) {
        return EPERM;
    }
    if ((target.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0) {
        return EBUSY;
    }
    return CheckOwner(target.stx_uid, target.stx_gid);
}

#else

int ReplaceRule::Check(int dirFd, const char* name) const noexcept
{
    struct stat target {};
    if (::fstatat(dirFd, name, &target, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? ENOENT : 0;
    }
    if (S_ISDIR(target.st_mode)) {
        return EISDIR;
    }
    // A file of another file system than its directory's is mounted there.
    if (target.st_dev != dirDevice_) {
        return EBUSY;
    }
    return CheckOwner(target.st_uid, target.st_gid);
}

#endif

int ReplaceRule::CheckOwner(uid_t owner, gid_t group) const noexcept
{
    if (sticky_ && owner != writer_ && dirOwner_ != writer_ && !MayOverrule(owner, group)) {
        return EPERM;
    }
    return 0;
}

bool ReplaceRule::MayOverrule(uid_t owner, gid_t group) const noexcept
{
    if (!hasFowner_) {
        hasFowner_ = HasEffectiveFowner();
    }
    if (!*hasFowner_) {
        return false;
    }
    // The pages of one set mostly share their owner: asked once for them.
    if (lastOwner_ != owner || lastGroup_ != group) {
        lastOwner_ = owner;
        lastGroup_ = group;
        lastMayOverrule_ = MayOverruleOwner(owner, group);
    }
    return lastMayOverrule_;
}

} // namespace harrowdeck
