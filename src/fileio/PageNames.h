// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileName.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace harrowdeck {

// The names of a frameset's files and frames: the file layer writes the
// files under them, and the pages refer to each other by them.

inline constexpr std::string_view kLinkPageSuffix = ".html";

// "n.html" for link page number n, counted from 1 without leading zeros.
[[nodiscard]] inline FileName LinkPageFileName(std::uint64_t number) noexcept
{
    FileName name;
    name.Append(number).Append(kLinkPageSuffix);
    return name;
}

[[nodiscard]] inline std::string LinkPageName(std::uint64_t number)
{
    return std::string(LinkPageFileName(number).View());
}

// The number of the link page named `name`, or nothing when no link page
// has that name.
[[nodiscard]] inline std::optional<std::uint64_t> LinkPageNumber(std::string_view name) noexcept
{
    if (!name.ends_with(kLinkPageSuffix) || name.starts_with('0')) {
        return std::nullopt;
    }
    name.remove_suffix(kLinkPageSuffix.size());
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), number);
    if (error != std::errc() || end != name.data() + name.size() || name.empty()) {
        return std::nullopt;
    }
    return number;
}

inline constexpr std::string_view kIndexPageName = "dir.html";
inline constexpr std::string_view kFramesetPageName = "Harrowdeck.html";

// The left frame shows the index, the right one the link pages.
inline constexpr std::string_view kIndexFrameName = "indexwin";
inline constexpr std::string_view kLinkFrameName = "lankar";

} // namespace harrowdeck
