// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReadPages.h"

#include "PageNames.h"
#include "PageText.h"
#include "TestFiles.h"

#include <stdexcept>

namespace harrowdeck::test {

PagesRead ReadPages(LineReader& input, const std::string& dir, const std::string& targetAttr,
                    const std::string& pageBody, const ReadProgress& progress, FolderMode mode,
                    std::uint64_t totalBytes)
{
    IoResult<PageSet> pages = PageSet::Open(dir);
    if (!pages) {
        throw std::runtime_error("cannot open " + dir + ": " + pages.Error().reason);
    }
    ReadSettings settings;
    settings.mode = mode;
    settings.targetAttr = targetAttr;
    settings.pageBodyTag = pageBody;
    settings.indexBodyTag = "<BODY>";
    settings.progress = progress;
    settings.totalBytes = totalBytes;
    PagesRead read;
    static_cast<ReadResult&>(read) = ReadFolders(input, *pages, settings);
    if (read.end == ReadEnd::Complete) {
        if (auto failure = pages->Commit()) {
            read.end = ReadEnd::WriteFailed;
            read.error = std::move(failure);
        } else if (const std::string index = dir + std::string(kIndexPageName); PathExists(index)) {
            read.folderNames = IndexNames(ReadFile(index));
        }
    }
    return read;
}

std::optional<std::string> ConvertedLinkLine(std::string_view line, std::string_view targetAttr)
{
    const std::optional<LinkCut> cut = CutLinkLine(line);
    if (!cut) {
        return std::nullopt;
    }
    std::string text = LinkLineText(*cut, targetAttr);
    text.resize(text.size() - 2); // CR LF
    return text;
}

namespace {

// A nested entry's level, from the left margin of its block; the line is
// left with the entry's content and a "<BR>" end, as a top-level line has.
std::optional<std::size_t> TakeLevel(std::string& line)
{
    constexpr std::string_view kOpen = "<DIV STYLE=\"margin-left:";
    constexpr std::string_view kUnit = "em\">";
    constexpr std::string_view kClose = "</DIV>";
    if (!line.starts_with(kOpen)) {
        return line.ends_with("<BR>") ? std::optional<std::size_t>(0) : std::nullopt;
    }
    const std::size_t unit = line.find(kUnit);
    if (!line.ends_with(kClose) || unit == std::string::npos) {
        return std::nullopt;
    }
    const std::string margin = line.substr(kOpen.size(), unit - kOpen.size());
    if (margin.empty() || margin.find_first_not_of("0123456789") != std::string::npos ||
        std::stoull(margin) % kIndentEm != 0) {
        return std::nullopt;
    }
    line = line.substr(unit + kUnit.size(), line.size() - unit - kUnit.size() - kClose.size()) + "<BR>";
    return std::stoull(margin) / kIndentEm;
}

} // namespace

std::optional<IndexEntry> ParseIndexEntry(std::string_view text)
{
    constexpr std::string_view kBreak = "<BR>";
    constexpr std::string_view kLinkEnd = "</A><BR>";
    std::string content(text);
    const std::optional<std::size_t> depth = TakeLevel(content);
    if (!depth) {
        return std::nullopt;
    }
    IndexEntry entry;
    entry.depth = *depth;
    std::string_view line = content;
    const std::string open = "<A HREF=\"";
    const std::string target = ".html\" TARGET=\"" + std::string(kLinkFrameName) + "\">";
    if (!line.starts_with(open) || !line.ends_with(kLinkEnd)) {
        // A folder listed without a page; its name may hold any bytes.
        line.remove_suffix(kBreak.size());
        entry.name = line;
        return entry;
    }
    line.remove_prefix(open.size());
    line.remove_suffix(kLinkEnd.size());
    const std::size_t digits = line.find_first_not_of("0123456789");
    if (digits == 0 || digits == std::string_view::npos || line.substr(digits, target.size()) != target) {
        return std::nullopt;
    }
    entry.page = std::stoull(std::string(line.substr(0, digits)));
    entry.name = line.substr(digits + target.size());
    return entry;
}

std::vector<IndexEntry> IndexEntries(const std::string& dirHtml)
{
    std::vector<IndexEntry> entries;
    std::string_view rest = dirHtml;
    while (!rest.empty()) {
        const std::size_t end = rest.find("\r\n");
        if (std::optional<IndexEntry> entry = ParseIndexEntry(rest.substr(0, end))) {
            entries.push_back(std::move(*entry));
        }
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
    }
    return entries;
}

std::vector<std::string> IndexNames(const std::string& dirHtml)
{
    std::vector<std::string> names;
    for (IndexEntry& entry : IndexEntries(dirHtml)) {
        if (entry.page != 0) {
            names.push_back(std::move(entry.name));
        }
    }
    return names;
}

std::vector<std::string> IndexTree(const std::string& dirHtml)
{
    std::vector<std::string> tree;
    for (const IndexEntry& entry : IndexEntries(dirHtml)) {
        const std::string page = entry.page != 0 ? LinkPageName(entry.page) + " " : "";
        tree.push_back(std::string(2 * entry.depth, ' ') + page + entry.name);
    }
    return tree;
}

} // namespace harrowdeck::test
