// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScratchRecords.h"

#include <unistd.h>

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

std::uint64_t ScratchRecords::Append(std::string_view bytes)
{
    const std::uint64_t offset = End();
    // Lines are capped far below 4 GiB, so a record always fits its length.
    const auto length = static_cast<Length>(bytes.size());
    const std::string_view lengthBytes(reinterpret_cast<const char*>(&length), sizeof length);
    if (pending_.size() + lengthBytes.size() + bytes.size() > kChunk) {
        Flush();
    }
    if (lengthBytes.size() + bytes.size() > kChunk) {
        // Too large to gather: straight through, so that it is never copied.
        WriteAt(written_, lengthBytes);
        WriteAt(written_ + lengthBytes.size(), bytes);
        written_ += lengthBytes.size() + bytes.size();
        return offset;
    }
    pending_.append(lengthBytes).append(bytes);
    return offset;
}

void ScratchRecords::Flush()
{
    WriteAt(written_, pending_);
    written_ += pending_.size();
    pending_.clear();
}

void ScratchRecords::WriteAt(std::uint64_t offset, std::string_view bytes)
{
    if (error_) {
        return;
    }
    if (const int error = fd_.WriteAllAt(bytes, offset); error != 0) {
        Fail(error);
    }
}

// Recent records are read from the memory that still gathers them, older
// ones through a window on the file, so that looking up the folder just
// opened costs neither a write nor a read.
template <typename Take>
bool ScratchRecords::ReadPieces(std::uint64_t offset, std::uint64_t size, Take take)
{
    while (size > 0 && !error_) {
        std::string_view piece;
        if (offset >= written_) {
            const auto from = static_cast<std::size_t>(offset - written_);
            if (from >= pending_.size()) {
                Fail(EIO); // no record there
                break;
            }
            piece = std::string_view(pending_).substr(from);
        } else if (offset >= windowStart_ && offset < windowStart_ + windowSize_) {
            const auto from = static_cast<std::size_t>(offset - windowStart_);
            piece = std::string_view(window_.get() + from, windowSize_ - from);
        } else {
            FillWindow(offset);
            continue;
        }
        piece = piece.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(size, piece.size())));
        take(piece);
        offset += piece.size();
        size -= piece.size();
    }
    return !error_;
}

void ScratchRecords::FillWindow(std::uint64_t offset)
{
    windowSize_ = 0;
    for (;;) {
        const ssize_t count = ::pread(fd_.Get(), window_.get(), kChunk, static_cast<off_t>(offset));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            Fail(count < 0 ? errno : EIO);
            return;
        }
        windowStart_ = offset;
        windowSize_ = static_cast<std::size_t>(count);
        return;
    }
}

std::optional<ScratchRecords::Length> ScratchRecords::ReadLength(std::uint64_t offset)
{
    Length length = 0;
    char* out = reinterpret_cast<char*>(&length);
    const bool read = ReadPieces(offset, sizeof length, [&out](std::string_view piece) {
        std::memcpy(out, piece.data(), piece.size());
        out += piece.size();
    });
    return read ? std::optional<Length>(length) : std::nullopt;
}

std::optional<std::uint64_t> ScratchRecords::Read(std::uint64_t offset, std::string& out)
{
    const std::optional<Length> length = ReadLength(offset);
    out.clear();
    if (!length ||
        !ReadPieces(offset + sizeof(Length), *length, [&out](std::string_view piece) { out.append(piece); })) {
        return std::nullopt;
    }
    return offset + sizeof(Length) + *length;
}

std::optional<std::uint64_t> ScratchRecords::CopyTo(std::uint64_t offset, OutputFile& file)
{
    const std::optional<Length> length = ReadLength(offset);
    if (!length ||
        !ReadPieces(offset + sizeof(Length), *length, [&file](std::string_view piece) { file.Append(piece); })) {
        return std::nullopt;
    }
    return offset + sizeof(Length) + *length;
}

std::optional<std::uint64_t> ScratchRecords::Skip(std::uint64_t offset)
{
    const std::optional<Length> length = ReadLength(offset);
    if (!length) {
        return std::nullopt;
    }
    return offset + sizeof(Length) + *length;
}

void ScratchRecords::Fail(int errorNumber)
{
    if (!error_) {
        error_ = IoError::FromErrno(shownPath_, errorNumber);
    }
}

} // namespace harrowdeck
