// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageSet.h"

#include "PageNames.h"

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
    if (!dir->Lock()) {
        return IoError::Busy(destDir);
    }
    // A killed run's temporary files may be what completes its commit:
    // leftovers go only once no record waits for them.
    if (CompleteInterruptedCommit(*dir) != CommitRecovery::Kept) {
        dir->RemoveStaleTemps();
    }
    return PageSet(std::move(*dir));
}

void PageSet::Tidy(const std::string& destDir)
{
    // Opening is the tidying; the set goes unused, and its lock with it.
    const IoResult<PageSet> opened = Open(destDir);
}

PageSet::PageSet(TargetDirectory dir)
    : dir_(std::move(dir)), index_{kIndexKey, kIndexPageName, std::nullopt}, frameset_{kFramesetKey, kFramesetPageName,
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
    FileStatus status;
    if (const int error = TargetDirectory::StatusOf(fd, status); error != 0) {
        return IoError::FromErrno(shown, error);
    }
    const std::optional<FileIdentity> file = status.identity;
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
    FileStatus status;
    if (const int error = TargetDirectory::StatusOf(*fd, status); error != 0) {
        return IoError::FromErrno(shown, error);
    }
    page.file = status.identity;
    return OutputFile(std::move(*fd), std::move(shown));
}

template <typename Keep, typename Step>
void PageSet::ForEachTargetIf(Keep keep, Step step)
{
    // Names are made only for the files kept: a pass over part of a large
    // set costs little more than that part.
    std::uint64_t position = 0;
    for (std::uint64_t key = 0; key < pages_.size(); ++key) {
        if (!pages_[key]) {
            continue;
        }
        if (keep(position) &&
            step(Target{KeyName(key).View(), LinkPageFileName(position + 1), nullptr, key, position})) {
            return;
        }
        ++position;
    }
    for (const FixedPage* page : {&index_, &frameset_}) {
        if (page->file && keep(position) && step(Target{page->key, FileName(page->name), page, 0, position})) {
            return;
        }
        ++position;
    }
}

template <typename Step>
void PageSet::ForEachTarget(Step step)
{
    ForEachTargetIf([](std::uint64_t) { return true; }, step);
}

template <typename Step>
void PageSet::ForEachTargetWhere(bool isNew, Step step)
{
    ForEachTargetIf([this, isNew](std::uint64_t position) { return present_[position] != isNew; }, step);
}

std::optional<IoError> PageSet::CheckAll(CommitRecord& record)
{
    if (auto error = inodes_.Rewind(dir_)) {
        return error;
    }
    const bool listed = ListTargets();
    std::optional<IoError> failure;
    ForEachTarget([&](const Target& target) {
        IoResult<FileIdentity> file =
            target.fixed != nullptr ? IoResult<FileIdentity>(*target.fixed->file) : PageIdentity(target.pageKey);
        if (!file) {
            failure = file.Error();
        } else if (!listed) {
            failure = LookAtTarget(target);
        }
        // A file for a new name is checked once renamed, while nothing of
        // the previous set is replaced yet, and taken back if it is not
        // ours; only those that replace old pages must be checked first,
        // and none where no other user can swap them.
        if (!failure && present_[target.position] && dir_.OthersMayChange()) {
            failure = dir_.CheckTemp(target.key, target.name.View(), *file);
        }
        return failure.has_value();
    });
    if (failure) {
        return failure;
    }
    // The record lists the files in the order they are renamed in, so that
    // a run that completes it claims the new names first too.
    for (const bool isNew : {true, false}) {
        if (auto error = inodes_.Rewind(dir_)) {
            return error;
        }
        ForEachTargetWhere(isNew, [&](const Target& target) {
            IoResult<FileIdentity> file =
                target.fixed != nullptr ? IoResult<FileIdentity>(*target.fixed->file) : PageIdentity(target.pageKey);
            if (!file) {
                failure = file.Error();
                return true;
            }
            record.Add(*file, dir_.TempName(target.key), target.name);
            return false;
        });
        if (failure) {
            return failure;
        }
    }
    return std::nullopt;
}

// One listing of the directory tells which targets are there, so that only
// those are looked at one by one: a first run into a new directory looks
// at none.
bool PageSet::ListTargets()
{
    present_.assign(pageCount_ + 2, false);
    return dir_.ForEachEntry([this](const char* entry) {
        const std::string_view name(entry);
        if (name == index_.name) {
            present_[pageCount_] = true;
        } else if (name == frameset_.name) {
            present_[pageCount_ + 1] = true;
        } else if (const std::optional<std::uint64_t> number = LinkPageNumber(name);
                   number && *number >= 1 && *number <= pageCount_) {
            present_[*number - 1] = true;
        }
    });
}

// Without a listing, each name is looked at to tell whether it is new.
std::optional<IoError> PageSet::LookAtTarget(const Target& target)
{
    const int blocker = dir_.CheckReplace(target.name);
    if (blocker != 0 && blocker != ENOENT) {
        return IoError::FromErrno(ShownPath(target.name.View()), blocker);
    }
    present_[target.position] = blocker != ENOENT;
    return std::nullopt;
}

