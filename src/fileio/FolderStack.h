// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PageSet.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace harrowdeck {

// A folder whose end line has not been read yet.
struct OpenFolder {
    std::uint64_t key = 0;         // its folder line's ordinal; the root is 0
    std::uint64_t nameRecord = 0;  // its own name among the scratch records
    std::uint64_t pathRecord = 0;  // the names its page and index entry show
    std::uint64_t shownNumber = 0; // its page's number in errors; 0: no page yet
    bool pageBelow = false;        // a folder inside it has a page
    std::uint64_t innerLists = 0;  // lists open inside it that no folder owns
};

// The open folders, innermost last. Deep nesting moves the outer ones to an
// unnamed scratch file a block at a time, so that memory stays flat however
// deep an export nests; the innermost few are always in memory.
class FolderStack {
public:
    // How many of the innermost folders Below can reach.
    static constexpr std::size_t kAtHand = 4;

    explicit FolderStack(PageSet& pages) : pages_(pages) {}

    [[nodiscard]] bool Empty() const { return Size() == 0; }
    [[nodiscard]] std::uint64_t Size() const { return spilled_ + top_.size(); }
    [[nodiscard]] OpenFolder& Top() { return top_.back(); }
    // The folder `levels` levels out from the innermost, fewer than kAtHand.
    [[nodiscard]] const OpenFolder& Below(std::size_t levels) const { return top_[top_.size() - 1 - levels]; }

    // Both fail only when the scratch file does.
    [[nodiscard]] std::optional<IoError> Push(const OpenFolder& folder);
    [[nodiscard]] IoResult<OpenFolder> Pop();

private:
    [[nodiscard]] std::optional<IoError> Spill();
    [[nodiscard]] std::optional<IoError> Unspill();
    [[nodiscard]] IoError Failure(int errorNumber) const;

    PageSet& pages_;
    std::vector<OpenFolder> top_;
    std::uint64_t spilled_ = 0; // the outermost folders, in the file by depth
    FileDescriptor file_;
};

} // namespace harrowdeck
