// SPDX-License-Identifier: GPL-3.0-or-later
#include "Invariants.h"

#include "ExportReader.h"
#include "PageModel.h"
#include "PageNames.h"
#include "PageText.h"
#include "ReadPages.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>

namespace harrowdeck::test {

namespace {

constexpr std::string_view kCrlf = "\r\n";

bool EndsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::optional<std::string> Slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The number n of a name "n.html" written without leading zeros, or 0.
std::size_t PageNumber(const std::string& name)
{
    if (!EndsWith(name, ".html") || name.size() == 5 || name[0] == '0') {
        return 0;
    }
    std::size_t number = 0;
    for (std::size_t i = 0; i + 5 < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || number > 100'000'000) {
            return 0;
        }
        number = number * 10 + static_cast<std::size_t>(name[i] - '0');
    }
    return number;
}

// The lines of a written file, or a fault when a line does not end in CR LF.
std::optional<std::vector<std::string_view>> CrlfLines(std::string_view bytes, const std::string& name,
                                                       std::vector<std::string>& faults)
{
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const auto end = bytes.find_first_of("\r\n");
        if (end == std::string_view::npos || bytes.substr(end, 2) != kCrlf) {
            faults.push_back(name + ": line " + std::to_string(lines.size() + 1) + " does not end with CR LF");
            return std::nullopt;
        }
        lines.push_back(bytes.substr(0, end));
        bytes.remove_prefix(end + 2);
    }
    return lines;
}

struct Folder {
    std::string name;
    std::vector<std::string> links;
    std::string charset;
};

// Page n's folder name and link lines, when the page has the link-page form.
std::optional<Folder> ParseLinkPage(const std::vector<std::string_view>& lines, const std::string& name,
                                    std::vector<std::string>& faults)
{
    const std::optional<PageParts> parts = SplitPage(lines);
    if (!parts) {
        faults.push_back(name + ": not a link page");
        return std::nullopt;
    }
    Folder folder;
    folder.name = std::string(parts->heading);
    folder.charset = parts->charset;
    for (std::size_t i = 0; i < parts->entries.size(); ++i) {
        if (!EndsWith(parts->entries[i], "<BR>")) {
            faults.push_back(name + ": link line " + std::to_string(i + 1) + " does not end with <BR>");
        }
        folder.links.emplace_back(parts->entries[i]);
    }
    if (folder.links.empty()) {
        faults.push_back(name + ": a page without links");
    }
    return folder;
}

// The entries of dir.html that open a page, checking that the n-th of them
// opens n.html and that the entries form a tree: each at most one level
// deeper than the one before, never deeper than the indentation goes, and a
// folder listed without a page followed by what lies below it.
std::vector<IndexEntry> ParseIndex(const std::vector<std::string_view>& lines, std::vector<std::string>& faults)
{
    std::vector<IndexEntry> pages;
    const std::optional<PageParts> parts = SplitPage(lines);
    if (!parts || parts->heading != "Harrowdeck") {
        faults.push_back("dir.html: not an index page");
        return pages;
    }
    std::optional<IndexEntry> previous;
    for (std::size_t i = 0; i < parts->entries.size(); ++i) {
        const std::string where = "dir.html: entry " + std::to_string(i + 1);
        std::optional<IndexEntry> entry = ParseIndexEntry(parts->entries[i]);
        if (!entry || (entry->page != 0 && entry->page != pages.size() + 1)) {
            faults.push_back(where + " is no entry, or does not open the next page");
            return pages;
        }
        const std::size_t deepest = previous ? previous->depth + 1 : 0;
        if (entry->depth > std::min(deepest, kDeepestIndent)) {
            faults.push_back(where + " is deeper than a tree allows");
        }
        if (previous && previous->page == 0 && entry->depth <= previous->depth && previous->depth < kDeepestIndent) {
            faults.push_back(where + " follows a folder without a page that has nothing below it");
        }
        if (entry->page != 0) {
            pages.push_back(*entry);
        }
        previous = std::move(entry);
    }
    if (previous && previous->page == 0) {
        faults.push_back("dir.html ends with a folder without a page");
    }
    return pages;
}

// The frameset names the encoding that every page of its set names.
void CheckFrameset(const std::vector<std::string_view>& lines, const std::vector<Folder>& folders,
                   std::vector<std::string>& faults)
{
    const std::optional<std::string> charset = FramesetCharset(lines);
    if (!charset) {
        faults.push_back("Harrowdeck.html: not the frameset page");
        return;
    }
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (folders[i].charset != *charset) {
            faults.push_back(LinkPageName(i + 1) + " names another encoding than Harrowdeck.html");
        }
    }
}

