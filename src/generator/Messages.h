// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace harrowdeck::messages {

inline constexpr const char* kSourceMissing = "Gloamery source file doesn't exist!";
inline constexpr const char* kDestMissing = "Destination directory doesn't exist!";
inline constexpr const char* kConfirm = "Shall you make a new Harrowdeck file ?";
inline constexpr const char* kNotAnExport = "File is not an Gloamery file!";
inline constexpr const char* kNothingToWrite = "No folder with links was found; nothing was written.";
inline constexpr const char* kDone = "Harrowdeck.html is done!";
inline constexpr const char* kSourceChanged = "the file changed while it was read";

// "Could not write FILE: REASON"
[[nodiscard]] std::string CouldNotWrite(const std::string& path, const std::string& reason);
// "Could not read FILE: REASON"
[[nodiscard]] std::string CouldNotRead(const std::string& path, const std::string& reason);
// "Could not convert FILE: out of memory"
[[nodiscard]] std::string OutOfMemory(const std::string& sourcePath);
// "Another Harrowdeck run is writing into DEST"
[[nodiscard]] std::string DestinationBusy(const std::string& destDir);
// How the window's user, and the command line's, keep the links that the
// classic pages leave out.
inline constexpr const char* kKeepLeftOutInWindow = "Check \"Every folder\" to keep them.";
inline constexpr const char* kKeepLeftOutInCli = "(--folders all keeps them)";

// "N links outside any folder were left out", singular for one.
[[nodiscard]] std::string LeftOutLinks(std::uint64_t count);
// Why nothing was written; when links outside every folder were left out,
// a line with their count and leftOutRemedy, which says how to keep them.
[[nodiscard]] std::string NothingToWrite(std::uint64_t leftOutLinks, const std::string& leftOutRemedy);
// The completion text, with a line for lines that could not be read and
// one for links left out, each only when there were any; the latter ends
// with keepHint when one is given.
[[nodiscard]] std::string Completion(std::uint64_t skippedLines, std::uint64_t leftOutLinks = 0,
                                     const std::string& keepHint = {});

} // namespace harrowdeck::messages
