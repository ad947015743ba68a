// SPDX-License-Identifier: GPL-3.0-or-later
// A page for every folder that holds links of its own, the root included,
// headed by its path and numbered in the order of the folder lines, and an
// index that shows the folders as a tree.
//
// A page's number is known only at the end: the root, and every folder
// still open, may yet get a first link and so a page before the others.
// Pages are therefore kept under their folder's ordinal (root 0, then the
// folder lines counted from 1) and numbered when committed. Whether a folder
// without a page is listed is known only when its subtree ends. So dir.html
// is written last, from what a scratch file keeps of each folder: its name,
// and a small record of its path, its depth and whether a page lies below
// it. A path is kept as the offsets of the names on it and copied into a
// page a block at a time, and deep nesting moves the outer open folders to
// a scratch file too, so memory stays flat whatever the names, the depth or
// the number of folders. The pages of the few innermost folders around the
// current one stay open while a nested folder is written, so that coming
// back to them costs no reopening; outer ones are closed and opened again.
#include "FolderReader.h"

#include "FolderStack.h"
#include "LineClass.h"
#include "PageText.h"
#include "ScratchRecords.h"

#include <iterator>
#include <vector>

namespace harrowdeck {

namespace {

// A deep folder's path shows only its last few names, after an ellipsis.
constexpr std::size_t kShownNames = 4;
static_assert(kShownNames <= FolderStack::kAtHand, "a path's folders must be in memory");
constexpr std::string_view kPathSeparator = " / ";
constexpr std::string_view kPathEllipsis = "... / ";
constexpr std::string_view kDefaultRootName = "Bookmarks";
constexpr std::uint64_t kRootKey = 0;
// How often the final pass over the folders reports progress.
constexpr std::uint64_t kFoldersPerReport = 4096;
// How many pages of outer folders stay open, each with its buffer.
constexpr std::size_t kParkedPages = 8;

// The text after a title line's first ">" up to the next "<".
std::string_view CutTitle(std::string_view line)
{
    const auto open = line.find('>');
    std::string_view rest = open == std::string_view::npos ? line : line.substr(open + 1);
    return rest.substr(0, rest.find('<'));
}

// A folder's record beside its name: a byte of flags, a byte counting the
// names its path shows, its depth, then each shown name's record offset,
// outermost first.
constexpr char kOuterNamesLeftOut = 1; // the path begins with an ellipsis
constexpr char kPageBelow = 2;         // set when the folder closes
constexpr std::size_t kFlagsAt = 0;
constexpr std::size_t kCountAt = 1;
constexpr std::size_t kDepthAt = 2;
constexpr std::size_t kOffsetsAt = kDepthAt + sizeof(std::uint64_t);

void AppendNumber(std::string& record, std::uint64_t number)
{
    record.append(reinterpret_cast<const char*>(&number), sizeof number);
}

std::uint64_t NumberAt(const std::string& record, std::size_t at)
{
    std::uint64_t number = 0;
    record.copy(reinterpret_cast<char*>(&number), sizeof number, at);
    return number;
}

std::uint64_t NameOffsetAt(const std::string& record, std::size_t index)
{
    return NumberAt(record, kOffsetsAt + index * sizeof(std::uint64_t));
}

class NestedFolderReader final : public FolderReader {
public:
    NestedFolderReader(PageSet& pages, const ReadSettings& settings) : pages_(pages), settings_(settings), stack_(pages)
    {
        root_.key = kRootKey;
        parked_.reserve(kParkedPages);
    }

    std::optional<IoError> Take(std::string_view line) override
    {
        if (IsLinkLine(line)) {
            return TakeLink(line);
        }
        if (IsFolderLine(line)) {
            return OpenFolderLine(line);
        }
        if (IsFolderEnd(line)) {
            return stack_.Empty() ? std::nullopt : CloseFolder();
        }
        if (!rootNamed_ && line.find(kTitleMark) != std::string_view::npos) {
            rootName_ = std::string(CutTitle(line));
            sawTitle_ = true;
            return NameRoot();
        }
        return std::nullopt;
    }

