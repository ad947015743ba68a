// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileFilter.h"

#include "FileProbe.h"

#include <cstddef>
#include <utility>

namespace harrowdeck {

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string::npos) {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::vector<std::string> ParsePatterns(const std::string& field)
{
    std::vector<std::string> patterns;
    for (const std::string& raw : Split(field, ';')) {
        std::string pattern = Trimmed(raw);
        if (pattern.empty()) {
            continue;
        }
        patterns.push_back(pattern == "*.*" ? "*" : pattern);
    }
    if (patterns.empty()) {
        patterns.emplace_back("*");
    }
    return patterns;
}

std::string JoinPatterns(const std::vector<std::string>& patterns)
{
    std::string joined;
    for (const std::string& pattern : patterns) {
        if (!joined.empty()) {
            joined += ' ';
        }
        joined += pattern;
    }
    return joined;
}

} // namespace

std::string BuildFilterText(const std::string& callerFilter)
{
    if (callerFilter.empty()) {
        return kAllFilesFilter;
    }
    return callerFilter + "|" + kAllFilesFilter;
}

std::vector<NameFilter> ParseFilterText(const std::string& filterText)
{
    std::vector<NameFilter> filters;
    if (filterText.empty()) {
        return filters;
    }
    const std::vector<std::string> fields = Split(filterText, '|');
    for (std::size_t i = 0; i < fields.size(); i += 2) {
        NameFilter filter;
        filter.patterns = ParsePatterns(i + 1 < fields.size() ? fields[i + 1] : std::string());
        filter.description = Trimmed(fields[i]);
        if (filter.description.empty()) {
            filter.description = JoinPatterns(filter.patterns);
        }
        filters.push_back(std::move(filter));
    }
    return filters;
}

std::string ToQtNameFilter(const NameFilter& filter)
{
    return filter.description + " (" + JoinPatterns(filter.patterns) + ")";
}

std::vector<std::string> ToQtNameFilters(const std::string& filterText)
{
    std::vector<std::string> qtFilters;
    for (const NameFilter& filter : ParseFilterText(filterText)) {
        qtFilters.push_back(ToQtNameFilter(filter));
    }
    return qtFilters;
}

std::string InitialDirFor(const std::string& dir)
{
    if (dir.size() > 1 && dir.back() == kSeparator) {
        return dir.substr(0, dir.size() - 1);
    }
    return dir;
}

std::string DirPartOf(const std::string& fullPath, const std::string& fileName)
{
    if (fileName.size() >= fullPath.size()) {
        return {};
    }
    return fullPath.substr(0, fullPath.size() - fileName.size());
}

} // namespace harrowdeck
