// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageModel.h"

#include "PageNames.h"

namespace harrowdeck::test {

namespace {

constexpr std::string_view kMetaStart = "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=";
constexpr std::string_view kMetaEnd = "\">";

std::string Meta(std::string_view charset)
{
    return std::string(kMetaStart) + std::string(charset) + std::string(kMetaEnd);
}

std::string Frame(std::string_view source, std::string_view name)
{
    return " <FRAME SRC=\"" + std::string(source) + "\" NAME=\"" + std::string(name) + "\">";
}

std::string Lines(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

std::string Page(const PageLook& look, std::string_view heading, const std::vector<std::string>& entries)
{
    std::vector<std::string> lines = {"<HTML>"};
    if (!look.charset.empty()) {
        lines.push_back("<HEAD>" + Meta(look.charset) + "</HEAD>");
    }
    lines.push_back(look.body);
    lines.push_back("<H3>" + std::string(heading) + "</H3>");
    lines.insert(lines.end(), entries.begin(), entries.end());
    lines.push_back("</BODY>");
    lines.push_back("</HTML>");
    return Lines(lines);
}

// The charset of a META line, or nothing when the line is no META line.
std::optional<std::string> MetaCharset(std::string_view line)
{
    if (!line.starts_with(kMetaStart) || !line.ends_with(kMetaEnd)) {
        return std::nullopt;
    }
    return std::string(line.substr(kMetaStart.size(), line.size() - kMetaStart.size() - kMetaEnd.size()));
}

} // namespace

std::string LinkPageBytes(std::string_view heading, const std::vector<std::string>& links, const PageLook& look)
{
    return Page(look, heading, links);
}

std::string LinkPageFromText(std::string_view heading, std::string_view lfLinks, const PageLook& look)
{
    std::vector<std::string> links;
    while (!lfLinks.empty()) {
        const std::size_t end = lfLinks.find('\n');
        links.emplace_back(lfLinks.substr(0, end));
        lfLinks.remove_prefix(end == std::string_view::npos ? lfLinks.size() : end + 1);
    }
    return Page(look, heading, links);
}

std::string IndexPageBytes(const std::vector<std::string>& entries, const PageLook& look)
{
    return Page(look, "Harrowdeck", entries);
}

std::string FramesetBytes(std::string_view cols, std::string_view charset)
{
    std::vector<std::string> lines = {"<HTML>", "<HEAD>"};
    if (!charset.empty()) {
        lines.push_back(Meta(charset));
    }
    for (const std::string& line :
         {std::string("<TITLE>Harrowdeck Bookmarks</TITLE>"), std::string("</HEAD>"),
          "<FRAMESET COLS=\"" + std::string(cols) + "\">", Frame(kIndexPageName, kIndexFrameName),
          Frame(LinkPageName(1), kLinkFrameName), std::string("</FRAMESET>"), std::string("</HTML>")}) {
        lines.push_back(line);
    }
    return Lines(lines);
}

std::optional<PageParts> SplitPage(const std::vector<std::string_view>& lines)
{
    if (lines.size() < 5 || lines.front() != "<HTML>" || lines.back() != "</HTML>" ||
        lines[lines.size() - 2] != "</BODY>") {
        return std::nullopt;
    }
    PageParts parts;
    std::size_t next = 1;
    constexpr std::string_view kHeadStart = "<HEAD>";
    constexpr std::string_view kHeadEnd = "</HEAD>";
    if (lines[next].starts_with(kHeadStart) && lines[next].ends_with(kHeadEnd)) {
        const std::string_view head =
            lines[next].substr(kHeadStart.size(), lines[next].size() - kHeadStart.size() - kHeadEnd.size());
        std::optional<std::string> charset = MetaCharset(head);
        if (!charset || charset->empty()) {
            return std::nullopt;
        }
        parts.charset = std::move(*charset);
        ++next;
    }
    if (!lines[next].starts_with("<BODY")) {
        return std::nullopt;
    }
    parts.body = lines[next++];
    const std::string_view heading = lines[next++];
    if (next > lines.size() - 2 || !heading.starts_with("<H3>") || !heading.ends_with("</H3>") || heading.size() < 9) {
        return std::nullopt;
    }
    parts.heading = heading.substr(4, heading.size() - 9);
    parts.entries.assign(lines.begin() + static_cast<std::ptrdiff_t>(next), lines.end() - 2);
    return parts;
}

std::optional<std::string> FramesetCharset(const std::vector<std::string_view>& lines)
{
    std::string charset;
    std::vector<std::string_view> rest(lines);
    if (rest.size() > 2 && rest[2].starts_with(kMetaStart)) {
        std::optional<std::string> named = MetaCharset(rest[2]);
        if (!named || named->empty()) {
            return std::nullopt;
        }
        charset = std::move(*named);
        rest.erase(rest.begin() + 2);
    }
    if (rest.size() != 9 || rest[0] != "<HTML>" || rest[1] != "<HEAD>") {
        return std::nullopt;
    }
    if (rest[5] != Frame(kIndexPageName, kIndexFrameName) || rest[6] != Frame(LinkPageName(1), kLinkFrameName)) {
        return std::nullopt;
    }
    return charset;
}

} // namespace harrowdeck::test
