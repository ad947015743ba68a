// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileName.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace harrowdeck {

// The names of a frameset's files and frames: the file layer writes the
// files under them, and the pages refer to each other by them.
inline constexpr std::string_view kIndexPageName = "dir.html";
inline constexpr std::string_view kFramesetPageName = "Harrowdeck.html";
inline constexpr std::string_view kIndexFrameName = "indexwin";
inline constexpr std::string_view kLinkFrameName = "lankar";

// "n.html" for link page number n, counted from 1 without leading zeros.
[[nodiscard]] inline FileName LinkPageFileName(std::uint64_t number) noexcept
{
    FileName name;
    name.Append(number).Append(".html");
    return name;
}

[[nodiscard]] inline std::string LinkPageName(std::uint64_t number)
{
    return std::string(LinkPageFileName(number).View());
}

} // namespace harrowdeck
