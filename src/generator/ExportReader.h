// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LineReader.h"
#include "OutputFile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harrowdeck {

// True when the line begins with the export's "<!DOCTYPE FIRSTFLOOR".
[[nodiscard]] bool IsExportHeader(std::string_view line);

// The name of a folder line "<DT><H3 ...>Name</H3>": the first four
// characters go, then the text after the first ">" up to the next "<".
// Nothing when the name has no "<" after it.
[[nodiscard]] std::optional<std::string> ExtractFolderName(std::string_view line);

// A link line "<DT><A HREF="addr" ATTRS>Text</A>" becomes
// "<A HREF="addr"" + targetAttr + ">Text</A><BR>": the address stays, the
// attributes after it give way to the target. Nothing when the address has
// no closing quote or the tag no ">".
[[nodiscard]] std::optional<std::string> ConvertLinkLine(std::string_view line, std::string_view targetAttr);

// Told how many bytes have been read; returning false cancels the reading.
using ReadProgress = std::function<bool(std::uint64_t bytesRead)>;

struct ReadResult {
    std::vector<std::string> folderNames; // folder i's name at index i - 1
    std::size_t linksWritten = 0;
    std::size_t skippedLines = 0;          // lines that could not be cut
    std::optional<IoError> writeError;     // a link page that failed
    std::optional<int> readError;          // errno of a failed read
    bool cancelled = false;
};

// Reads the export after its first line and writes one link page per folder
// that has links, as soon as the folder ends. Folders inside a folder add
// their links to the outermost one. Stops at the end of the input, at the
// first failure, or when progress cancels.
[[nodiscard]] ReadResult ReadFolders(LineReader& input, const std::string& destDir, const std::string& targetAttr,
                                     const std::string& pageBodyTag, const ReadProgress& progress = {});

} // namespace harrowdeck
