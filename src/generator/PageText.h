// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IoError.h"
#include "OutputFile.h"
#include "PageNames.h"
#include "RunOptions.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace harrowdeck {

// Every line a run writes is made here. The pages are written a part at a
// time, so that neither a folder's links nor the folder names need to be
// held until a page is complete.

// The BODY lines of the link pages and of the folder index.
struct BodyTags {
    std::string page;
    std::string index;
};

// Picks the BODY lines from the images the user has put into the
// destination: back.gif for every page, dir.gif for the index and file.gif
// for the link pages, a later image overriding an earlier one.
[[nodiscard]] BodyTags ChooseBodyTags(const std::string& destDir);

// The TARGET attribute of every link on the link pages: none for the right
// frame, "_top" for the whole window, "_blank" for a new one.
[[nodiscard]] std::string TargetAttrFor(BrowseMode mode);

// The frameset's COLS value: "25%,75%" in percent mode, "140,*" in pixels.
[[nodiscard]] std::string ColsValue(SizeMode mode, int leftPercent, int leftPixels);

// Puts a folder's name into a page piece by piece, for a name too long to
// hold in memory whole; what it reports stops the page.
using NameWriter = std::function<std::optional<IoError>(OutputFile&)>;

// A page names its encoding (see ExportEncoding.h) in a head after
// "<HTML>", and the frameset in its head, when charset is not empty.

// A link page's lines up to and including its <H3> heading.
void WriteLinkPageHead(OutputFile& file, std::string_view pageBodyTag, std::string_view folderName,
                       std::string_view charset = {});
[[nodiscard]] std::optional<IoError> WriteLinkPageHead(OutputFile& file, std::string_view pageBodyTag,
                                                       const NameWriter& writeName, std::string_view charset = {});

// A link line of the export cut into what its page keeps: the part before
// the target attribute ("<A HREF="addr"") and the part after it
// (">Text</A>"). A link without text gets its address as its text: the
// tail then ends at the tag's ">", and text (the address) and rest (from
// "</A>" on) follow it.
struct LinkCut {
    std::string_view head;
    std::string_view tail;
    std::string_view text;
    std::string_view rest;
};

// One converted link line: the tag's start and address, the target
// attribute, the rest, then the line end.
inline constexpr std::string_view kLinkLineEnd = "<BR>\r\n";

// Inline, because a page is mostly link lines; the pieces one by one, so
// that the constant end is copied without a call.
inline void WriteLinkLine(OutputFile& file, const LinkCut& cut, std::string_view targetAttr)
{
    file.Append(cut.head);
    file.Append(targetAttr);
    file.Append(cut.tail);
    if (!cut.text.empty()) {
        file.Append(cut.text);
        file.Append(cut.rest);
    }
    file.Append(kLinkLineEnd);
}

// The same line as text, for a line that must wait before it is written.
[[nodiscard]] std::string LinkLineText(const LinkCut& cut, std::string_view targetAttr);

// The last two lines of a link page and of the index.
void WritePageEnd(OutputFile& file);

// The index's lines up to and including its heading.
void WriteIndexHead(OutputFile& file, std::string_view indexBodyTag, std::string_view charset = {});
// Entry n opens n.html in the right frame. An index of every folder reads as
// a tree: an entry is indented by kIndentEm a level of its folder's depth,
// the top level at 0, and a tree deeper than kDeepestIndent keeps the
// indentation of that level.
inline constexpr std::size_t kDeepestIndent = 8;
inline constexpr std::size_t kIndentEm = 1;
void WriteIndexEntry(OutputFile& file, std::uint64_t pageNumber, std::string_view folderName);
[[nodiscard]] std::optional<IoError> WriteIndexEntry(OutputFile& file, std::uint64_t pageNumber, std::size_t depth,
                                                     const NameWriter& writeName);
// A folder without a page of its own, listed for the pages below it: its
// name in the tree, not a link.
[[nodiscard]] std::optional<IoError> WriteIndexFolder(OutputFile& file, std::size_t depth, const NameWriter& writeName);

// Harrowdeck.html: the frameset that ties the index and the link pages.
void WriteFrameset(OutputFile& file, SizeMode mode, int leftPercent, int leftPixels, std::string_view charset = {});

} // namespace harrowdeck
