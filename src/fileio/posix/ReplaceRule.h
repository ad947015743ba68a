// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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
// Without Linux's calls, immutable files go unseen (their rename fails
// later, and the next run completes the set) and only root is privileged.
class ReplaceRule {
public:
    // dirFd: the directory; writer: the user that renames.
    [[nodiscard]] static ReplaceRule For(int dirFd, uid_t writer) noexcept;

    // 0 when rename can replace what name in the directory is, ENOENT when
    // it names nothing, else the errno the rename would fail with.
    [[nodiscard]] int Check(int dirFd, const char* name) const noexcept;

private:
    [[nodiscard]] int CheckOwner(uid_t owner, gid_t group) const noexcept;
    [[nodiscard]] bool MayOverrule(uid_t owner, gid_t group) const noexcept;

    bool sticky_ = false;
    uid_t dirOwner_ = 0;
    dev_t dirDevice_ = 0;
    uid_t writer_ = 0;
    // Asked once, when a sticky directory first needs them.
    mutable std::optional<bool> hasFowner_;
    mutable std::optional<uid_t> lastOwner_;
    mutable gid_t lastGroup_ = 0;
    mutable bool lastMayOverrule_ = false;
};

} // namespace harrowdeck
