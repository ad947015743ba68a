// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageText.h"

#include "FileProbe.h"

#include <algorithm>

namespace harrowdeck {

namespace {

constexpr std::string_view kPlainBody = "<BODY BGCOLOR=\"#FFFFFF\">";
constexpr std::string_view kCommonImage = "back.gif";
constexpr std::string_view kIndexImage = "dir.gif";
constexpr std::string_view kLinkPageImage = "file.gif";

std::string BackgroundBody(std::string_view image)
{
    return "<BODY BACKGROUND=\"" + std::string(image) + "\">";
}

bool ImagePresent(const std::string& destDir, std::string_view image)
{
    return FileExistsIn(destDir, std::string(image));
}

// A page's and an entry's text before and after the folder's name.
void OpenLinkPage(OutputFile& file, std::string_view pageBodyTag)
{
    file.WriteLine("<HTML>");
    file.WriteLine(pageBodyTag);
    file.Append("<H3>");
}

void CloseHeading(OutputFile& file)
{
    file.WriteLine("</H3>");
}

void Indent(OutputFile& file, std::size_t depth)
{
    constexpr std::string_view kLevel = "&nbsp;&nbsp;&nbsp;&nbsp;";
    for (std::size_t level = std::min(depth, kDeepestIndent); level > 0; --level) {
        file.Append(kLevel);
    }
}

void OpenIndexEntry(OutputFile& file, std::uint64_t pageNumber)
{
    file.Append("<A HREF=\"");
    file.Append(LinkPageName(pageNumber));
    file.Append("\" TARGET=\"");
    file.Append(kLinkFrameName);
    file.Append("\">");
}

void CloseIndexEntry(OutputFile& file)
{
    file.WriteLine("</A><BR>");
}

} // namespace

BodyTags ChooseBodyTags(const std::string& destDir)
{
    BodyTags tags{std::string(kPlainBody), std::string(kPlainBody)};
    if (ImagePresent(destDir, kCommonImage)) {
        tags.page = tags.index = BackgroundBody(kCommonImage);
    }
    if (ImagePresent(destDir, kIndexImage)) {
        tags.index = BackgroundBody(kIndexImage);
    }
    if (ImagePresent(destDir, kLinkPageImage)) {
        tags.page = BackgroundBody(kLinkPageImage);
    }
    return tags;
}

std::string TargetAttrFor(BrowseMode mode)
{
    switch (mode) {
    case BrowseMode::Frame:
        return {};
    case BrowseMode::FullWindow:
        return " TARGET=\"_top\"";
    case BrowseMode::NewWindow:
        break;
    }
    return " TARGET=\"_blank\"";
}

std::string ColsValue(SizeMode mode, int leftPercent, int leftPixels)
{
    if (mode == SizeMode::Percent) {
        return std::to_string(leftPercent) + "%," + std::to_string(100 - leftPercent) + "%";
    }
    return std::to_string(leftPixels) + ",*";
}

void WriteLinkPageHead(OutputFile& file, std::string_view pageBodyTag, std::string_view folderName)
{
    OpenLinkPage(file, pageBodyTag);
    file.Append(folderName);
    CloseHeading(file);
}

std::optional<IoError> WriteLinkPageHead(OutputFile& file, std::string_view pageBodyTag, const NameWriter& writeName)
{
    OpenLinkPage(file, pageBodyTag);
    if (auto error = writeName(file)) {
        return error;
    }
    CloseHeading(file);
    return std::nullopt;
}

std::string LinkLineText(std::string_view head, std::string_view targetAttr, std::string_view tail)
{
    std::string text;
    text.reserve(head.size() + targetAttr.size() + tail.size() + kLinkLineEnd.size());
    text.append(head).append(targetAttr).append(tail).append(kLinkLineEnd);
    return text;
}

void WritePageEnd(OutputFile& file)
{
    file.WriteLine("</BODY>");
    file.WriteLine("</HTML>");
}

void WriteIndexHead(OutputFile& file, std::string_view indexBodyTag)
{
    file.WriteLine("<HTML>");
    file.WriteLine(indexBodyTag);
    file.WriteLine("<H3>Harrowdeck</H3>");
}

void WriteIndexEntry(OutputFile& file, std::uint64_t pageNumber, std::string_view folderName)
{
    OpenIndexEntry(file, pageNumber);
    file.Append(folderName);
    CloseIndexEntry(file);
}

std::optional<IoError> WriteIndexEntry(OutputFile& file, std::uint64_t pageNumber, std::size_t depth,
                                       const NameWriter& writeName)
{
    Indent(file, depth);
    OpenIndexEntry(file, pageNumber);
    if (auto error = writeName(file)) {
        return error;
    }
    CloseIndexEntry(file);
    return std::nullopt;
}

std::optional<IoError> WriteIndexFolder(OutputFile& file, std::size_t depth, const NameWriter& writeName)
{
    Indent(file, depth);
    if (auto error = writeName(file)) {
        return error;
    }
    file.WriteLine("<BR>");
    return std::nullopt;
}

void WriteFrameset(OutputFile& file, SizeMode mode, int leftPercent, int leftPixels)
{
    const auto quoted = [](std::string_view text) { return "\"" + std::string(text) + "\""; };
    file.WriteLine("<HTML>");
    file.WriteLine("<HEAD>");
    file.WriteLine("<TITLE>Harrowdeck Bookmarks</TITLE>");
    file.WriteLine("</HEAD>");
    file.WriteLine("<FRAMESET COLS=" + quoted(ColsValue(mode, leftPercent, leftPixels)) + ">");
    file.WriteLine(" <FRAME SRC=" + quoted(kIndexPageName) + " NAME=" + quoted(kIndexFrameName) + ">");
    file.WriteLine(" <FRAME SRC=" + quoted(LinkPageName(1)) + " NAME=" + quoted(kLinkFrameName) + ">");
    file.WriteLine("</FRAMESET>");
    file.WriteLine("</HTML>");
}

} // namespace harrowdeck
