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
//
// The export is read as a browser reads it (see TagScanner): a folder is a
// heading followed by its list, and its list's end ends it, so a heading
// without a list is an empty folder, and a list without a heading, such as
// the export's outermost, belongs to the folder it stands in.
#include "FolderReader.h"

#include "FolderStack.h"
#include "LineClass.h"
#include "PageText.h"
#include "ScratchRecords.h"
#include "TagScanner.h"

#include <array>
#include <cerrno>
#include <cstring>
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

// What the scratch file keeps of a folder beside its name: whether its path
// begins with an ellipsis, whether a page lies below it (known only when it
// closes, and patched in then), its depth, and the record offsets of the
// names its path shows, outermost first.
struct FolderRecord {
    bool outerNamesLeftOut = false;
    bool pageBelow = false;
    std::uint64_t depth = 0;
    std::array<std::uint64_t, kShownNames> names{};
    std::size_t nameCount = 0;

    // Encoded as a byte of flags, a byte counting the names, the depth and
    // the names' offsets, each number in the machine's own order: the file
    // is read back only by the run that wrote it.
    static constexpr std::size_t kFlagsAt = 0;

    [[nodiscard]] char Flags() const
    {
        return static_cast<char>((outerNamesLeftOut ? kOuterNamesLeftOut : 0) | (pageBelow ? kPageBelow : 0));
    }

    [[nodiscard]] std::string Encode() const
    {
        std::string bytes;
        bytes.reserve(2 + (1 + nameCount) * sizeof(std::uint64_t));
        bytes.push_back(Flags());
        bytes.push_back(static_cast<char>(nameCount));
        AppendNumber(bytes, depth);
        for (std::size_t i = 0; i < nameCount; ++i) {
            AppendNumber(bytes, names[i]);
        }
        return bytes;
    }

    // Nothing when the bytes are not a record: a scratch file damaged under
    // the run.
    [[nodiscard]] static std::optional<FolderRecord> Decode(std::string_view bytes)
    {
        FolderRecord record;
        if (bytes.size() < 2) {
            return std::nullopt;
        }
        record.outerNamesLeftOut = (bytes[0] & kOuterNamesLeftOut) != 0;
        record.pageBelow = (bytes[0] & kPageBelow) != 0;
        record.nameCount = static_cast<unsigned char>(bytes[1]);
        if (record.nameCount > kShownNames || bytes.size() != 2 + (1 + record.nameCount) * sizeof(std::uint64_t)) {
            return std::nullopt;
        }
        record.depth = NumberAt(bytes, 2);
        for (std::size_t i = 0; i < record.nameCount; ++i) {
            record.names[i] = NumberAt(bytes, 2 + (1 + i) * sizeof(std::uint64_t));
        }
        return record;
    }

private:
    static constexpr char kOuterNamesLeftOut = 1;
    static constexpr char kPageBelow = 2;

    static void AppendNumber(std::string& bytes, std::uint64_t number)
    {
        bytes.append(reinterpret_cast<const char*>(&number), sizeof number);
    }

    static std::uint64_t NumberAt(std::string_view bytes, std::size_t at)
    {
        std::uint64_t number = 0;
        std::memcpy(&number, bytes.data() + at, sizeof number);
        return number;
    }
};

class NestedFolderReader final : public FolderReader {
public:
    NestedFolderReader(PageSet& pages, const ReadSettings& settings)
        : pages_(pages), settings_(settings), stack_(pages), scanner_(LineReader::kDefaultMaxLineLength)
    {
        root_.key = kRootKey;
        parked_.reserve(kParkedPages);
    }

    std::optional<IoError> Take(std::string_view line) override
    {
        scanner_.Feed(line);
        while (scanner_.Next(event_)) {
            if (std::optional<IoError> error = Handle(event_)) {
                CountGivenUpTags();
                return error;
            }
        }
        CountGivenUpTags();
        return std::nullopt;
    }

    void SkipTooLong() override
    {
        SkipUnreadable();
        scanner_.LineSkipped();
        CountGivenUpTags();
    }