int PageSet::IdentityAt(const Target& target, FileIdentity& file) noexcept
{
    if (target.fixed != nullptr) {
        file = *target.fixed->file;
        return 0;
    }
    file.device = device_.value_or(0);
    return inodes_.Find(target.pageKey, file.inode);
}

// Renames one file and confirms that its name holds it; false, with the
// failure noted, when it does not.
bool PageSet::Place(Renaming& renaming, const Target& target, bool isNew) noexcept
{
    FileIdentity file;
    Placement placed{Placement::Result::Failed, IdentityAt(target, file)};
    if (placed.error == 0) {
        placed = dir_.PlaceTemp(target.key, target.name, file, isNew);
    }
    if (isNew && placed.result == Placement::Result::Failed && placed.error == EEXIST) {
        // Someone took the name since the listing: what they put there is
        // replaced only where the rule allows it, as any page in the way.
        const int blocker = dir_.CheckReplace(target.name);
        placed = blocker == 0 || blocker == ENOENT ? dir_.PlaceTemp(target.key, target.name, file, false)
                                                   : Placement{Placement::Result::Failed, blocker};
    }
    if (placed.result == Placement::Result::Placed) {
        ++renaming.done;
        renaming.newPlaced += isNew ? 1 : 0;
        if (renaming.progress != nullptr) {
            renaming.progress->Renamed(renaming.done, renaming.total);
        }
        return true;
    }
    if (isNew && placed.result == Placement::Result::Misplaced) {
        // Not ours, but put there by this rename: it goes back where it came
        // from, with the run's other leftovers.
        dir_.UnplaceTemp(target.key, target.name);
    }
    renaming.error = placed.error;
    renaming.replaced = placed.result == Placement::Result::TempGone || placed.result == Placement::Result::Misplaced;
    renaming.failed = target.name;
    return false;
}

bool PageSet::PlaceNewNames(Renaming& renaming) noexcept
{
    if (!RewindIdentities(renaming)) {
        return false;
    }
    bool placed = true;
    ForEachTargetWhere(true, [&](const Target& target) { return !(placed = Place(renaming, target, true)); });
    return placed;
}

// What rename cannot replace (a directory, an immutable file, another
// user's page in a sticky directory) is looked for once the new names are
// the run's own, just before the first rename that replaces a page, so that
// it leaves the previous set whole and hardly anything can change between
// the look and the renames.
bool PageSet::CheckReplacedNames(Renaming& renaming) noexcept
{
    ForEachTargetWhere(false, [&](const Target& target) {
        const int blocker = dir_.CheckReplace(target.name);
        if (blocker == 0 || blocker == ENOENT) {
            return false;
        }
        renaming.error = blocker;
        renaming.failed = target.name;
        return true;
    });
    return renaming.error == 0;
}

// Removes the pages put under new names, each only while its name still
// holds it.
void PageSet::TakeBackNewNames(const Renaming& renaming) noexcept
{
    if (inodes_.Restart() != 0) {
        return;
    }
    std::uint64_t left = renaming.newPlaced;
    ForEachTargetWhere(true, [&](const Target& target) {
        FileIdentity file;
        if (left == 0 || IdentityAt(target, file) != 0) {
            return true;
        }
        dir_.RemoveIfHolds(target.name, file);
        return --left == 0;
    });
}

bool PageSet::ReplaceOldNames(Renaming& renaming) noexcept
{
    if (!RewindIdentities(renaming)) {
        return false;
    }
    bool placed = true;
    ForEachTargetWhere(false, [&](const Target& target) { return !(placed = Place(renaming, target, false)); });
    return placed;
}

// Moves the identities back to the first page for a pass over them.
bool PageSet::RewindIdentities(Renaming& renaming) noexcept
{
    renaming.error = inodes_.Restart();
    return renaming.error == 0;
}

IoError PageSet::FailureOf(const Renaming& renaming) const
{
    if (renaming.replaced) {
        return dir_.Replaced(renaming.failed.View());
    }
    return IoError::FromErrno(ShownPath(renaming.failed.View()), renaming.error);
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
    // From here on nothing allocates until the last rename, and a run
    // killed meanwhile is completed from the record.
    renaming_ = true;
    Renaming renaming;
    renaming.progress = progress;
    renaming.total = pageCount_ + (index_.file ? 1 : 0) + (frameset_.file ? 1 : 0);
    if (!PlaceNewNames(renaming) || !CheckReplacedNames(renaming)) {
        // No page of the previous set is replaced yet. The record goes
        // first, so that a run killed while the new names are taken back
        // does not complete the set after all.
        RemoveCommitRecord(dir_);
        TakeBackNewNames(renaming);
        renaming_ = false;
        return FailureOf(renaming);
    }
    if (!ReplaceOldNames(renaming)) {
        // The record and the files not yet renamed stay, and the next run
        // completes the set from them.
        return FailureOf(renaming);
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
