// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LineReader.h"
#include "PageSet.h"
#include "PageText.h"
#include "RunOptions.h"
#include "UserInterface.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace harrowdeck {

// True when the line begins with the export's "<!DOCTYPE FIRSTFLOOR".
[[nodiscard]] bool IsExportHeader(std::string_view line);

// The first line without a UTF-8 byte-order mark, which many editors write.
[[nodiscard]] std::string_view SkipByteOrderMark(std::string_view firstLine);

// Where the fixed cuts of a line start: after its indentation, and after
// anything before its "<DT>" when other text such as "<HR>" precedes it.
[[nodiscard]] std::string_view EntryStart(std::string_view line);

// The name of a folder line "<DT><H3 ...>Name</H3>": the first four
// characters go, then the text after the first ">" up to the next "<".
// Nothing when the name has no "<" after it.
[[nodiscard]] std::optional<std::string> ExtractFolderName(std::string_view line);

// A link line "<DT><A HREF="addr" ATTRS>Text</A>" cut into the part kept
// before the target attribute ("<A HREF="addr"") and the part after it
// (">Text</A>"); a link whose text is empty or blank shows its address
// instead, so that it can be seen and clicked. Nothing when the address has
// no closing quote or the tag no ">".
[[nodiscard]] std::optional<LinkCut> CutLinkLine(std::string_view line);

// Told how far the reading has got; returning false cancels it.
using ReadProgress = std::function<bool(UserInterface::Stage stage, std::uint64_t done, std::uint64_t total)>;

struct ReadSettings {
    FolderMode mode = FolderMode::Top;
    std::string targetAttr;
    std::string pageBodyTag;
    std::string indexBodyTag;
    std::string charset; // the encoding the pages name; empty for none
    ReadProgress progress;
    std::uint64_t totalBytes = 0; // the export's size, for the progress of the reading
};

// What the reading made of the export.
struct ReadCounts {
    std::uint64_t pagesWritten = 0;
    std::uint64_t linksWritten = 0;
    std::uint64_t skippedLines = 0; // lines that could not be cut
    std::uint64_t leftOutLinks = 0; // links outside every folder, not kept
};

// How the reading ended.
enum class ReadEnd {
    Complete,    // at the end of the input, every page and dir.html written
    ReadFailed,  // the input failed; see error
    WriteFailed, // a page, dir.html or a scratch file failed; see error
    Cancelled,   // progress asked to stop
};

struct ReadResult {
    ReadCounts counts;
    ReadEnd end = ReadEnd::Complete;
    std::optional<IoError> error;
};

// Reads the export after its first line into pages: each link page and
// dir.html go into their temporary files in pages, to be committed by the
// caller. Stops at the end of the input, at the first failure, or when
// progress cancels.
[[nodiscard]] ReadResult ReadFolders(LineReader& input, PageSet& pages, const ReadSettings& settings);

} // namespace harrowdeck