// Matches the pages' link lines, in order, against the input's link lines:
// each page line must be the conversion of a later input line than the one
// before it, so no input line is used twice and none is invented.
void CheckLinkOrigins(const std::vector<Folder>& folders, std::string_view input, const std::string& targetAttr,
                      std::vector<std::string>& faults)
{
    const std::vector<std::string_view> lines = SplitLines(input);
    std::size_t next = 1; // the first line is the header
    for (std::size_t page = 0; page < folders.size(); ++page) {
        for (std::size_t link = 0; link < folders[page].links.size(); ++link) {
            bool found = false;
            while (!found && next < lines.size()) {
                std::string_view line = lines[next++];
                const auto first = line.find_first_not_of(" \t");
                line = first == std::string_view::npos ? std::string_view() : line.substr(first);
                if (line.find("A HREF=") == std::string_view::npos) {
                    continue;
                }
                const std::optional<std::string> converted = ConvertedLinkLine(EntryStart(line), targetAttr);
                found = converted && *converted == folders[page].links[link];
            }
            if (!found) {
                faults.push_back(std::to_string(page + 1) + ".html: link line " + std::to_string(link + 1) +
                                 " comes from no unused input line");
                return;
            }
        }
    }
}

} // namespace

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, end));
        const std::size_t terminator = text.substr(end, 2) == kCrlf ? 2 : 1;
        text.remove_prefix(end + terminator);
    }
    return lines;
}

PageCheck CheckPages(const std::string& destDir, std::string_view input, const std::string& targetAttr)
{
    PageCheck check;
    std::map<std::size_t, std::filesystem::path> numbered;
    std::set<std::string> others;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(destDir, error)) {
        const std::string name = entry.path().filename().string();
        if (const std::size_t number = PageNumber(name); number > 0) {
            numbered.emplace(number, entry.path());
        } else {
            others.insert(name);
        }
    }
    if (error) {
        check.faults.push_back("cannot list " + destDir + ": " + error.message());
        return check;
    }
    for (const std::string& name : others) {
        if (name != kIndexPageName && name != kFramesetPageName) {
            check.faults.push_back("unexpected file " + name);
        }
    }
    if (numbered.empty() && others.empty()) {
        return check;
    }
    if (!numbered.empty() && numbered.rbegin()->first != numbered.size()) {
        check.faults.push_back("the pages are not numbered 1.." + std::to_string(numbered.size()) + " without gaps");
    }
    if (others.count(std::string(kIndexPageName)) == 0 || others.count(std::string(kFramesetPageName)) == 0) {
        check.faults.push_back("pages without dir.html and Harrowdeck.html");
        return check;
    }

    if (numbered.empty()) {
        check.faults.push_back("dir.html and Harrowdeck.html without link pages");
        return check;
    }

    std::vector<Folder> folders;
    for (const auto& [number, path] : numbered) {
        const std::string name = LinkPageName(number);
        const std::optional<std::string> bytes = Slurp(path);
        std::optional<std::vector<std::string_view>> lines;
        if (bytes) {
            lines = CrlfLines(*bytes, name, check.faults);
        }
        std::optional<Folder> folder;
        if (lines) {
            folder = ParseLinkPage(*lines, name, check.faults);
        }
        if (!folder) {
            return check;
        }
        check.links += folder->links.size();
        folders.push_back(std::move(*folder));
    }
    check.pages = folders.size();

    const std::optional<std::string> index = Slurp(std::filesystem::path(destDir) / kIndexPageName);
    const std::optional<std::string> frameset = Slurp(std::filesystem::path(destDir) / kFramesetPageName);
    if (!index || !frameset) {
        check.faults.push_back("cannot read dir.html or Harrowdeck.html");
        return check;
    }
    if (const auto lines = CrlfLines(*frameset, "Harrowdeck.html", check.faults)) {
        CheckFrameset(*lines, folders, check.faults);
    }
    if (const auto lines = CrlfLines(*index, "dir.html", check.faults)) {
        const std::vector<IndexEntry> entries = ParseIndex(*lines, check.faults);
        if (entries.size() != folders.size()) {
            check.faults.push_back("dir.html lists " + std::to_string(entries.size()) + " pages, the directory holds " +
                                   std::to_string(folders.size()));
        }
        // A page's heading is its folder's path; the tree shows the last name.
        for (std::size_t i = 0; i < entries.size() && i < folders.size(); ++i) {
            const std::string& heading = folders[i].name;
            const std::string& name = entries[i].name;
            if (entries[i].depth == 0 ? heading != name : !EndsWith(heading, " / " + name)) {
                check.faults.push_back("dir.html: entry " + std::to_string(i + 1) + " names another folder");
            }
        }
    }
    CheckLinkOrigins(folders, input, targetAttr, check.faults);
    return check;
}

} // namespace harrowdeck::test
