// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputPages.h"

#include "AtomicFile.h"
#include "FileProbe.h"
#include "MainState.h"

namespace harrowdeck {

namespace {

const std::string kPlainBody = "<BODY BGCOLOR=\"#FFFFFF\">";

std::string BackgroundBody(const std::string& image)
{
    return "<BODY BACKGROUND=\"" + image + "\">";
}

// Writes a whole file through fill, or leaves the old one as it was.
template <typename Fill>
std::optional<IoError> WriteWholeFile(const std::string& path, Fill fill)
{
    IoResult<AtomicFile> file = AtomicFile::Create(path);
    if (!file) {
        return file.Error();
    }
    fill(file->Output());
    return file->Commit();
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

std::string LinkPageName(std::uint64_t folderNumber)
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

void WriteLinkPageHead(OutputFile& file, std::string_view pageBodyTag, std::string_view folderName)
{
    WriteLinkPageHead(file, pageBodyTag, [folderName](OutputFile& out) { out.Append(folderName); });
}

void WriteLinkPageHead(OutputFile& file, std::string_view pageBodyTag, const NameWriter& writeName)
{
    file.WriteLine("<HTML>");
    file.WriteLine(pageBodyTag);
    file.Append("<H3>");
    writeName(file);
    file.WriteLine("</H3>");
}

void WriteLinkLine(OutputFile& file, std::string_view head, std::string_view targetAttr, std::string_view tail)
{
    file.Append(head);
    file.Append(targetAttr);
    file.Append(tail);
    file.WriteLine("<BR>");
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

void WriteIndexEntry(OutputFile& file, std::uint64_t folderNumber, std::string_view folderName)
{
    WriteIndexEntry(file, folderNumber, [folderName](OutputFile& out) { out.Append(folderName); });
}

void WriteIndexEntry(OutputFile& file, std::uint64_t folderNumber, const NameWriter& writeName)
{
    file.Append("<A HREF=\"");
    file.Append(LinkPageName(folderNumber));
    file.Append("\" TARGET=\"lankar\">");
    writeName(file);
    file.WriteLine("</A><BR>");
}

void WriteFrameset(OutputFile& file, int sizeMode, int leftPercent, int leftPixels)
{
    file.WriteLine("<HTML>");
    file.WriteLine("<HEAD>");
    file.WriteLine("<TITLE>Harrowdeck Bookmarks</TITLE>");
    file.WriteLine("</HEAD>");
    file.WriteLine("<FRAMESET COLS=\"" + ColsValue(sizeMode, leftPercent, leftPixels) + "\">");
    file.WriteLine(" <FRAME SRC=\"dir.html\" NAME=\"indexwin\">");
    file.WriteLine(" <FRAME SRC=\"1.html\" NAME=\"lankar\">");
    file.WriteLine("</FRAMESET>");
    file.WriteLine("</HTML>");
}

std::optional<IoError> WriteLinkPage(const std::string& path, const std::string& pageBodyTag,
                                     const std::string& folderName, const std::vector<std::string>& linkLines)
{
    return WriteWholeFile(path, [&](OutputFile& file) {
        WriteLinkPageHead(file, pageBodyTag, folderName);
        for (const std::string& link : linkLines) {
            file.WriteLine(link);
        }
        WritePageEnd(file);
    });
}

std::optional<IoError> WriteIndexPage(const std::string& destDir, const std::string& indexBodyTag,
                                      const std::vector<std::string>& folderNames)
{
    return WriteWholeFile(JoinPath(destDir, "dir.html"), [&](OutputFile& file) {
        WriteIndexHead(file, indexBodyTag);
        for (std::size_t i = 0; i < folderNames.size(); ++i) {
            WriteIndexEntry(file, i + 1, folderNames[i]);
        }
        WritePageEnd(file);
    });
}

std::optional<IoError> WriteFramesetPage(const std::string& destDir, int sizeMode, int leftPercent, int leftPixels)
{
    return WriteWholeFile(JoinPath(destDir, "Harrowdeck.html"),
                          [&](OutputFile& file) { WriteFrameset(file, sizeMode, leftPercent, leftPixels); });
}

} // namespace harrowdeck
