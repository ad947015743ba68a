// SPDX-License-Identifier: GPL-3.0-or-later
// The classic reading: a page per top-level folder, the links of the
// folders inside it added to it, links outside every folder left out.
#include "FolderReader.h"

#include "LineClass.h"
#include "PageText.h"

namespace harrowdeck {

namespace {

class TopFolderReader final : public FolderReader {
public:
    TopFolderReader(PageSet& pages, const ReadSettings& settings) : pages_(pages), settings_(settings) {}

    std::optional<IoError> Take(std::string_view line) override
    {
        if (inFolder_) {
            return TakeInFolder(line);
        }
        TakeBetweenFolders(line);
        return std::nullopt;
    }

    std::optional<IoError> Finish() override
    {
        if (inFolder_) {
            if (auto error = EndFolder()) {
                return error;
            }
        }
        if (!index_) {
            return std::nullopt;
        }
        WritePageEnd(*index_);
        return index_->Finish();
    }

private:
    void TakeBetweenFolders(std::string_view line)
    {
        if (!IsFolderLine(line)) {
            if (IsLinkLine(line)) {
                ++counts_.leftOutLinks;
            }
            return;
        }
        std::optional<std::string> name = CutFolderName(line);
        if (!name) {
            return;
        }
        name_ = std::move(*name);
        inFolder_ = true;
        depth_ = 0;
    }

    std::optional<IoError> TakeInFolder(std::string_view line)
    {
        if (IsFolderEnd(line)) {
            if (depth_ > 0) {
                --depth_;
                return std::nullopt;
            }
            return EndFolder();
        }
        if (IsLinkLine(line)) {
            return TakeLink(line);
        }
        if (IsFolderLine(line)) {
            // An inner folder gets no page of its own; its links join the
            // outer folder until its own end line.
            ++depth_;
        }
        return std::nullopt;
    }

    std::optional<IoError> TakeLink(std::string_view line)
    {
        const std::optional<LinkCut> cut = CutLink(line);
        if (!cut) {
            return std::nullopt;
        }
        // The page exists from the folder's first link on, so a folder
        // without links creates no file and gives up no number.
        if (!page_) {
            if (auto error = StartPage()) {
                return error;
            }
        }
        WriteLinkLine(*page_, *cut, settings_.targetAttr);
        ++links_;
        return std::nullopt;
    }

    std::optional<IoError> StartPage()
    {
        const std::uint64_t number = counts_.pagesWritten + 1;
        IoResult<OutputFile> page = pages_.CreatePage(number, number);
        if (!page) {
            return page.Error();
        }
        page_ = std::move(*page);
        WriteLinkPageHead(*page_, settings_.pageBodyTag, name_, settings_.charset);
        return std::nullopt;
    }

    std::optional<IoError> EndFolder()
    {
        inFolder_ = false;
        if (!page_) {
            return std::nullopt;
        }
        WritePageEnd(*page_);
        std::optional<IoError> error = page_->Finish();
        page_.reset();
        if (error) {
            return error;
        }
        ++counts_.pagesWritten;
        counts_.linksWritten += links_;
        links_ = 0;
        return AddIndexEntry();
    }

    // The index grows with each page, so no folder name is held longer
    // than its folder is read.
    std::optional<IoError> AddIndexEntry()
    {
        if (!index_) {
            IoResult<OutputFile> index = pages_.CreateIndex();
            if (!index) {
                return index.Error();
            }
            index_ = std::move(*index);
            WriteIndexHead(*index_, settings_.indexBodyTag, settings_.charset);
        }
        WriteIndexEntry(*index_, counts_.pagesWritten, name_);
        return std::nullopt;
    }

    PageSet& pages_;
    const ReadSettings& settings_;
    std::string name_;
    std::optional<OutputFile> page_;
    std::optional<OutputFile> index_;
    std::uint64_t links_ = 0;
    std::size_t depth_ = 0;
    bool inFolder_ = false;
};

} // namespace

std::unique_ptr<FolderReader> MakeTopFolderReader(PageSet& pages, const ReadSettings& settings)
{
    return std::make_unique<TopFolderReader>(pages, settings);
}

} // namespace harrowdeck
