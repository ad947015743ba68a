// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ExportReader.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harrowdeck::test {

// What ReadFolders gave, with the folder names as dir.html lists them.
struct PagesRead : ReadResult {
    std::vector<std::string> folderNames;
};

// Reads the lines after a header into dir as a run does, and commits the
// link pages and dir.html unless the reading failed.
[[nodiscard]] PagesRead ReadPages(LineReader& input, const std::string& dir, const std::string& targetAttr,
                                  const std::string& pageBody, const ReadProgress& progress = {},
                                  FolderMode mode = FolderMode::Top);

// A link line of the export, from where its cuts start, as a page shows
// it without its line end; nothing when the line cannot be cut.
[[nodiscard]] std::optional<std::string> ConvertedLinkLine(std::string_view line, std::string_view targetAttr);

// The names of dir.html's entries, in order.
[[nodiscard]] std::vector<std::string> IndexNames(const std::string& dirHtml);

} // namespace harrowdeck::test