    std::optional<IoError> Finish() override
    {
        while (!stack_.Empty()) {
            if (auto error = CloseFolder()) {
                return error;
            }
        }
        if (!rootNamed_) {
            if (auto error = NameRoot()) {
                return error;
            }
        }
        if (root_.shownNumber != 0) {
            if (auto error = EndPage(root_)) {
                return error;
            }
        }
        return pages_.PageCount() == 0 ? std::nullopt : WriteIndex();
    }

private:
    // The scratch file is made when the first record needs it.
    IoResult<ScratchRecords*> Scratch()
    {
        if (!scratch_) {
            IoResult<FileDescriptor> fd = pages_.CreateScratch();
            if (!fd) {
                return fd.Error();
            }
            scratch_.emplace(std::move(*fd), pages_.ShownPath(kIndexPageName));
        }
        return &*scratch_;
    }

    // The root's name is settled by the title, the first folder line or the
    // end. Links read before then wait in the scratch file, since the
    // page's heading, which carries the name, must come first.
    std::optional<IoError> NameRoot()
    {
        rootNamed_ = true;
        if (rootName_.empty() && !sawTitle_) {
            rootName_ = kDefaultRootName;
        }
        if (earlyRootLinks_ == 0) {
            return std::nullopt;
        }
        if (auto error = StartPage(root_)) {
            return error;
        }
        std::uint64_t offset = 0;
        for (std::uint64_t i = 0; i < earlyRootLinks_; ++i) {
            IoResult<std::uint64_t> next = scratch_->CopyTo(offset, *page_);
            if (!next) {
                return next.Error();
            }
            offset = *next;
        }
        firstFolderRecord_ = offset;
        return std::nullopt;
    }

    std::optional<IoError> OpenFolderLine(std::string_view line)
    {
        if (!rootNamed_) {
            if (auto error = NameRoot()) {
                return error;
            }
        }
        std::optional<std::string> name = CutFolderName(line);
        if (!name) {
            // Still a folder, so that its end line closes it, not its parent.
            name.emplace();
        }
        IoResult<ScratchRecords*> scratch = Scratch();
        if (!scratch) {
            return scratch.Error();
        }
        OpenFolder folder;
        folder.key = ++folderLines_;
        IoResult<std::uint64_t> nameRecord = (*scratch)->Append(*name);
        if (!nameRecord) {
            return nameRecord.Error();
        }
        folder.nameRecord = *nameRecord;
        IoResult<std::uint64_t> pathRecord = (*scratch)->Append(PathRecord(folder.nameRecord));
        if (!pathRecord) {
            return pathRecord.Error();
        }
        folder.pathRecord = *pathRecord;
        return stack_.Push(folder);
    }

    // The path shows the names from the outermost folder to this one, only
    // the last few of a deep path; the depth is the number of folders
    // around this one.
    std::string PathRecord(std::uint64_t ownName) const
    {
        const std::size_t ancestors = static_cast<std::size_t>(std::min<std::uint64_t>(stack_.Size(), kShownNames - 1));
        std::string record;
        record.push_back(stack_.Size() >= kShownNames ? kOuterNamesLeftOut : 0);
        record.push_back(static_cast<char>(ancestors + 1));
        AppendNumber(record, stack_.Size());
        for (std::size_t level = ancestors; level > 0; --level) {
            AppendNumber(record, stack_.Below(level - 1).nameRecord);
        }
        AppendNumber(record, ownName);
        return record;
    }

    // Copies the names of the path record at offset into file.
    std::optional<IoError> WritePath(OutputFile& file, std::uint64_t pathRecord)
    {
        if (IoResult<std::uint64_t> read = scratch_->Read(pathRecord, record_); !read) {
            return read.Error();
        }
        if ((record_[kFlagsAt] & kOuterNamesLeftOut) != 0) {
            file.Append(kPathEllipsis);
        }
        const auto count = static_cast<std::size_t>(record_[kCountAt]);
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) {
                file.Append(kPathSeparator);
            }
            if (IoResult<std::uint64_t> copied = scratch_->CopyTo(NameOffsetAt(record_, i), file); !copied) {
                return copied.Error();
            }
        }
        return std::nullopt;
    }