    std::optional<IoError> Finish() override
    {
        scanner_.LineSkipped(); // a tag still open at the end is lost
        CountGivenUpTags();
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
    std::optional<IoError> Handle(const TagEvent& event)
    {
        switch (event.kind) {
        case TagEvent::Kind::Link:
            heading_.reset(); // a heading without a list is an empty folder
            return TakeLink(event.link);
        case TagEvent::Kind::Heading:
            heading_ = std::string(event.text);
            return rootNamed_ ? std::nullopt : NameRoot();
        case TagEvent::Kind::ListOpen:
            if (heading_) {
                return OpenFolderNamed();
            }
            ++Innermost().innerLists;
            return std::nullopt;
        case TagEvent::Kind::ListClose:
            heading_.reset();
            if (Innermost().innerLists > 0) {
                --Innermost().innerLists;
                return std::nullopt;
            }
            return stack_.Empty() ? std::nullopt : CloseFolder();
        case TagEvent::Kind::Title:
            if (rootNamed_) {
                return std::nullopt;
            }
            rootName_ = std::string(event.text);
            sawTitle_ = true;
            return NameRoot();
        }
        return std::nullopt;
    }

    OpenFolder& Innermost() { return stack_.Empty() ? root_ : stack_.Top(); }

    void CountGivenUpTags()
    {
        counts_.skippedLines += scanner_.GivenUp() - givenUpCounted_;
        givenUpCounted_ = scanner_.GivenUp();
    }

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

    // The heading read last opens a folder, now that its list begins.
    std::optional<IoError> OpenFolderNamed()
    {
        const std::string name = std::move(*heading_);
        heading_.reset();
        IoResult<ScratchRecords*> scratch = Scratch();
        if (!scratch) {
            return scratch.Error();
        }
        OpenFolder folder;
        folder.key = ++folderLines_;
        IoResult<std::uint64_t> nameRecord = (*scratch)->Append(name);
        if (!nameRecord) {
            return nameRecord.Error();
        }
        folder.nameRecord = *nameRecord;
        IoResult<std::uint64_t> pathRecord = (*scratch)->Append(PathRecord(folder.nameRecord).Encode());
        if (!pathRecord) {
            return pathRecord.Error();
        }
        folder.pathRecord = *pathRecord;
        return stack_.Push(folder);
    }

    // The path shows the names from the outermost folder to this one, only
    // the last few of a deep path; the depth is the number of folders
    // around this one.
    FolderRecord PathRecord(std::uint64_t ownName) const
    {
        const std::size_t ancestors = static_cast<std::size_t>(std::min<std::uint64_t>(stack_.Size(), kShownNames - 1));
        FolderRecord record;
        record.outerNamesLeftOut = stack_.Size() >= kShownNames;
        record.depth = stack_.Size();
        for (std::size_t level = ancestors; level > 0; --level) {
            record.names[record.nameCount++] = stack_.Below(level - 1).nameRecord;
        }
        record.names[record.nameCount++] = ownName;
        return record;
    }

    // The folder record at offset; gives the next record's offset.
    IoResult<std::uint64_t> ReadRecord(std::uint64_t offset, FolderRecord& record)
    {
        IoResult<std::uint64_t> next = scratch_->Read(offset, recordBytes_);
        if (!next) {
            return next;
        }
        std::optional<FolderRecord> decoded = FolderRecord::Decode(recordBytes_);
        if (!decoded) {
            return IoError::FromErrno(pages_.ShownPath(kIndexPageName), EIO);
        }
        record = *decoded;
        return next;
    }

    // Copies the names of the path record at offset into file.
    std::optional<IoError> WritePath(OutputFile& file, std::uint64_t pathRecord)
    {
        FolderRecord record;
        if (IoResult<std::uint64_t> read = ReadRecord(pathRecord, record); !read) {
            return read.Error();
        }
        if (record.outerNamesLeftOut) {
            file.Append(kPathEllipsis);
        }
        for (std::size_t i = 0; i < record.nameCount; ++i) {
            if (i > 0) {
                file.Append(kPathSeparator);
            }
            if (IoResult<std::uint64_t> copied = scratch_->CopyTo(record.names[i], file); !copied) {
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

    std::optional<IoError> TakeLink(const LinkCut& cut)
    {
        ++counts_.linksWritten;
        OpenFolder& folder = Innermost();
        if (&folder == &root_ && !rootNamed_) {
            return HoldRootLink(cut);
        }
        if (!IsOpenPage(folder)) {
            if (auto error = SwitchTo(folder)) {
                return error;
            }
        }
        WriteLinkLine(*page_, cut, settings_.targetAttr);
        return std::nullopt;
    }

    std::optional<IoError> HoldRootLink(const LinkCut& cut)
    {
        IoResult<ScratchRecords*> scratch = Scratch();
        if (!scratch) {
            return scratch.Error();
        }
        IoResult<std::uint64_t> held = (*scratch)->Append(LinkLineText(cut, settings_.targetAttr));
        if (!held) {
            return held.Error();
        }
        ++earlyRootLinks_;
        return std::nullopt;
    }

    // Makes folder's page the open one: created at its first link, opened
    // again to append when another folder's links came in between.
    [[nodiscard]] bool IsOpenPage(const OpenFolder& folder) const { return page_ && pageKey_ == folder.key; }

    std::optional<IoError> SwitchTo(OpenFolder& folder)
    {
        if (IsOpenPage(folder)) {
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
            WriteLinkPageHead(*page_, settings_.pageBodyTag, rootName_, settings_.charset);
            return std::nullopt;
        }
        return WriteLinkPageHead(*page_, settings_.pageBodyTag, PathWriter(folder.pathRecord), settings_.charset);
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
            FolderRecord marked; // its flags as written, now with a page below
            marked.outerNamesLeftOut = stack_.Size() >= kShownNames;
            marked.pageBelow = true;
            return scratch_->Patch(folder->pathRecord, FolderRecord::kFlagsAt, std::string(1, marked.Flags()));
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
        WriteIndexHead(*index, settings_.indexBodyTag, settings_.charset);
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
            FolderRecord record;
            IoResult<std::uint64_t> next = ReadRecord(*path, record);
            if (!next) {
                return next.Error();
            }
            offset = *next;
            std::optional<IoError> error;
            if (pages_.HasPage(key)) {
                error = WriteIndexEntry(*index, ++number, record.depth, NameCopier(name));
            } else if (record.pageBelow) {
                error = WriteIndexFolder(*index, record.depth, NameCopier(name));
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
    std::string recordBytes_; // the path record last read, its memory reused
    TagScanner scanner_;
    TagEvent event_; // kept, so that it is not set up anew for every line
    std::uint64_t givenUpCounted_ = 0;
    std::optional<std::string> heading_; // a heading whose list has not begun
};

} // namespace

std::unique_ptr<FolderReader> MakeNestedFolderReader(PageSet& pages, const ReadSettings& settings)
{
    return std::make_unique<NestedFolderReader>(pages, settings);
}

} // namespace harrowdeck
