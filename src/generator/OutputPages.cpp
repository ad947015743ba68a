// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputPages.h"

#include "FileProbe.h"
#include "MainState.h"

namespace harrowdeck {

namespace {

const std::string kPlainBody = "<BODY BGCOLOR=\"#FFFFFF\">";

std::string BackgroundBody(const std::string& image)
{
    return "<BODY BACKGROUND=\"" + image + "\">";
}

std::optional<IoError> Finish(OutputFile& file)
{
    if (!file.Commit()) {
        return file.Error();
    }
    return std::nullopt;
}

} // namespace

BodyTags ChooseBodyTags(const std::string& destDir)
{
    BodyTags tags{kPlainBody, kPlainBody};
    if (FileExists(JoinPath(destDir, "back.gif"))) {
        tags.page = tags.index = BackgroundBody("back.gif");
    }
    if (FileExists(JoinPath(destDir, "dir.gif"))) {
        tags.index = BackgroundBody("dir.gif");
    }
    if (FileExists(JoinPath(destDir, "file.gif"))) {
        tags.page = BackgroundBody("file.gif");
    }
    return tags;
}

std::string LinkPageName(std::size_t folderNumber)
{
    return std::to_string(folderNumber) + ".html";
}

std::string ColsValue(int sizeMode, int leftPercent, int leftPixels)
{
    if (sizeMode == kSizePercent) {
        return std::to_string(leftPercent) + "%," + std::to_string(100 - leftPercent) + "%";
    }
    return std::to_string(leftPixels) + ",*";
}

std::optional<IoError> WriteLinkPage(const std::string& path, const std::string& pageBodyTag,
                                     const std::string& folderName, const std::vector<std::string>& linkLines)
{
    OutputFile file(path);
    if (!file.Open()) {
        return file.Error();
    }
    file.WriteLine("<HTML>");
    file.WriteLine(pageBodyTag);
    file.WriteLine("<H3>" + folderName + "</H3>");
    for (const std::string& link : linkLines) {
        file.WriteLine(link);
    }
    file.WriteLine("</BODY>");
    file.WriteLine("</HTML>");
    return Finish(file);
}

std::optional<IoError> WriteIndexPage(const std::string& destDir, const std::string& indexBodyTag,
                                      const std::vector<std::string>& folderNames)
{
    OutputFile file(JoinPath(destDir, "dir.html"));
    if (!file.Open()) {
        return file.Error();
    }
    file.WriteLine("<HTML>");
    file.WriteLine(indexBodyTag);
    file.WriteLine("<H3>Harrowdeck</H3>");
    std::string entry;
    for (std::size_t i = 0; i < folderNames.size(); ++i) {
        entry.assign("<A HREF=\"");
        entry.append(LinkPageName(i + 1));
        entry.append("\" TARGET=\"lankar\">");
        entry.append(folderNames[i]);
        entry.append("</A><BR>");
        file.WriteLine(entry);
    }
    file.WriteLine("</BODY>");
    file.WriteLine("</HTML>");
    return Finish(file);
}

std::optional<IoError> WriteFramesetPage(const std::string& destDir, int sizeMode, int leftPercent, int leftPixels)
{
    OutputFile file(JoinPath(destDir, "Harrowdeck.html"));
    if (!file.Open()) {
        return file.Error();
    }
    file.WriteLine("<HTML>");
    file.WriteLine("<HEAD>");
    file.WriteLine("<TITLE>Harrowdeck Bookmarks</TITLE>");
    file.WriteLine("</HEAD>");
    file.WriteLine("<FRAMESET COLS=\"" + ColsValue(sizeMode, leftPercent, leftPixels) + "\">");
    file.WriteLine(" <FRAME SRC=\"dir.html\" NAME=\"indexwin\">");
    file.WriteLine(" <FRAME SRC=\"1.html\" NAME=\"lankar\">");
    file.WriteLine("</FRAMESET>");
    file.WriteLine("</HTML>");
    return Finish(file);
}

} // namespace harrowdeck
