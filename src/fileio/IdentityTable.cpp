// SPDX-License-Identifier: GPL-3.0-or-later
#include "IdentityTable.h"

#include <algorithm>
#include <cerrno>
#include <string_view>

namespace harrowdeck {

namespace {

constexpr std::uint64_t kSlot = sizeof(std::uint64_t);

} // namespace

IdentityTable::IdentityTable() : window_(std::make_unique<std::uint64_t[]>(kWindowKeys)) {}

std::optional<IoError> IdentityTable::Set(const TargetDirectory& dir, std::uint64_t key, std::uint64_t value)
{
    if (key >= first_ + kWindowKeys) {
        if (auto error = MoveWindow(dir, key - key % kWindowKeys)) {
            return error;
        }
    }
    if (key >= first_) {
        window_[key - first_] = value;
        written_ = true;
        return std::nullopt;
    }
    if (auto error = EnsureScratch(dir)) {
        return error;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(&value), kSlot);
    if (const int error = scratch_.WriteAllAt(bytes, key * kSlot); error != 0) {
        return Failure(dir, error);
    }
    return std::nullopt;
}

IoResult<std::uint64_t> IdentityTable::Get(const TargetDirectory& dir, std::uint64_t key)
{
    if (written_ && key >= first_ + kWindowKeys) {
        if (auto error = EnsureScratch(dir)) {
            return *error;
        }
    }
    std::uint64_t value = 0;
    if (const int error = Find(key, value); error != 0) {
        return Failure(dir, error);
    }
    return value;
}

int IdentityTable::Find(std::uint64_t key, std::uint64_t& value) noexcept
{
    if (key >= first_ + kWindowKeys) {
        if (const int error = Shift(key - key % kWindowKeys); error != 0) {
            return error;
        }
    }
    if (key >= first_) {
        value = window_[key - first_];
        return 0;
    }
    value = 0;
    if (!scratch_.IsOpen()) {
        return 0;
    }
    std::size_t count = 0;
    if (const int error = scratch_.ReadSomeAt(reinterpret_cast<char*>(&value), kSlot, key * kSlot, count); error != 0) {
        return error;
    }
    // Past the file's end, or short: a key never set.
    if (count != kSlot) {
        value = 0;
    }
    return 0;
}

std::optional<IoError> IdentityTable::Rewind(const TargetDirectory& dir)
{
    return first_ == 0 ? std::nullopt : MoveWindow(dir, 0);
}

int IdentityTable::Restart() noexcept
{
    return first_ == 0 ? 0 : Shift(0);
}

std::optional<IoError> IdentityTable::MoveWindow(const TargetDirectory& dir, std::uint64_t first)
{
    if (written_) {
        if (auto error = EnsureScratch(dir)) {
            return error;
        }
    }
    if (const int error = Shift(first); error != 0) {
        return Failure(dir, error);
    }
    return std::nullopt;
}

int IdentityTable::Shift(std::uint64_t first) noexcept
{
    if (written_) {
        if (!scratch_.IsOpen()) {
            return EBADF;
        }
        const std::string_view bytes(reinterpret_cast<const char*>(window_.get()), kWindowKeys * kSlot);
        if (const int error = scratch_.WriteAllAt(bytes, first_ * kSlot); error != 0) {
            return error;
        }
        written_ = false;
    }
    first_ = first;
    if (!scratch_.IsOpen()) {
        std::fill_n(window_.get(), kWindowKeys, 0);
        return 0;
    }
    return ReadWindow();
}

std::optional<IoError> IdentityTable::EnsureScratch(const TargetDirectory& dir)
{
    if (scratch_.IsOpen()) {
        return std::nullopt;
    }
    IoResult<FileDescriptor> fd = dir.CreateScratch();
    if (!fd) {
        return fd.Error();
    }
    scratch_ = std::move(*fd);
    return std::nullopt;
}

// A window past the file's end, wholly or in part, holds keys never set.
int IdentityTable::ReadWindow() noexcept
{
    char* out = reinterpret_cast<char*>(window_.get());
    std::uint64_t done = 0;
    while (done < kWindowKeys * kSlot) {
        std::size_t count = 0;
        if (const int error = scratch_.ReadSomeAt(out + done, kWindowKeys * kSlot - done, first_ * kSlot + done, count);
            error != 0) {
            return error;
        }
        if (count == 0) {
            break;
        }
        done += count;
    }
    std::fill(out + done, out + kWindowKeys * kSlot, 0);
    return 0;
}

IoError IdentityTable::Failure(const TargetDirectory& dir, int errorNumber) const
{
    return IoError::FromErrno(dir.ShownPath(""), errorNumber);
}

} // namespace harrowdeck
