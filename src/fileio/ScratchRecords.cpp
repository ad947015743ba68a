// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScratchRecords.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace harrowdeck {

namespace {

constexpr std::size_t kChunk = std::size_t{64} << 10;

} // namespace

ScratchRecords::ScratchRecords(FileDescriptor fd, std::string shownPath)
    : fd_(std::move(fd)), shownPath_(std::move(shownPath)), window_(std::make_unique_for_overwrite<char[]>(kChunk))
{
}

IoResult<std::uint64_t> ScratchRecords::Append(std::string_view bytes)
{
    const std::uint64_t offset = End();
    // Lines are capped far below 4 GiB, so a record always fits its length.
    const auto length = static_cast<Length>(bytes.size());
    const std::string_view lengthBytes(reinterpret_cast<const char*>(&length), sizeof length);
    if (pending_.size() + lengthBytes.size() + bytes.size() > kChunk) {
        if (auto error = Flush()) {
            return *error;
        }
    }
    if (lengthBytes.size() + bytes.size() > kChunk) {
        // Too large to gather: straight through, so that it is never copied.
        if (auto error = WriteAt(written_, lengthBytes)) {
            return *error;
        }
        if (auto error = WriteAt(written_ + lengthBytes.size(), bytes)) {
            return *error;
        }
        written_ += lengthBytes.size() + bytes.size();
        return offset;
    }
    pending_.append(lengthBytes).append(bytes);
    return offset;
}

std::optional<IoError> ScratchRecords::Patch(std::uint64_t offset, std::size_t at, std::string_view bytes)
{
    const std::uint64_t from = offset + kHeaderSize + at;
    if (from + bytes.size() > End()) {
        return Failure(EINVAL);
    }
    // What is still gathered in memory changes there, the rest in the file
    // and in the window that may hold a copy of it.
    if (from + bytes.size() > written_) {
        const std::uint64_t gathered = std::max(from, written_);
        const std::string_view tail = bytes.substr(static_cast<std::size_t>(gathered - from));
        pending_.replace(static_cast<std::size_t>(gathered - written_), tail.size(), tail);
        bytes.remove_suffix(tail.size());
    }
    if (bytes.empty()) {
        return std::nullopt;
    }
    if (from < windowStart_ + windowSize_ && windowStart_ < from + bytes.size()) {
        windowSize_ = 0;
    }
    return WriteAt(from, bytes);
}

std::optional<IoError> ScratchRecords::Flush()
{
    if (auto error = WriteAt(written_, pending_)) {
        return error;
    }
    written_ += pending_.size();
    pending_.clear();
    return std::nullopt;
}

std::optional<IoError> ScratchRecords::WriteAt(std::uint64_t offset, std::string_view bytes)
{
    if (const int error = fd_.WriteAllAt(bytes, offset); error != 0) {
        return Failure(error);
    }
    return std::nullopt;
}

// Recent records are read from the memory that still gathers them, older
// ones through a window on the file, so that looking up the folder just
// opened costs neither a write nor a read.
template <typename Take>
std::optional<IoError> ScratchRecords::ReadPieces(std::uint64_t offset, std::uint64_t size, Take take)
{
    while (size > 0) {
        std::string_view piece;
        if (offset >= written_) {
            const auto from = static_cast<std::size_t>(offset - written_);
            if (from >= pending_.size()) {
                return Failure(EIO); // no record there
            }
            piece = std::string_view(pending_).substr(from);
        } else if (offset >= windowStart_ && offset < windowStart_ + windowSize_) {
            const auto from = static_cast<std::size_t>(offset - windowStart_);
            piece = std::string_view(window_.get() + from, windowSize_ - from);
        } else {
            if (auto error = FillWindow(offset)) {
                return error;
            }
            continue;
        }
        piece = piece.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(size, piece.size())));
        take(piece);
        offset += piece.size();
        size -= piece.size();
    }
    return std::nullopt;
}

std::optional<IoError> ScratchRecords::FillWindow(std::uint64_t offset)
{
    windowSize_ = 0;
    std::size_t count = 0;
    if (const int error = fd_.ReadSomeAt(window_.get(), kChunk, offset, count); error != 0 || count == 0) {
        return Failure(error != 0 ? error : EIO);
    }
    windowStart_ = offset;
    windowSize_ = count;
    return std::nullopt;
}

IoResult<ScratchRecords::Length> ScratchRecords::ReadLength(std::uint64_t offset)
{
    Length length = 0;
    char* out = reinterpret_cast<char*>(&length);
    if (auto error = ReadPieces(offset, sizeof length, [&out](std::string_view piece) {
            std::memcpy(out, piece.data(), piece.size());
            out += piece.size();
        })) {
        return *error;
    }
    return length;
}

IoResult<std::uint64_t> ScratchRecords::Read(std::uint64_t offset, std::string& out)
{
    out.clear();
    IoResult<Length> length = ReadLength(offset);
    if (!length) {
        return length.Error();
    }
    if (auto error = ReadPieces(offset + kHeaderSize, *length, [&out](std::string_view piece) { out.append(piece); })) {
        return *error;
    }
    return offset + kHeaderSize + *length;
}

IoResult<std::uint64_t> ScratchRecords::CopyTo(std::uint64_t offset, OutputFile& file)
{
    IoResult<Length> length = ReadLength(offset);
    if (!length) {
        return length.Error();
    }
    if (auto error =
            ReadPieces(offset + kHeaderSize, *length, [&file](std::string_view piece) { file.Append(piece); })) {
        return *error;
    }
    return offset + kHeaderSize + *length;
}

IoResult<std::uint64_t> ScratchRecords::Skip(std::uint64_t offset)
{
    IoResult<Length> length = ReadLength(offset);
    if (!length) {
        return length.Error();
    }
    return offset + kHeaderSize + *length;
}

IoError ScratchRecords::Failure(int errorNumber) const
{
    return IoError::FromErrno(shownPath_, errorNumber);
}

} // namespace harrowdeck
