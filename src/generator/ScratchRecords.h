// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OutputFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace harrowdeck {

// Length-prefixed records in an unnamed scratch file: what a run must look
// up again later but may not hold in memory, such as every folder's name.
// Records are appended and read back by the offset Append returned.
class ScratchRecords {
public:
    ScratchRecords(FileDescriptor fd, std::string shownPath);

    [[nodiscard]] std::uint64_t Append(std::string_view bytes);
    // Reads the record at offset into out; returns the next record's offset.
    [[nodiscard]] std::optional<std::uint64_t> Read(std::uint64_t offset, std::string& out);
    // The first failure so far.
    [[nodiscard]] const std::optional<IoError>& Error() const { return error_; }

    // Where the next record will go.
    [[nodiscard]] std::uint64_t End() const { return written_ + pending_.size(); }

private:
    void Flush();
    [[nodiscard]] bool ReadBytes(std::uint64_t offset, char* out, std::size_t size);
    void Fail(int errorNumber);

    FileDescriptor fd_;
    std::string shownPath_;
    std::string pending_;     // appended, not yet written
    std::uint64_t written_ = 0;
    std::string window_;      // a read-ahead of the file from windowStart_
    std::uint64_t windowStart_ = 0;
    std::optional<IoError> error_;
};

} // namespace harrowdeck
