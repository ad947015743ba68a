// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderStack.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace harrowdeck {

namespace {

// Folders moved to or from the file at a time: few calls, little memory.
constexpr std::size_t kBlock = 4096;
constexpr std::size_t kEntry = sizeof(OpenFolder);

} // namespace

bool FolderStack::Push(const OpenFolder& folder)
{
    if (top_.size() == 2 * kBlock && !Spill()) {
        return false;
    }
    top_.push_back(folder);
    return true;
}

bool FolderStack::Pop(OpenFolder& folder)
{
    folder = top_.back();
    top_.pop_back();
    return top_.size() >= kAtHand || spilled_ == 0 || Unspill();
}

bool FolderStack::Spill()
{
    if (!file_.IsOpen()) {
        IoResult<FileDescriptor> file = pages_.CreateScratch();
        if (!file) {
            error_ = file.Error();
            return false;
        }
        file_ = std::move(*file);
    }
    const auto* bytes = reinterpret_cast<const char*>(top_.data());
    std::size_t done = 0;
    while (done < kBlock * kEntry) {
        const ssize_t count =
            ::pwrite(file_.Get(), bytes + done, kBlock * kEntry - done, static_cast<off_t>(spilled_ * kEntry + done));
        if (count < 0 && errno != EINTR) {
            return Fail(errno);
        }
        done += count < 0 ? 0 : static_cast<std::size_t>(count);
    }
    top_.erase(top_.begin(), top_.begin() + kBlock);
    spilled_ += kBlock;
    return true;
}

bool FolderStack::Unspill()
{
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, spilled_));
    std::vector<OpenFolder> block(count);
    auto* bytes = reinterpret_cast<char*>(block.data());
    const std::uint64_t from = (spilled_ - count) * kEntry;
    std::size_t done = 0;
    while (done < count * kEntry) {
        const ssize_t read = ::pread(file_.Get(), bytes + done, count * kEntry - done, static_cast<off_t>(from + done));
        if (read == 0) {
            return Fail(EIO);
        }
        if (read < 0 && errno != EINTR) {
            return Fail(errno);
        }
        done += read < 0 ? 0 : static_cast<std::size_t>(read);
    }
    top_.insert(top_.begin(), block.begin(), block.end());
    spilled_ -= count;
    return true;
}

bool FolderStack::Fail(int errorNumber)
{
    error_ = IoError::FromErrno(pages_.ShownPath("dir.html"), errorNumber);
    return false;
}

} // namespace harrowdeck
