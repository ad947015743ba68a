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

// The tag that names the pages' encoding; none for UTF-8, which browsers
// read right unnamed, so that such a set keeps the classic bytes.
void WriteCharsetMeta(OutputFile& file, std::string_view charset)
{
    file.Append("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=");
    file.Append(charset);
    file.Append("\">");
}

// "<HTML>", and a head that names the encoding when there is one to name.
void OpenPage(OutputFile& file, std::string_view charset)
{
    file.WriteLine("<HTML>");
    if (!charset.empty()) {
        file.Append("<HEAD>");
        WriteCharsetMeta(file, charset);
        file.WriteLine("</HEAD>");
    }
}

// A page's and an entry's text before and after the folder's name.
void OpenLinkPage(OutputFile& file, std::string_view pageBodyTag, std::string_view charset)
{
    OpenPage(file, charset);
    file.WriteLine(pageBodyTag);
    file.Append("<H3>");
}

void CloseHeading(OutputFile& file)
{
    file.WriteLine("</H3>");
}

// A nested entry is a block with a left margin, so that every line of a
// name that wraps stays at the entry's level; an indent made of characters
// would hold only the first line. The top level stays an inline line, as in
// the classic index.
void OpenLevel(OutputFile& file, std::size_t depth)
{
    if (depth == 0) {
        return;
    }
    file.Append("<DIV STYLE=\"margin-left:");
    file.Append(std::to_string(std::min(depth, kDeepestIndent) * kIndentEm));
    file.Append("em\">");
}

void CloseLevel(OutputFile& file, std::size_t depth)
{
    file.WriteLine(depth == 0 ? "<BR>" : "</DIV>");
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

void CloseLinkEntry(OutputFile& file, std::size_t depth)
{
    file.Append("</A>");
    CloseLevel(file, depth);
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

void WriteLinkPageHead(OutputFile& file, std::string_view pageBodyTag, std::string_view folderName,
                       std::string_view charset)
{
    OpenLinkPage(file, pageBodyTag, charset);
    file.Append(folderName);
    CloseHeading(file);
}

std::optional<IoError> WriteLinkPageHead(OutputFile& file, std::string_view pageBodyTag, const NameWriter& writeName,
                                         std::string_view charset)
{
    OpenLinkPage(file, pageBodyTag, charset);
    if (auto error = writeName(file)) {
        return error;
    }
    CloseHeading(file);
    return std::nullopt;
}

std::string LinkLineText(const LinkCut& cut, std::string_view targetAttr)
{
    std::string text;
    text.reserve(cut.head.size() + targetAttr.size() + cut.tail.size() + cut.text.size() + cut.rest.size() +
                 kLinkLineEnd.size());
    text.append(cut.head).append(targetAttr).append(cut.tail).append(cut.text).append(cut.rest).append(kLinkLineEnd);
    return text;
}

void WritePageEnd(OutputFile& file)
{
    file.WriteLine("</BODY>");
    file.WriteLine("</HTML>");
}

void WriteIndexHead(OutputFile& file, std::string_view indexBodyTag, std::string_view charset)
{
    OpenPage(file, charset);
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
    OpenLevel(file, depth);
    OpenIndexEntry(file, pageNumber);
    if (auto error = writeName(file)) {
        return error;
    }
    CloseLinkEntry(file, depth);
    return std::nullopt;
}

std::optional<IoError> WriteIndexFolder(OutputFile& file, std::size_t depth, const NameWriter& writeName)
{
    OpenLevel(file, depth);
    if (auto error = writeName(file)) {
        return error;
    }
    CloseLevel(file, depth);
    return std::nullopt;
}

void WriteFrameset(OutputFile& file, SizeMode mode, int leftPercent, int leftPixels, std::string_view charset)
{
    const auto quoted = [](std::string_view text) { return "\"" + std::string(text) + "\""; };
    file.WriteLine("<HTML>");
    file.WriteLine("<HEAD>");
    // Firefox gives the frames the frameset's encoding when they name none.
    if (!charset.empty()) {
        WriteCharsetMeta(file, charset);
        file.WriteLine("");
    }
    file.WriteLine("<TITLE>Harrowdeck Bookmarks</TITLE>");
    file.WriteLine("</HEAD>");
    file.WriteLine("<FRAMESET COLS=" + quoted(ColsValue(mode, leftPercent, leftPixels)) + ">");
    file.WriteLine(" <FRAME SRC=" + quoted(kIndexPageName) + " NAME=" + quoted(kIndexFrameName) + ">");
    file.WriteLine(" <FRAME SRC=" + quoted(LinkPageName(1)) + " NAME=" + quoted(kLinkFrameName) + ">");
    file.WriteLine("</FRAMESET>");
    file.WriteLine("</HTML>");
}

} // namespace harrowdeck
