// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

[[nodiscard]] inline bool IsLinkLine(std::string_view line)
{
    return line.find(kLinkMark) != std::string_view::npos;
}

[[nodiscard]] inline bool IsFolderEnd(std::string_view line)
{
    return line == kFolderEnd;
}

// Exports are often indented; lines are classified and cut from the first
// non-blank character so that indentation does not shift the cuts.
// A plain loop: find_first_not_of would search the set once per character.
[[nodiscard]] inline std::string_view SkipIndent(std::string_view line)
{
    std::size_t first = 0;
    while (first < line.size() && (line[first] == ' ' || line[first] == '\t')) {
        ++first;
    }
    return line.substr(first);
}

} // namespace harrowdeck
