// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderStack.h"

#include "PageNames.h"

#include <algorithm>
#include <string_view>

namespace harrowdeck {

namespace {

// Folders moved to or from the file at a time: few calls, little memory.
constexpr std::size_t kBlock = 4096;
constexpr std::size_t kEntry = sizeof(OpenFolder);

} // namespace

std::optional<IoError> FolderStack::Push(const OpenFolder& folder)
{
    if (top_.size() == 2 * kBlock) {
        if (auto error = Spill()) {
            return error;
        }
    }
    top_.push_back(folder);
    return std::nullopt;
}

IoResult<OpenFolder> FolderStack::Pop()
{
    const OpenFolder folder = top_.back();
    top_.pop_back();
    if (top_.size() < kAtHand && spilled_ > 0) {
        if (auto error = Unspill()) {
            return *error;
        }
    }
    return folder;
}

std::optional<IoError> FolderStack::Spill()
{
    if (!file_.IsOpen()) {
        IoResult<FileDescriptor> file = pages_.CreateScratch();
        if (!file) {
            return file.Error();
        }
        file_ = std::move(*file);
    }
    const std::string_view block(reinterpret_cast<const char*>(top_.data()), kBlock * kEntry);
    if (const int error = file_.WriteAllAt(block, spilled_ * kEntry); error != 0) {
        return Failure(error);
    }
    top_.erase(top_.begin(), top_.begin() + kBlock);
    spilled_ += kBlock;
    return std::nullopt;
}

std::optional<IoError> FolderStack::Unspill()
{
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, spilled_));
    std::vector<OpenFolder> block(count);
    const int error =
        file_.ReadAllAt(reinterpret_cast<char*>(block.data()), count * kEntry, (spilled_ - count) * kEntry);
    if (error != 0) {
        return Failure(error);
    }
    top_.insert(top_.begin(), block.begin(), block.end());
    spilled_ -= count;
    return std::nullopt;
}

// The scratch file has no name; its failure is the index's, which it serves.
IoError FolderStack::Failure(int errorNumber) const
{
    return IoError::FromErrno(pages_.ShownPath(kIndexPageName), errorNumber);
}

} // namespace harrowdeck
