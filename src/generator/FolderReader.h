// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ExportReader.h"

#include <memory>
#include <optional>
#include <string_view>

namespace harrowdeck {

// Turns the export's lines into pages, one way for each folder mode. Every
// step reports what stopped it, or nothing to go on.
class FolderReader {
public:
    virtual ~FolderReader() = default;

    // Handles one line after the export's first, indentation skipped.
    [[nodiscard]] virtual std::optional<IoError> Take(std::string_view line) = 0;
    // The input ended: closes what is open and completes dir.html.
    [[nodiscard]] virtual std::optional<IoError> Finish() = 0;

    void SkipUnreadable() { ++counts_.skippedLines; }
    // A line over the length limit was passed over.
    virtual void SkipTooLong() { SkipUnreadable(); }
    [[nodiscard]] const ReadCounts& Counts() const { return counts_; }

protected:
    // The cuts of an entry line, from its "<DT>" on; a line that cannot be
    // cut is counted as skipped.
    [[nodiscard]] std::optional<std::string> CutFolderName(std::string_view line)
    {
        std::optional<std::string> name = ExtractFolderName(EntryStart(line));
        if (!name) {
            SkipUnreadable();
        }
        return name;
    }
    [[nodiscard]] std::optional<LinkCut> CutLink(std::string_view line)
    {
        const std::optional<LinkCut> cut = CutLinkLine(EntryStart(line));
        if (!cut) {
            SkipUnreadable();
        }
        return cut;
    }

    ReadCounts counts_;
};

// A stop asked for by progress, reported as a failure is, so that a reader
// stops one way; ReadFolders tells it apart by its kind.
[[nodiscard]] inline IoError Cancellation(std::string path)
{
    return IoError::Cancelled(std::move(path));
}

[[nodiscard]] std::unique_ptr<FolderReader> MakeTopFolderReader(PageSet& pages, const ReadSettings& settings);
[[nodiscard]] std::unique_ptr<FolderReader> MakeNestedFolderReader(PageSet& pages, const ReadSettings& settings);

} // namespace harrowdeck
