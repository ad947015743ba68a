// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace harrowdeck::test {

// A random export as Gloamery might write it, or worse: nested and indented
// folders, every kind of line end, links outside folders, stray lines, lines
// that cannot be cut, sometimes no end line for the last folder. Alongside it,
// what a run must make of it, worked out from how it was built rather than by
// reading it back.
struct RandomExport {
    struct Page {
        std::string name;
        std::vector<std::string> links; // converted link lines, in order
    };

    std::string bytes;
    std::vector<Page> pages;
    std::size_t skippedLines = 0;
    std::size_t leftOutLinks = 0; // link lines between folders
    // Every link line that can be cut, in or out of folders, converted, in
    // input order: what --folders all puts on its pages, each exactly once.
    std::vector<std::string> cuttableLinks;
};

[[nodiscard]] RandomExport MakeRandomExport(std::mt19937& random, const std::string& targetAttr);

// The link page a run writes for `page`, with the plain BODY line.
[[nodiscard]] std::string ExpectedLinkPage(const RandomExport::Page& page);

// Flips, inserts and deletes a few bytes, favouring the ones that matter to
// the reader: line ends, quotes, angle brackets, NUL.
void Mutate(std::string& bytes, std::mt19937& random);

} // namespace harrowdeck::test
