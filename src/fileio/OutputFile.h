// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileDescriptor.h"
#include "IoError.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace harrowdeck {

// Buffered writing to an open file. A failure is remembered and reported
// once, at Finish, named by the path that the user knows the file by.
class OutputFile {
public:
    OutputFile(FileDescriptor fd, std::string shownPath);
    OutputFile(OutputFile&&) noexcept = default;
    OutputFile& operator=(OutputFile&&) noexcept = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Inline, because the pages are written in many small pieces: only a
    // full buffer costs a call.
    void Append(std::string_view bytes)
    {
        if (bytes.size() <= kBufferSize - used_) {
            // copy_n, unlike memcpy, is defined for an empty view's null data.
            std::copy_n(bytes.data(), bytes.size(), buffer_.get() + used_);
            used_ += bytes.size();
            return;
        }
        AppendInPieces(bytes);
    }
    // One line and its CR LF.
    void WriteLine(std::string_view text)
    {
        Append(text);
        Append("\r\n");
    }
    // Writes what is buffered and closes the file.
    [[nodiscard]] std::optional<IoError> Finish();
    // Writes what is buffered and keeps the file open.
    [[nodiscard]] std::optional<IoError> Flush();
    // Closes the file without writing what is buffered.
    void Discard() noexcept;

    [[nodiscard]] const std::string& ShownPath() const { return shownPath_; }

private:
    // Large enough that a typical page goes out in one write.
    static constexpr std::size_t kBufferSize = std::size_t{64} << 10;

    void AppendInPieces(std::string_view bytes);
    // Writes the buffer out; a failure is remembered for Finish.
    void WriteBuffer();
    void Fail(int errorNumber);
    [[nodiscard]] std::optional<IoError> Failure() const;

    FileDescriptor fd_;
    std::string shownPath_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    int errorNumber_ = 0;
};

} // namespace harrowdeck
