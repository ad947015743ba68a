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
    ReadResult result_;
};

[[nodiscard]] std::unique_ptr<FolderReader> MakeTopFolderReader(PageSet& pages, const ReadSettings& settings);
[[nodiscard]] std::unique_ptr<FolderReader> MakeNestedFolderReader(PageSet& pages, const ReadSettings& settings);

} // namespace harrowdeck