    NameWriter PathWriter(std::uint64_t pathRecord)
    {
        return [this, pathRecord](OutputFile& file) { return WritePath(file, pathRecord); };
    }

    NameWriter NameCopier(std::uint64_t nameRecord)
    {
        return [this, nameRecord](OutputFile& file) -> std::optional<IoError> {
            if (IoResult<std::uint64_t> copied = scratch_->CopyTo(nameRecord, file); !copied) {
                return copied.Error();
            }
            return std::nullopt;
        };
    }

    std::optional<IoError> TakeLink(std::string_view line)
    {
        const std::optional<LinkCut> cut = CutLink(line);
        if (!cut) {
            return std::nullopt;
        }
        ++counts_.linksWritten;
        OpenFolder& folder = stack_.Empty() ? root_ : stack_.Top();
        if (&folder == &root_ && !rootNamed_) {
            return HoldRootLink(*cut);
        }
        if (auto error = SwitchTo(folder)) {
            return error;
        }
        WriteLinkLine(*page_, cut->head, settings_.targetAttr, cut->tail);
        return std::nullopt;
    }

    std::optional<IoError> HoldRootLink(const LinkCut& cut)
    {
        IoResult<ScratchRecords*> scratch = Scratch();
        if (!scratch) {
            return scratch.Error();
        }
        IoResult<std::uint64_t> held = (*scratch)->Append(LinkLineText(cut.head, settings_.targetAttr, cut.tail));
        if (!held) {
            return held.Error();
        }
        ++earlyRootLinks_;
        return std::nullopt;
    }

    // Makes folder's page the open one: created at its first link, opened
    // again to append when another folder's links came in between.
    std::optional<IoError> SwitchTo(OpenFolder& folder)
    {
        if (page_ && pageKey_ == folder.key) {
            return std::nullopt;
        }
        if (auto error = ParkPageFile()) {
            return error;
        }
        if (folder.shownNumber == 0) {
            return StartPage(folder);
        }
        if (Unpark(folder.key)) {
            return std::nullopt;
        }
        IoResult<OutputFile> page = pages_.ReopenPage(folder.key, folder.shownNumber);
        if (!page) {
            return page.Error();
        }
        page_ = std::move(*page);
        pageKey_ = folder.key;
        return std::nullopt;
    }

    std::optional<IoError> StartPage(OpenFolder& folder)
    {
        if (auto error = ClosePageFile()) {
            return error;
        }
        folder.shownNumber = pages_.PageCount() + 1;
        IoResult<OutputFile> page = pages_.CreatePage(folder.key, folder.shownNumber);
        if (!page) {
            return page.Error();
        }
        page_ = std::move(*page);
        pageKey_ = folder.key;
        if (&folder == &root_) {
            WriteLinkPageHead(*page_, settings_.pageBodyTag, rootName_);
            return std::nullopt;
        }
        return WriteLinkPageHead(*page_, settings_.pageBodyTag, PathWriter(folder.pathRecord));
    }

    // Keeps the open page aside, its buffer unwritten; when too many are
    // kept, the outermost is written and closed.
    std::optional<IoError> ParkPageFile()
    {
        if (!page_) {
            return std::nullopt;
        }
        std::optional<IoError> error;
        if (parked_.size() == kParkedPages) {
            error = parked_.front().file.Finish();
            parked_.erase(parked_.begin());
        }
        parked_.push_back(ParkedPage{pageKey_, std::move(*page_)});
        page_.reset();
        return error;
    }

