// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IoError.h"
#include "OutputFile.h"
#include "TargetDirectory.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harrowdeck {

// The files one run writes into its destination directory. Every page is
// written under a temporary name while the export is read, and only Commit
// renames them over their targets, so that a run that fails or is stopped
// leaves the previous run's pages exactly as they were. The directory is
// held open and locked for the whole run: a second run into it fails at
// once instead of mixing its pages with ours, and a directory renamed or
// swapped by name mid-run still gets every page of this run.
class PageSet {
public:
    // Opens and locks destDir and removes what killed runs left there. A
    // destination locked by another run fails with EWOULDBLOCK.
    [[nodiscard]] static IoResult<PageSet> Open(const std::string& destDir);

    PageSet(PageSet&&) noexcept = default;
    PageSet& operator=(PageSet&&) = delete;
    PageSet(const PageSet&) = delete;
    PageSet& operator=(const PageSet&) = delete;
    // Removes every temporary file that was not committed.
    ~PageSet();

    // A link page's temporary file. Pages are committed in the order of
    // their keys and numbered 1, 2, ... in that order; shownNumber only
    // names the page in an error.
    [[nodiscard]] IoResult<OutputFile> CreatePage(std::uint64_t key, std::uint64_t shownNumber);
    // Opens a page created earlier to append to it.
    [[nodiscard]] IoResult<OutputFile> ReopenPage(std::uint64_t key, std::uint64_t shownNumber);
    [[nodiscard]] bool HasPage(std::uint64_t key) const { return key < pages_.size() && pages_[key]; }
    [[nodiscard]] std::uint64_t PageCount() const { return pageCount_; }

    [[nodiscard]] IoResult<OutputFile> CreateIndex();
    [[nodiscard]] IoResult<OutputFile> CreateFrameset();

    // An unnamed scratch file in the destination, gone when closed.
    [[nodiscard]] IoResult<FileDescriptor> CreateScratch() { return dir_.CreateScratch(); }

    // Renames the pages in order, then dir.html, then Harrowdeck.html,
    // after checking that nothing in the way would stop a rename midway.
    [[nodiscard]] std::optional<IoError> Commit();

    [[nodiscard]] std::string ShownPath(std::string_view name) const { return dir_.ShownPath(name); }

private:
    explicit PageSet(TargetDirectory dir) : dir_(std::move(dir)) {}

    // The temporary file of one of the two fixed pages.
    [[nodiscard]] IoResult<OutputFile> CreateFixed(std::string_view key, std::string_view name, bool& created);
    // Calls step(temporary key, target name) in commit order until one fails.
    template <typename Step>
    [[nodiscard]] std::optional<IoError> ForEachTarget(Step step) const;
    [[nodiscard]] std::optional<IoError> CheckReplaceable(const std::string& target) const;
    void Abandon();

    TargetDirectory dir_;
    std::vector<bool> pages_; // which keys have a temporary page
    std::uint64_t pageCount_ = 0;
    bool hasIndex_ = false;
    bool hasFrameset_ = false;
};

} // namespace harrowdeck
