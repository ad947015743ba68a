// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReadPages.h"

#include "PageText.h"
#include "TestFiles.h"

#include <stdexcept>

namespace harrowdeck::test {

PagesRead ReadPages(LineReader& input, const std::string& dir, const std::string& targetAttr,
                    const std::string& pageBody, const ReadProgress& progress, FolderMode mode)
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
    std::string text = LinkLineText(cut->head, targetAttr, cut->tail);
    text.resize(text.size() - 2); // CR LF
    return text;
}

std::vector<std::string> IndexNames(const std::string& dirHtml)
{
    static const std::string kOpen = "TARGET=\"" + std::string(kLinkFrameName) + "\">";
    static const std::string kClose = "</A><BR>\r\n";
    std::vector<std::string> names;
    for (std::size_t at = dirHtml.find(kOpen); at != std::string::npos; at = dirHtml.find(kOpen, at)) {
        at += kOpen.size();
        const std::size_t end = dirHtml.find(kClose, at);
        names.push_back(dirHtml.substr(at, end - at));
        at = end;
    }
    return names;
}

} // namespace harrowdeck::test
