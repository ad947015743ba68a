// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>

namespace harrowdeck::messages {

inline constexpr const char* kSourceMissing = "Gloamery source file doesn't exist!";
inline constexpr const char* kDestMissing = "Destination directory doesn't exist!";
inline constexpr const char* kConfirm = "Shall you make a new Harrowdeck file ?";
inline constexpr const char* kNotAnExport = "File is not an Gloamery file!";
inline constexpr const char* kNothingToWrite = "No folder with links was found; nothing was written.";
inline constexpr const char* kDone = "Harrowdeck.html is done!";

// "Could not write FILE: REASON"
[[nodiscard]] std::string CouldNotWrite(const std::string& path, const std::string& reason);
// "Could not read FILE: REASON"
[[nodiscard]] std::string CouldNotRead(const std::string& path, const std::string& reason);
// The completion text, with a second line when lines were left out.
[[nodiscard]] std::string Completion(std::size_t skippedLines);

} // namespace harrowdeck::messages
