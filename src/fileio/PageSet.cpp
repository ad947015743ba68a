// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageSet.h"

#include "PageNames.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>

namespace harrowdeck {

namespace {

constexpr std::string_view kIndexKey = "dir";
constexpr std::string_view kFramesetKey = "frame";

FileName KeyName(std::uint64_t key) noexcept
{
    FileName name;
    name.Append(key);
    return name;
}

} // namespace

IoResult<PageSet> PageSet::Open(const std::string& destDir)
{
    IoResult<TargetDirectory> dir = TargetDirectory::Open(destDir);
    if (!dir) {
        return dir.Error();
    }
    // File systems without locks still get a run; only a held lock stops it.
    if (::flock(dir->Fd(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        return IoError::FromErrno(destDir, EWOULDBLOCK);
    }
    // A killed run's temporary files may be what completes its commit:
    // leftovers go only once no record waits for them.
    if (CompleteInterruptedCommit(*dir) != CommitRecovery::Kept) {
        dir->RemoveStaleTemps();
    }
    const ReplaceRule rule = ReplaceRule::For(dir->Fd(), dir->Writer());
    return PageSet(std::move(*dir), rule);
}

void PageSet::Tidy(const std::string& destDir)
{
    // Opening is the tidying; the set goes unused, and its lock with it.
    const IoResult<PageSet> opened = Open(destDir);
}

PageSet::PageSet(TargetDirectory dir, ReplaceRule rule)
    : dir_(std::move(dir)),
      rule_(rule), index_{kIndexKey, kIndexPageName, std::nullopt}, frameset_{kFramesetKey, kFramesetPageName,
                                                                              std::nullopt}
{
}

PageSet::~PageSet()
{
    Abandon();
}

IoResult<OutputFile> PageSet::CreatePage(std::uint64_t key, std::uint64_t shownNumber)
{
    // What allocates comes before the file exists, and the file is noted
    // as soon as it does, so that no failure leaves it behind.
    const FileName target = LinkPageFileName(shownNumber);
    std::string shown = ShownPath(target.View());
    if (key >= pages_.size()) {
        pages_.resize(key + 1 + key / 2);
    }
    IoResult<FileDescriptor> fd = dir_.CreateTemp(KeyName(key).View(), target.View());
    if (!fd) {
        return fd.Error();
    }
    pages_[key] = true;
    ++pageCount_;
    if (auto error = Remember(key, *fd, shown)) {
        return *error;
    }
    return OutputFile(std::move(*fd), std::move(shown));
}

std::optional<IoError> PageSet::Remember(std::uint64_t key, const FileDescriptor& fd, const std::string& shown)
{
    const std::optional<FileIdentity> file = TargetDirectory::IdentityOf(fd);
    if (!file) {
        return IoError::FromErrno(shown, errno);
    }
    // One directory, one file system: the pages share their device.
    if (!device_) {
        device_ = file->device;
    }
    return inodes_.Set(dir_, key, file->inode);
}

IoResult<FileIdentity> PageSet::PageIdentity(std::uint64_t key)
{
    IoResult<std::uint64_t> inode = inodes_.Get(dir_, key);
    if (!inode) {
        return inode.Error();
    }
    return FileIdentity{device_.value_or(0), *inode};
}

IoResult<OutputFile> PageSet::ReopenPage(std::uint64_t key, std::uint64_t shownNumber)
{
    const FileName target = LinkPageFileName(shownNumber);
    std::string shown = ShownPath(target.View());
    IoResult<FileIdentity> file = PageIdentity(key);
    if (!file) {
        return file.Error();
    }
    IoResult<FileDescriptor> fd = dir_.ReopenTemp(KeyName(key).View(), target.View(), *file);
    if (!fd) {
        return fd.Error();
    }
    return OutputFile(std::move(*fd), std::move(shown));
}

IoResult<OutputFile> PageSet::CreateIndex()
{
    return CreateFixed(index_);
}

IoResult<OutputFile> PageSet::CreateFrameset()
{
    return CreateFixed(frameset_);
}

IoResult<OutputFile> PageSet::CreateFixed(FixedPage& page)
{
    std::string shown = ShownPath(page.name);
    IoResult<FileDescriptor> fd = dir_.CreateTemp(page.key, page.name);
    if (!fd) {
        return fd.Error();
    }
    page.file = FileIdentity{}; // noted before anything else can fail
    const std::optional<FileIdentity> file = TargetDirectory::IdentityOf(*fd);
    if (!file) {
        return IoError::FromErrno(shown, errno);
    }
    page.file = *file;
    return OutputFile(std::move(*fd), std::move(shown));
}

template <typename Step>
void PageSet::ForEachTarget(Step step)
{
    std::uint64_t number = 0;
    for (std::uint64_t key = 0; key < pages_.size(); ++key) {
        if (pages_[key] && step(KeyName(key).View(), LinkPageFileName(++number), nullptr, key)) {
            return;
        }
    }
    for (const FixedPage* page : {&index_, &frameset_}) {
        if (page->file && step(page->key, FileName(page->name), page, 0)) {
            return;
        }
    }
}

std::optional<IoError> PageSet::CheckAll(CommitRecord& record)
{
    if (auto error = inodes_.Rewind(dir_)) {
        return error;
    }
    const ExistingTargets existing = ListTargets();
    std::uint64_t number = 0;
    std::optional<IoError> failure;
    ForEachTarget([&](std::string_view key, const FileName& target, const FixedPage* fixed, std::uint64_t pageKey) {
        IoResult<FileIdentity> file = fixed != nullptr ? IoResult<FileIdentity>(*fixed->file) : PageIdentity(pageKey);
        const bool mayExist = !existing.listed || (fixed == nullptr   ? existing.pages[++number]
                                                   : fixed == &index_ ? existing.index
                                                                      : existing.frameset);
        if (!file) {
            failure = file.Error();
        } else if (!(failure = CheckOne(key, target, *file, mayExist))) {
            record.Add(*file, dir_.TempName(key), target);
        }
        return failure.has_value();
    });
    return failure;
}

// One listing of the directory tells which targets are there, so that only
// those are looked at one by one: a first run into a new directory looks
// at none.
PageSet::ExistingTargets PageSet::ListTargets() const
{
    ExistingTargets existing;
    existing.pages.resize(pageCount_ + 1);
    existing.listed = dir_.ForEachEntry([this, &existing](const char* entry) {
        const std::string_view name(entry);
        if (name == index_.name) {
            existing.index = true;
        } else if (name == frameset_.name) {
            existing.frameset = true;
        } else if (const std::optional<std::uint64_t> number = LinkPageNumber(name); number && *number <= pageCount_) {
            existing.pages[*number] = true;
        }
    });
    return existing;
}

// What rename cannot replace is found before the first rename, and so is a
// temporary name that no longer holds the file written under it.
std::optional<IoError> PageSet::CheckOne(std::string_view key, const FileName& target, const FileIdentity& file,
                                         bool targetMayExist) const
{
    struct statx info {};
    // A target that is not there is new; one that cannot be looked at
    // fails the rename itself, before the record would be needed.
    if (targetMayExist && ::statx(dir_.Fd(), target.CStr(), AT_SYMLINK_NOFOLLOW, ReplaceRule::kStatxMask, &info) == 0) {
        if (const int error = rule_.Check(info); error != 0) {
            return IoError::FromErrno(ShownPath(target.View()), error);
        }
    }
    return dir_.CheckTemp(key, target.View(), file);
}

std::optional<IoError> PageSet::Commit(RenameProgress* progress)
{
    {
        IoResult<CommitRecord> record = CommitRecord::Create(dir_);
        if (!record) {
            return record.Error();
        }
        if (auto error = CheckAll(*record)) {
            return error;
        }
        if (auto error = record->Place()) {
            return error;
        }
    }
    // From here on the set goes in whole: nothing allocates until the last
    // rename, and a run killed meanwhile is completed from the record.
    renaming_ = true;
    int error = 0;
    std::uint64_t renamed = 0;
    FileName failed;
    const std::uint64_t total = pageCount_ + (index_.file ? 1 : 0) + (frameset_.file ? 1 : 0);
    ForEachTarget([this, &error, &renamed, &failed, progress, total](std::string_view key, const FileName& target,
                                                                     const FixedPage*, std::uint64_t) {
        error = dir_.RenameTemp(key, target);
        if (error != 0) {
            failed = target;
        }
        renamed += error == 0 ? 1 : 0;
        if (error == 0 && progress != nullptr) {
            progress->Renamed(renamed, total);
        }
        return error != 0;
    });
    if (error != 0 && renamed == 0) {
        // Nothing was replaced: the previous set stays, whole.
        RemoveCommitRecord(dir_);
        renaming_ = false;
    }
    if (error != 0) {
        // Otherwise the record and the files not yet renamed stay, and the
        // next run completes the set from them.
        return IoError::FromErrno(ShownPath(failed.View()), error);
    }
    RemoveCommitRecord(dir_);
    pages_.clear();
    pageCount_ = 0;
    index_.file.reset();
    frameset_.file.reset();
    renaming_ = false;
    return std::nullopt;
}

void PageSet::Abandon() noexcept
{
    // Once the record is placed, its files complete the commit.
    if (!dir_.IsOpen() || renaming_) {
        return;
    }
    for (std::uint64_t key = 0; key < pages_.size(); ++key) {
        if (pages_[key]) {
            dir_.RemoveTemp(KeyName(key).View());
        }
    }
    for (const FixedPage* page : {&index_, &frameset_}) {
        if (page->file) {
            dir_.RemoveTemp(page->key);
        }
    }
}

} // namespace harrowdeck
