// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace harrowdeck {

// The entry every file pick offers last, in the pipe format.
inline constexpr const char* kAllFilesFilter = "Alla filer (*.*)|*.*";

// The dialog's full filter for a caller's own entries: the caller's entries
// (when any) followed by the all-files entry.
[[nodiscard]] std::string BuildFilterText(const std::string& callerFilter);

// One entry of a filter for the dialog: the text the user sees and the
// wildcard patterns in force while it is selected.
struct NameFilter {
    std::string description;
    std::vector<std::string> patterns;

    friend bool operator==(const NameFilter&, const NameFilter&) = default;
};

// Splits "desc|pattern|desc|pattern" into its entries. A pattern field may
// hold several patterns separated by ';'. "*.*" matched every name where the
// format comes from, dots or not, so it becomes "*". A description without a
// pattern field matches everything; empty descriptions show the patterns.
[[nodiscard]] std::vector<NameFilter> ParseFilterText(const std::string& filterText);

// Qt's form of one entry, "description (pattern pattern)". The dialog shows
// only the description, so the text the caller chose stays exactly as given.
[[nodiscard]] std::string ToQtNameFilter(const NameFilter& filter);

// The whole conversion: pipe format in, Qt name filters out, in order.
[[nodiscard]] std::vector<std::string> ToQtNameFilters(const std::string& filterText);

// The dialog's initial directory for the chooser's directory: without its
// trailing separator, except that the root stays the root.
[[nodiscard]] std::string InitialDirFor(const std::string& dir);

// The directory part of a chosen path: what is left when the file name's
// length is taken off its end (so it keeps its trailing separator).
[[nodiscard]] std::string DirPartOf(const std::string& fullPath, const std::string& fileName);

} // namespace harrowdeck
