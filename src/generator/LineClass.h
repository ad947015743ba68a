// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace harrowdeck {

// The export is recognised line by line by fixed, case-sensitive marks.
inline constexpr std::string_view kFolderMark = "</H3>";
inline constexpr std::string_view kFolderEnd = "</DL><p>";
inline constexpr std::string_view kLinkMark = "A HREF=";
inline constexpr std::string_view kTitleMark = "</H1>";

[[nodiscard]] inline bool IsFolderLine(std::string_view line)
{
    return line.find(kFolderMark) != std::string_view::npos;
}

// Nearly every line of an export is a link whose mark follows its "<DT><";
// that place is looked at first, so only the other lines are searched.
[[nodiscard]] inline bool IsLinkLine(std::string_view line)
{
    constexpr std::size_t kUsualPlace = std::string_view("<DT><").size();
    if (line.size() >= kUsualPlace + kLinkMark.size() &&
        std::memcmp(line.data() + kUsualPlace, kLinkMark.data(), kLinkMark.size()) == 0) {
        return true;
    }
    return line.find(kLinkMark) != std::string_view::npos;
}

[[nodiscard]] inline bool IsFolderEnd(std::string_view line)
{
    return line == kFolderEnd;
}

// How many of a word's bytes, in memory order, are zero.
[[nodiscard]] inline std::size_t LeadingZeroBytes(std::uint64_t word)
{
    const int bits = std::endian::native == std::endian::little ? std::countr_zero(word) : std::countl_zero(word);
    return static_cast<std::size_t>(bits) / 8;
}

// Exports are often indented; lines are classified and cut from the first
// non-blank character so that indentation does not shift the cuts.
// Indentation is mostly spaces, several to a line, so they are passed eight
// at a time; a plain loop takes the rest and any tabs (find_first_not_of
// would search the set once per character).
[[nodiscard]] inline std::string_view SkipIndent(std::string_view line)
{
    constexpr std::uint64_t kEightSpaces = 0x2020202020202020;
    std::size_t first = 0;
    while (line.size() - first >= sizeof kEightSpaces) {
        std::uint64_t word = 0;
        std::memcpy(&word, line.data() + first, sizeof word);
        if (word != kEightSpaces) {
            first += LeadingZeroBytes(word ^ kEightSpaces);
            break;
        }
        first += sizeof word;
    }
    while (first < line.size() && (line[first] == ' ' || line[first] == '\t')) {
        ++first;
    }
    return line.substr(first);
}

} // namespace harrowdeck
