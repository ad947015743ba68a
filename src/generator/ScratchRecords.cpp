// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScratchRecords.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace harrowdeck {

namespace {

constexpr std::size_t kChunk = std::size_t{64} << 10;
using Length = std::uint32_t;

} // namespace

ScratchRecords::ScratchRecords(FileDescriptor fd, std::string shownPath)
    : fd_(std::move(fd)), shownPath_(std::move(shownPath))
{
}

std::uint64_t ScratchRecords::Append(std::string_view bytes)
{
    const std::uint64_t offset = End();
    // Lines are capped far below 4 GiB, so a record always fits its length.
    const auto length = static_cast<Length>(bytes.size());
    pending_.append(reinterpret_cast<const char*>(&length), sizeof length);
    pending_.append(bytes);
    if (pending_.size() >= kChunk) {
        Flush();
    }
    return offset;
}

void ScratchRecords::Flush()
{
    std::size_t done = 0;
    while (!error_ && done < pending_.size()) {
        const ssize_t count = ::pwrite(fd_.Get(), pending_.data() + done, pending_.size() - done,
                                       static_cast<off_t>(written_ + done));
        if (count < 0) {
            if (errno != EINTR) {
                Fail(errno);
            }
            continue;
        }
        done += static_cast<std::size_t>(count);
    }
    written_ += pending_.size();
    pending_.clear();
}

bool ScratchRecords::ReadBytes(std::uint64_t offset, char* out, std::size_t size)
{
    if (offset + size > written_) {
        Flush();
    }
    while (size > 0 && !error_) {
        if (offset >= windowStart_ && offset < windowStart_ + window_.size()) {
            const std::size_t from = static_cast<std::size_t>(offset - windowStart_);
            const std::size_t take = std::min(size, window_.size() - from);
            std::memcpy(out, window_.data() + from, take);
            out += take;
            offset += take;
            size -= take;
            continue;
        }
        window_.resize(std::max(kChunk, size));
        const ssize_t count = ::pread(fd_.Get(), window_.data(), window_.size(), static_cast<off_t>(offset));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            Fail(count < 0 ? errno : EIO);
            window_.clear();
            return false;
        }
        window_.resize(static_cast<std::size_t>(count));
        windowStart_ = offset;
    }
    return !error_;
}

std::optional<std::uint64_t> ScratchRecords::Read(std::uint64_t offset, std::string& out)
{
    Length length = 0;
    if (!ReadBytes(offset, reinterpret_cast<char*>(&length), sizeof length)) {
        return std::nullopt;
    }
    out.resize(length);
    if (!ReadBytes(offset + sizeof length, out.data(), length)) {
        return std::nullopt;
    }
    return offset + sizeof length + length;
}

void ScratchRecords::Fail(int errorNumber)
{
    if (!error_) {
        error_ = IoError::FromErrno(shownPath_, errorNumber);
    }
}

} // namespace harrowdeck
