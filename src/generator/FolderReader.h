// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ExportReader.h"

#include <memory>
#include <string_view>

namespace harrowdeck {

// Turns the export's lines into pages, one way for each folder mode.
class FolderReader {
public:
    virtual ~FolderReader() = default;

    // Handles one line after the export's first, indentation skipped;
    // false stops the reading, with the failure in Result().
    [[nodiscard]] virtual bool Take(std::string_view line) = 0;
    // The input ended after bytesRead bytes: closes what is open and
    // completes dir.html, reporting progress at bytesRead while it does.
    [[nodiscard]] virtual bool Finish(std::uint64_t bytesRead) = 0;

    void SkipUnreadable() { ++result_.skippedLines; }
    [[nodiscard]] ReadResult& Result() { return result_; }

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

    // Both stop the reading with the failure kept in the result.
    [[nodiscard]] bool Fail(IoError error)
    {
        result_.writeError = std::move(error);
        return false;
    }
    [[nodiscard]] bool Check(const std::optional<IoError>& error) { return !error || Fail(*error); }

    ReadResult result_;
};

[[nodiscard]] std::unique_ptr<FolderReader> MakeTopFolderReader(PageSet& pages, const ReadSettings& settings);
[[nodiscard]] std::unique_ptr<FolderReader> MakeNestedFolderReader(PageSet& pages, const ReadSettings& settings);

} // namespace harrowdeck
