// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <optional>

namespace harrowdeck {

// What keeps rename from replacing a file in a directory, known before the
// first rename, so that a set of pages that cannot be put in place whole
// leaves the previous one as it was. Besides a directory, an immutable or
// append-only file and a mount point, that is the sticky bit of a shared
// directory: there, only the file's owner, the directory's owner or a user
// privileged over the file (CAP_FOWNER, with the file's user and group
// known in its user namespace) may replace a file, as the kernel decides.
class ReplaceRule {
public:
    // dirFd: the directory; writer: the user that renames.
    [[nodiscard]] static ReplaceRule For(int dirFd, uid_t writer) noexcept;

    // The statx mask that Check needs.
    static constexpr unsigned kStatxMask = STATX_TYPE | STATX_UID | STATX_GID;

    // 0 when rename can replace the file statx found, else the errno the
    // rename would fail with.
    [[nodiscard]] int Check(const struct statx& target) const noexcept;

private:
    [[nodiscard]] bool MayOverrule(uid_t owner, gid_t group) const noexcept;

    bool sticky_ = false;
    uid_t dirOwner_ = 0;
    uid_t writer_ = 0;
    // Asked once, when a sticky directory first needs them.
    mutable std::optional<bool> hasFowner_;
    mutable std::optional<uid_t> lastOwner_;
    mutable gid_t lastGroup_ = 0;
    mutable bool lastMayOverrule_ = false;
};

} // namespace harrowdeck
