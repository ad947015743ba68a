// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileName.h"
#include "IoError.h"
#include "OutputFile.h"
#include "TargetDirectory.h"

#include <optional>
#include <string_view>

namespace harrowdeck {

// The name a placed record has in the directory. Not a temporary name, so
// that no sweep of leftovers takes it.
inline constexpr std::string_view kCommitRecordName = ".harrowdeck-commit";

// What a commit is about to rename, in its order: for each file the
// identity it was written with, its temporary name and its target. Written
// under a temporary name and renamed into place before the first rename,
// so that the record is complete or absent; removed once the last rename
// is done. A run killed in between leaves it, and the next run that opens
// the directory completes the renaming from it before anything else.
class CommitRecord {
public:
    [[nodiscard]] static IoResult<CommitRecord> Create(const TargetDirectory& dir);
    CommitRecord(CommitRecord&& other) noexcept;
    CommitRecord& operator=(CommitRecord&&) = delete;
    CommitRecord(const CommitRecord&) = delete;
    CommitRecord& operator=(const CommitRecord&) = delete;
    // Removes the record's temporary file when it was not placed.
    ~CommitRecord();

    void Add(const FileIdentity& file, const FileName& temp, const FileName& target);
    // Writes the record out and renames it into place.
    [[nodiscard]] std::optional<IoError> Place();

private:
    explicit CommitRecord(const TargetDirectory& dir) : dir_(&dir) {}

    const TargetDirectory* dir_;
    std::optional<OutputFile> output_; // once the file exists
    bool done_ = false;                // placed, or given up
};

// Removes a placed record once its renames are done.
void RemoveCommitRecord(const TargetDirectory& dir) noexcept;

enum class CommitRecovery {
    NoRecord,  // nothing was left to complete
    Completed, // a record was found, acted on and removed
    Kept,      // a record is there that this process may not act on
};

// Completes the commit that a killed run left a record of: renames every
// temporary file the record names that is still there, in the record's
// order, then removes the record. A file is only renamed when it is the
// regular file the record says, owned by this process's user; a record that
// is not this user's own is left alone. Allocates nothing.
[[nodiscard]] CommitRecovery CompleteInterruptedCommit(const TargetDirectory& dir) noexcept;

} // namespace harrowdeck