    // The folder's page, if it is kept aside, as the open one again.
    [[nodiscard]] bool Unpark(std::uint64_t key)
    {
        for (auto kept = parked_.rbegin(); kept != parked_.rend(); ++kept) {
            if (kept->key == key) {
                page_ = std::move(kept->file);
                pageKey_ = key;
                parked_.erase(std::next(kept).base());
                return true;
            }
        }
        return false;
    }

    std::optional<IoError> ClosePageFile()
    {
        if (!page_) {
            return std::nullopt;
        }
        std::optional<IoError> error = page_->Finish();
        page_.reset();
        return error;
    }

    // A folder with a page, or with a page below it, is listed in the index,
    // and so is every folder around it.
    std::optional<IoError> CloseFolder()
    {
        IoResult<OpenFolder> folder = stack_.Pop();
        if (!folder) {
            return folder.Error();
        }
        const bool hasPage = folder->shownNumber != 0;
        if (!hasPage && !folder->pageBelow) {
            return std::nullopt;
        }
        if (!stack_.Empty()) {
            stack_.Top().pageBelow = true;
        }
        if (!hasPage) {
            return scratch_->Patch(folder->pathRecord, kFlagsAt, std::string(1, kPageBelow));
        }
        return EndPage(*folder);
    }

    std::optional<IoError> EndPage(OpenFolder& folder)
    {
        if (auto error = SwitchTo(folder)) {
            return error;
        }
        WritePageEnd(*page_);
        ++counts_.pagesWritten;
        return ClosePageFile();
    }

    std::optional<IoError> WriteIndex()
    {
        IoResult<OutputFile> index = pages_.CreateIndex();
        if (!index) {
            return index.Error();
        }
        WriteIndexHead(*index, settings_.indexBodyTag);
        std::uint64_t number = 0;
        if (pages_.HasPage(kRootKey)) {
            WriteIndexEntry(*index, ++number, rootName_);
        }
        std::uint64_t offset = firstFolderRecord_;
        for (std::uint64_t key = 1; key <= folderLines_; ++key) {
            // Each folder left two records: its own name, then its path.
            const std::uint64_t name = offset;
            IoResult<std::uint64_t> path = scratch_->Skip(name);
            if (!path) {
                return path.Error();
            }
            IoResult<std::uint64_t> next = scratch_->Read(*path, record_);
            if (!next) {
                return next.Error();
            }
            offset = *next;
            const std::uint64_t depth = NumberAt(record_, kDepthAt);
            std::optional<IoError> error;
            if (pages_.HasPage(key)) {
                error = WriteIndexEntry(*index, ++number, depth, NameCopier(name));
            } else if ((record_[kFlagsAt] & kPageBelow) != 0) {
                error = WriteIndexFolder(*index, depth, NameCopier(name));
            }
            if (error) {
                return error;
            }
            if (key % kFoldersPerReport == 0 && settings_.progress &&
                !settings_.progress(UserInterface::Stage::WritingIndex, key, folderLines_)) {
                return Cancellation(index->ShownPath());
            }
        }
        WritePageEnd(*index);
        return index->Finish();
    }

    PageSet& pages_;
    const ReadSettings& settings_;
    std::optional<ScratchRecords> scratch_;
    FolderStack stack_;
    OpenFolder root_;
    std::string rootName_;
    bool rootNamed_ = false;
    bool sawTitle_ = false;
    std::uint64_t earlyRootLinks_ = 0;
    std::uint64_t firstFolderRecord_ = 0;
    std::uint64_t folderLines_ = 0;
    std::optional<OutputFile> page_;
    std::uint64_t pageKey_ = 0;
    // Pages of folders around the open one, outermost first.
    struct ParkedPage {
        std::uint64_t key;
        OutputFile file;
    };
    std::vector<ParkedPage> parked_;
    std::string record_; // the path record last read, its memory reused
};

} // namespace

std::unique_ptr<FolderReader> MakeNestedFolderReader(PageSet& pages, const ReadSettings& settings)
{
    return std::make_unique<NestedFolderReader>(pages, settings);
}

} // namespace harrowdeck
