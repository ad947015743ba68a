// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OutputFile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace harrowdeck {

// Length-prefixed records in an unnamed scratch file: what a run must look
// up again later but may not hold in memory, such as every folder's name.
// Records are appended and read back by the offset Append returned. Memory
// stays within two small blocks whatever the size of a record: a large one
// is written straight through and copied out a block at a time. Every call
// that reads or writes the file reports its own failure.
class ScratchRecords {
public:
    ScratchRecords(FileDescriptor fd, std::string shownPath);

    // The new record's offset.
    [[nodiscard]] IoResult<std::uint64_t> Append(std::string_view bytes);
    // Reads a small record at offset into out; gives the next record's
    // offset. Only for records that are known to be small.
    [[nodiscard]] IoResult<std::uint64_t> Read(std::uint64_t offset, std::string& out);
    // Appends the record at offset to file; gives the next record's offset.
    [[nodiscard]] IoResult<std::uint64_t> CopyTo(std::uint64_t offset, OutputFile& file);
    // The offset of the record after the one at offset.
    [[nodiscard]] IoResult<std::uint64_t> Skip(std::uint64_t offset);
    // Replaces bytes of the record at offset, from its byte `at` on, in
    // place: for what is known about a record only after it was appended.
    [[nodiscard]] std::optional<IoError> Patch(std::uint64_t offset, std::size_t at, std::string_view bytes);

private:
    using Length = std::uint32_t;
    static constexpr std::uint64_t kHeaderSize = sizeof(Length);

    [[nodiscard]] std::uint64_t End() const { return written_ + pending_.size(); }
    [[nodiscard]] std::optional<IoError> Flush();
    [[nodiscard]] std::optional<IoError> WriteAt(std::uint64_t offset, std::string_view bytes);
    [[nodiscard]] std::optional<IoError> FillWindow(std::uint64_t offset);
    [[nodiscard]] IoResult<Length> ReadLength(std::uint64_t offset);
    // Calls take(piece) for consecutive pieces of [offset, offset + size).
    template <typename Take>
    [[nodiscard]] std::optional<IoError> ReadPieces(std::uint64_t offset, std::uint64_t size, Take take);
    [[nodiscard]] IoError Failure(int errorNumber) const;

    FileDescriptor fd_;
    std::string shownPath_;
    std::string pending_; // appended, not yet written
    std::uint64_t written_ = 0;
    std::unique_ptr<char[]> window_; // a read-ahead of the file from windowStart_
    std::size_t windowSize_ = 0;
    std::uint64_t windowStart_ = 0;
};

} // namespace harrowdeck
