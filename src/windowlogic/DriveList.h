// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace harrowdeck {

// This platform has no drive letters. The "drives" a user picks from are the
// root, the home directory and the real mounted volumes, each named by the
// directory it is reached at.

// True for a mounted file system a user would store pages on; false for the
// kernel's pseudo file systems, memory-backed ones, read-only package images
// and the system's own mount areas.
[[nodiscard]] bool IsUserVolume(const std::string& fsType, const std::string& mountPoint);

// Builds the drive list: root first, then home, then the volumes in the order
// given, each mount point once. home may be empty.
[[nodiscard]] std::vector<std::string> MakeDriveList(const std::string& home, const std::vector<std::string>& volumes);

// The drive the process is on: the entry that is the longest leading part of
// cwd (0, the root, when none is longer).
[[nodiscard]] std::size_t CurrentDriveIndex(const std::vector<std::string>& drives, const std::string& cwd);

} // namespace harrowdeck
