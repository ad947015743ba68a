// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace harrowdeck {

// Normalises path in place (trailing separator appended) and tells whether it
// names a directory that can be listed, empty directories included. Never
// throws: anything that goes wrong counts as "no".
[[nodiscard]] bool DirExists(std::string& path);

// The fixed start directory that stands in when the caller's one is unusable:
// the user's home directory (given here as home, normally $HOME), or the root
// when home is unset or cannot be listed. Always ends with the separator.
[[nodiscard]] std::string FallbackStartDir(const char* home);

// The chooser's opening step for its start directory: normalises dir in place
// and replaces it by fallback when it is not a listable directory.
void NormaliseStartDir(std::string& dir, const std::string& fallback);

} // namespace harrowdeck
