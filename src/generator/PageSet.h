// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OutputFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harrowdeck {

// Why a run could not take its destination.
struct DestinationError {
    bool busy = false; // another run holds the destination
    IoError io;
};

// The files one run writes into its destination directory. Every page is
// written under a temporary name while the export is read, and only Commit
// renames them over their targets, so that a run that fails or is stopped
// leaves the previous run's pages exactly as they were. The directory is
// held open and locked for the whole run: a second run into it fails at
// once instead of mixing its pages with ours, and a directory renamed or
// swapped by name mid-run still gets every page of this run.
class PageSet {
public:
    // Opens and locks destDir and removes what killed runs left there.
    [[nodiscard]] static std::optional<PageSet> Open(const std::string& destDir, DestinationError& error);

    PageSet(PageSet&& other) noexcept;
    PageSet& operator=(PageSet&&) = delete;
    PageSet(const PageSet&) = delete;
    PageSet& operator=(const PageSet&) = delete;
    // Removes every temporary file that was not committed.
    ~PageSet();

    // A link page's temporary file. Pages are committed in the order of
    // their keys and numbered 1, 2, ... in that order; shownNumber only
    // names the page in an error.
    [[nodiscard]] std::optional<OutputFile> CreatePage(std::uint64_t key, std::uint64_t shownNumber, IoError& error);
    // Opens a page created earlier to append to it.
    [[nodiscard]] std::optional<OutputFile> ReopenPage(std::uint64_t key, std::uint64_t shownNumber, IoError& error);
    [[nodiscard]] bool HasPage(std::uint64_t key) const { return key < pages_.size() && pages_[key]; }
    [[nodiscard]] std::uint64_t PageCount() const { return pageCount_; }

    [[nodiscard]] std::optional<OutputFile> CreateIndex(IoError& error);
    [[nodiscard]] std::optional<OutputFile> CreateFrameset(IoError& error);

    // An unnamed scratch file in the destination, gone when closed.
    [[nodiscard]] std::optional<FileDescriptor> CreateScratch(IoError& error);

    // Renames the pages in order, then dir.html, then Harrowdeck.html,
    // after checking that nothing in the way would stop a rename midway.
    [[nodiscard]] std::optional<IoError> Commit();

    [[nodiscard]] std::string ShownPath(std::string_view name) const;

private:
    PageSet(FileDescriptor dir, std::string destDir);

    [[nodiscard]] std::optional<FileDescriptor> CreateTemp(const std::string& key, const std::string& shownName,
                                                           IoError& error);
    // Calls step(temporary key, target name) in commit order until one fails.
    template <typename Step>
    [[nodiscard]] std::optional<IoError> ForEachTarget(Step step) const;
    [[nodiscard]] std::optional<IoError> CheckReplaceable(const std::string& target) const;
    void RemoveStaleTemporaries();
    void RemoveTemp(const std::string& key);
    void Abandon();

    FileDescriptor dir_;
    std::string destDir_;
    long pid_ = 0;
    std::vector<bool> pages_; // which keys have a temporary page
    std::uint64_t pageCount_ = 0;
    bool hasIndex_ = false;
    bool hasFrameset_ = false;
};

} // namespace harrowdeck
