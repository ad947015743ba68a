// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harrowdeck::test {

// The form of every page a run writes, in one place: the expected bytes of
// a page, and a written page taken apart by its markers rather than by line
// numbers, so that a line added to every page is one change here. The
// golden files stay the independent check of this form.

inline constexpr std::string_view kPlainBody = "<BODY BGCOLOR=\"#FFFFFF\">";

// What a set's pages share: the BODY line and the encoding they name.
struct PageLook {
    std::string body = std::string(kPlainBody);
    std::string charset; // empty: the pages name none
};

// A link page with its heading and its link lines ("...<BR>"), each line
// ended by CR LF.
[[nodiscard]] std::string LinkPageBytes(std::string_view heading, const std::vector<std::string>& links,
                                        const PageLook& look = {});
// The same, the link lines given as one text, each ended by "\n".
[[nodiscard]] std::string LinkPageFromText(std::string_view heading, std::string_view lfLinks,
                                           const PageLook& look = {});
// dir.html with its entry lines.
[[nodiscard]] std::string IndexPageBytes(const std::vector<std::string>& entries, const PageLook& look = {});
// Harrowdeck.html for a COLS value.
[[nodiscard]] std::string FramesetBytes(std::string_view cols, std::string_view charset = {});

// A link page or dir.html, taken apart: nothing when it lacks a part.
struct PageParts {
    std::string charset;                   // named in its head; empty when it has none
    std::string_view body;                 // the BODY line
    std::string_view heading;              // between "<H3>" and "</H3>"
    std::vector<std::string_view> entries; // the lines between the heading and "</BODY>"
};
[[nodiscard]] std::optional<PageParts> SplitPage(const std::vector<std::string_view>& lines);
// The charset Harrowdeck.html names, or empty; nothing when it is not the
// frameset page of indexwin and lankar.
[[nodiscard]] std::optional<std::string> FramesetCharset(const std::vector<std::string_view>& lines);

} // namespace harrowdeck::test
