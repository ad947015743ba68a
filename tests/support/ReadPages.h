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
                                  FolderMode mode = FolderMode::Top, std::uint64_t totalBytes = 0);

// A link line of the export, from where its cuts start, as a page shows
// it without its line end; nothing when the line cannot be cut.
[[nodiscard]] std::optional<std::string> ConvertedLinkLine(std::string_view line, std::string_view targetAttr);

// One entry of dir.html: its folder's depth as the indentation shows it,
// its name, and the page it opens, or 0 for a folder listed without a page.
struct IndexEntry {
    std::size_t depth = 0;
    std::string name;
    std::uint64_t page = 0;
};
// The entry one line of dir.html holds, or nothing when it holds none.
[[nodiscard]] std::optional<IndexEntry> ParseIndexEntry(std::string_view line);

// The entries of dir.html, in order.
[[nodiscard]] std::vector<IndexEntry> IndexEntries(const std::string& dirHtml);
// The names of dir.html's entries that open a page, in order.
[[nodiscard]] std::vector<std::string> IndexNames(const std::string& dirHtml);
// dir.html's entries as readable lines, two blanks a level: "  2.html Tools"
// for an entry that opens 2.html, "  Archive" for one without a page.
[[nodiscard]] std::vector<std::string> IndexTree(const std::string& dirHtml);

} // namespace harrowdeck::test
