// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileDescriptor.h"
#include "IoError.h"
#include "TargetDirectory.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace harrowdeck {

// A number for each key, 0 until one is set: the inode of each page's
// temporary file, so that its name can be checked against the file that
// was written. Kept in an unnamed scratch file a window of keys at a time,
// so that memory stays flat whatever the number of pages; a run whose keys
// all fit into one window never makes the file. Keys come mostly in rising
// order, so the window only moves forward; a key behind it is read or
// written in the file alone.
class IdentityTable {
public:
    IdentityTable();

    [[nodiscard]] std::optional<IoError> Set(const TargetDirectory& dir, std::uint64_t key, std::uint64_t value);
    [[nodiscard]] IoResult<std::uint64_t> Get(const TargetDirectory& dir, std::uint64_t key);
    // Moves the window back to the first key, for a pass over all of them.
    [[nodiscard]] std::optional<IoError> Rewind(const TargetDirectory& dir);

    // For passes that only read keys already set, which must not allocate:
    // Restart moves the window back to the first key and Find gives a
    // key's value. Each returns 0 or the errno.
    [[nodiscard]] int Restart() noexcept;
    [[nodiscard]] int Find(std::uint64_t key, std::uint64_t& value) noexcept;

private:
    static constexpr std::uint64_t kWindowKeys = 8192;

    [[nodiscard]] std::optional<IoError> MoveWindow(const TargetDirectory& dir, std::uint64_t first);
    // Moves the window without allocating; values not yet written out
    // need the scratch file to exist.
    [[nodiscard]] int Shift(std::uint64_t first) noexcept;
    [[nodiscard]] int ReadWindow() noexcept;
    [[nodiscard]] std::optional<IoError> EnsureScratch(const TargetDirectory& dir);
    [[nodiscard]] IoError Failure(const TargetDirectory& dir, int errorNumber) const;

    std::unique_ptr<std::uint64_t[]> window_;
    std::uint64_t first_ = 0; // the window's first key
    bool written_ = false;    // the window holds values the file lacks
    FileDescriptor scratch_;
};

} // namespace harrowdeck
