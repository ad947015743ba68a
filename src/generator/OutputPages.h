// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OutputFile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harrowdeck {

// The BODY lines of the link pages and of the folder index.
struct BodyTags {
    std::string page;
    std::string index;
};

// Picks the BODY lines from the images the user has put into the
// destination: back.gif for every page, dir.gif for the index and file.gif
// for the link pages, a later image overriding an earlier one.
[[nodiscard]] BodyTags ChooseBodyTags(const std::string& destDir);

// "n.html" for folder number n (counted from 1).
[[nodiscard]] std::string LinkPageName(std::uint64_t folderNumber);

// The frameset's COLS value: "25%,75%" in percent mode, "140,*" otherwise.
[[nodiscard]] std::string ColsValue(int sizeMode, int leftPercent, int leftPixels);

// The pages are written a part at a time, so that neither a folder's links
// nor the folder names need to be held until a page is complete.
void WriteLinkPageHead(OutputFile& file, std::string_view pageBodyTag, std::string_view folderName);
// Puts a folder's name into a page piece by piece, for a name too long to
// hold in memory whole.
using NameWriter = std::function<void(OutputFile&)>;
void WriteLinkPageHead(OutputFile& file, std::string_view pageBodyTag, const NameWriter& writeName);
// One converted link line, given as the pieces that make it up.
void WriteLinkLine(OutputFile& file, std::string_view head, std::string_view targetAttr, std::string_view tail);
void WritePageEnd(OutputFile& file);
void WriteIndexHead(OutputFile& file, std::string_view indexBodyTag);
// Entry n opens n.html in the right frame.
void WriteIndexEntry(OutputFile& file, std::uint64_t folderNumber, std::string_view folderName);
void WriteIndexEntry(OutputFile& file, std::uint64_t folderNumber, const NameWriter& writeName);
void WriteFrameset(OutputFile& file, int sizeMode, int leftPercent, int leftPixels);

// Each writer creates or replaces one page completely, or leaves the old one
// as it was and returns what failed.
[[nodiscard]] std::optional<IoError> WriteLinkPage(const std::string& path, const std::string& pageBodyTag,
                                                   const std::string& folderName,
                                                   const std::vector<std::string>& linkLines);

// dir.html: one entry per folder, entry i opening i.html in the right frame.
[[nodiscard]] std::optional<IoError> WriteIndexPage(const std::string& destDir, const std::string& indexBodyTag,
                                                    const std::vector<std::string>& folderNames);

// Harrowdeck.html: the frameset that ties the index and the link pages.
[[nodiscard]] std::optional<IoError> WriteFramesetPage(const std::string& destDir, int sizeMode, int leftPercent,
                                                       int leftPixels);

} // namespace harrowdeck
