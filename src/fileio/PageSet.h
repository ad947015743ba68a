// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CommitRecord.h"
#include "FileName.h"
#include "IdentityTable.h"
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
//
// Before the first rename, Commit places a record of what it renames, so
// that a run killed while renaming is completed by the next one that opens
// the directory. Commit's renaming and the removal of a failed run's files
// allocate nothing, so that running out of memory cannot stop them midway.
// Told how far a commit's renaming has got. The renaming cannot be stopped
// once begun, so an observer only watches: it must not throw.
class RenameProgress {
public:
    virtual void Renamed(std::uint64_t done, std::uint64_t total) noexcept = 0;

protected:
    ~RenameProgress() = default;
};

class PageSet {
public:
    // Opens and locks destDir, completes a commit that a killed run left
    // there and removes the temporary files of gone runs. A destination
    // locked by another run fails with an error of the kind Busy.
    [[nodiscard]] static IoResult<PageSet> Open(const std::string& destDir);
    // What Open does to a destination, for a run that stops before it
    // writes: the directory is left with a whole set. Failures go unsaid.
    static void Tidy(const std::string& destDir);

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
    // Opens a page created earlier to append to it. Fails when its
    // temporary name no longer holds the file that was created.
    [[nodiscard]] IoResult<OutputFile> ReopenPage(std::uint64_t key, std::uint64_t shownNumber);
    [[nodiscard]] bool HasPage(std::uint64_t key) const { return key < pages_.size() && pages_[key]; }
    [[nodiscard]] std::uint64_t PageCount() const { return pageCount_; }

    [[nodiscard]] IoResult<OutputFile> CreateIndex();
    [[nodiscard]] IoResult<OutputFile> CreateFrameset();

    // An unnamed scratch file in the destination, gone when closed.
    [[nodiscard]] IoResult<FileDescriptor> CreateScratch() { return dir_.CreateScratch(); }

    // Puts the set in place: first every file whose name is new, renamed
    // only where nothing is under the name yet, then the files that replace
    // the previous set's, each group in the order of the pages, dir.html and
    // Harrowdeck.html. Before the record is placed it checks that every
    // temporary name still holds the file written under it. A new name that
    // someone took meanwhile is judged as any file in the way. Before the
    // first rename that replaces a file, it checks that nothing in the way
    // would stop a rename midway. A failure until then takes the new names
    // back and leaves the previous set whole. After each rename the name
    // must hold the file written. A rename that fails once a file of the
    // previous set is replaced leaves the record, whose next run completes
    // the set. progress, when given, hears of every rename.
    [[nodiscard]] std::optional<IoError> Commit(RenameProgress* progress = nullptr);

    [[nodiscard]] std::string ShownPath(std::string_view name) const { return dir_.ShownPath(name); }

private:
    // One of the two fixed pages.
    struct FixedPage {
        std::string_view key;
        std::string_view name;
        std::optional<FileIdentity> file; // once created
    };

    explicit PageSet(TargetDirectory dir);

    [[nodiscard]] IoResult<OutputFile> CreateFixed(FixedPage& page);
    [[nodiscard]] std::optional<IoError> Remember(std::uint64_t key, const FileDescriptor& fd,
                                                  const std::string& shown);
    [[nodiscard]] IoResult<FileIdentity> PageIdentity(std::uint64_t key);
    // One file of the set as the commit sees it. position counts the files
    // in the order of the pages, dir.html and Harrowdeck.html, from 0.
    struct Target {
        std::string_view key;
        FileName name;
        const FixedPage* fixed; // or nullptr for a link page
        std::uint64_t pageKey;
        std::uint64_t position;
    };
    // Calls step(target) for every file whose position keep accepts, in
    // the order of the pages, until one returns true. Allocates nothing.
    template <typename Keep, typename Step>
    void ForEachTargetIf(Keep keep, Step step);
    template <typename Step>
    void ForEachTarget(Step step);
    // The same for the files whose names are new (or not), in that order.
    template <typename Step>
    void ForEachTargetWhere(bool isNew, Step step);
    // The renaming's state: how far it got and what stopped it, named
    // without allocating.
    struct Renaming {
        RenameProgress* progress = nullptr;
        std::uint64_t done = 0;
        std::uint64_t total = 0;
        std::uint64_t newPlaced = 0; // of the files with new names
        int error = 0;
        bool replaced = false; // a temporary name did not hold its file
        FileName failed;
    };

    // Checks that every temporary name still holds its file, settles which
    // names are new, and writes down what will be renamed, in the order of
    // the renaming.
    [[nodiscard]] std::optional<IoError> CheckAll(CommitRecord& record);
    // Which names the directory holds, when it could be listed.
    [[nodiscard]] bool ListTargets();
    [[nodiscard]] std::optional<IoError> LookAtTarget(const Target& target);
    [[nodiscard]] int IdentityAt(const Target& target, FileIdentity& file) noexcept;
    [[nodiscard]] bool Place(Renaming& renaming, const Target& target, bool isNew) noexcept;
    [[nodiscard]] bool PlaceNewNames(Renaming& renaming) noexcept;
    [[nodiscard]] bool CheckReplacedNames(Renaming& renaming) noexcept;
    void TakeBackNewNames(const Renaming& renaming) noexcept;
    [[nodiscard]] bool ReplaceOldNames(Renaming& renaming) noexcept;
    [[nodiscard]] bool RewindIdentities(Renaming& renaming) noexcept;
    [[nodiscard]] IoError FailureOf(const Renaming& renaming) const;
    void Abandon() noexcept;

    TargetDirectory dir_;
    std::vector<bool> pages_; // which keys have a temporary page
    std::uint64_t pageCount_ = 0;
    IdentityTable inodes_; // of the link pages, by key
    std::optional<std::uint64_t> device_;
    FixedPage index_;
    FixedPage frameset_;
    // By position: whether the name is there before the commit. Sized
    // before the record is placed, so that the renaming allocates nothing.
    std::vector<bool> present_;
    bool renaming_ = false; // the record is placed: its files are the commit's
};

} // namespace harrowdeck
