// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputFile.h"

#include <algorithm>
#include <utility>

namespace harrowdeck {

OutputFile::OutputFile(FileDescriptor fd, std::string shownPath)
    : fd_(std::move(fd)), shownPath_(std::move(shownPath)), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize))
{
}

// Whole buffers go out, so that even a name of a megabyte costs few writes.
// After a failure the bytes are dropped at each flush; Finish reports it.
void OutputFile::AppendInPieces(std::string_view bytes)
{
    while (!bytes.empty()) {
        const std::size_t take = std::min(kBufferSize - used_, bytes.size());
        std::copy_n(bytes.data(), take, buffer_.get() + used_);
        used_ += take;
        bytes.remove_prefix(take);
        if (used_ == kBufferSize) {
            WriteBuffer();
        }
    }
}

std::optional<IoError> OutputFile::Flush()
{
    WriteBuffer();
    return Failure();
}

void OutputFile::WriteBuffer()
{
    if (errorNumber_ == 0 && used_ > 0) {
        if (const int error = fd_.WriteAll(std::string_view(buffer_.get(), used_)); error != 0) {
            Fail(error);
        }
    }
    used_ = 0;
}

std::optional<IoError> OutputFile::Finish()
{
    WriteBuffer();
    if (const int closeError = fd_.Close(); closeError != 0) {
        Fail(closeError);
    }
    return Failure();
}

void OutputFile::Discard() noexcept
{
    used_ = 0;
    fd_.Reset();
}

void OutputFile::Fail(int errorNumber)
{
    if (errorNumber_ == 0) {
        errorNumber_ = errorNumber;
    }
}

std::optional<IoError> OutputFile::Failure() const
{
    if (errorNumber_ == 0) {
        return std::nullopt;
    }
    return IoError::FromErrno(shownPath_, errorNumber_);
}

} // namespace harrowdeck
