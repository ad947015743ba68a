// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace harrowdeck::test {

// What a run left in a destination that was empty before it.
struct PageCheck {
    std::vector<std::string> faults; // empty when every invariant holds
    std::size_t pages = 0;           // numbered link pages found
    std::size_t links = 0;           // link lines over all pages
};

// Checks the invariants that must hold whatever the input was:
// - the destination holds only 1.html .. n.html, dir.html and Harrowdeck.html
//   (or nothing at all), so no temporary file is left and no gap in the
//   numbering;
// - every page that dir.html links to exists, and entry i names page i's
//   folder;
// - every line of every file ends with CR LF;
// - the link lines of the pages, in page order, come one each from distinct
//   link lines of the input, in input order.
// `input` is the whole export; `targetAttr` the run's TARGET attribute.
[[nodiscard]] PageCheck CheckPages(const std::string& destDir, std::string_view input, const std::string& targetAttr);

// The lines of a text, split at CR LF, CR and LF as the reader splits them.
[[nodiscard]] std::vector<std::string_view> SplitLines(std::string_view text);

} // namespace harrowdeck::test
