// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileDescriptor.h"
#include "IoError.h"
#include "TargetDirectory.h"

#include <string>

namespace harrowdeck {

// What each platform of the file layer provides to its shared code besides
// TargetDirectory's own system calls: posix/ and windows/ each define these.

// The system's text for an errno value that a call on path failed with.
// On Windows a file that another program holds is described by who holds it.
[[nodiscard]] std::string SystemReason(const std::string& path, int errorNumber);

// The file that a write to path lands on: symbolic links at its end are
// followed as opening it would follow them, where the platform has such
// links that a save must keep.
[[nodiscard]] IoResult<std::string> FollowLinks(const std::string& path);

// Whether no process with this id runs any more. A process that cannot be
// told about counts as running.
[[nodiscard]] bool ProcessIsGone(long pid) noexcept;

// Gives a new file the owner, group and permissions of the file it
// replaces, as far as the system lets the writer keep them.
void KeepAttributes(const FileDescriptor& fd, const FileStatus& old) noexcept;

} // namespace harrowdeck
