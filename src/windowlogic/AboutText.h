// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace harrowdeck {

// The product name and version, "Harrowdeck 1.1": the main window's caption
// and the about window's product line.
[[nodiscard]] std::string AppTitle();

// The about window's copyright line: "Copyright " + the legal copyright
// entry + " ". Made afresh for every showing, so that it never grows.
[[nodiscard]] std::string CopyrightLine();
// The same line around the entry as the program file holds it: an empty
// entry leaves "Copyright " and the blank.
[[nodiscard]] std::string CopyrightLine(std::string_view legalCopyright);

// The two version entries as read from the program file at run time; one
// that could not be read is missing.
struct VersionEntries {
    std::optional<std::string> productName;
    std::optional<std::string> legalCopyright;
};

// The product line (also the main window's caption) and the copyright line
// from the entries read at run time. A missing entry falls back to what
// the program was built with, so that a damaged resource still leaves a
// window with its name.
struct AboutLines {
    std::string product;
    std::string copyright;
};
[[nodiscard]] AboutLines AboutLinesFrom(const VersionEntries& entries);

// The room, in twips, that a widened about window leaves on either side of
// its widest text.
inline constexpr int kAboutTextMarginTwips = 60;

// How much wider the about window grows, in pixels, so that its widest text
// fits its labels with margin to spare in the font that stands in for the
// one it was drawn for: 0 when it fits. The labels grow by as much, the
// button moves by half of it, and everything stays centred.
[[nodiscard]] int AboutWidening(int widestText, int labelWidth, int margin);

} // namespace harrowdeck
