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

std::string PageKey(std::uint64_t key)
{
    return std::to_string(key);
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
    dir->RemoveStaleTemps();
    return PageSet(std::move(*dir));
}

PageSet::~PageSet()
{
    Abandon();
}

IoResult<OutputFile> PageSet::CreatePage(std::uint64_t key, std::uint64_t shownNumber)
{
    const std::string name = LinkPageName(shownNumber);
    IoResult<FileDescriptor> fd = dir_.CreateTemp(PageKey(key), name);
    if (!fd) {
        return fd.Error();
    }
    if (key >= pages_.size()) {
        pages_.resize(key + 1 + key / 2);
    }
    pages_[key] = true;
    ++pageCount_;
    return OutputFile(std::move(*fd), ShownPath(name));
}

IoResult<OutputFile> PageSet::ReopenPage(std::uint64_t key, std::uint64_t shownNumber)
{
    const std::string name = LinkPageName(shownNumber);
    IoResult<FileDescriptor> fd = dir_.ReopenTemp(PageKey(key), name);
    if (!fd) {
        return fd.Error();
    }
    return OutputFile(std::move(*fd), ShownPath(name));
}

IoResult<OutputFile> PageSet::CreateIndex()
{
    return CreateFixed(kIndexKey, kIndexPageName, hasIndex_);
}

IoResult<OutputFile> PageSet::CreateFrameset()
{
    return CreateFixed(kFramesetKey, kFramesetPageName, hasFrameset_);
}

IoResult<OutputFile> PageSet::CreateFixed(std::string_view key, std::string_view name, bool& created)
{
    IoResult<FileDescriptor> fd = dir_.CreateTemp(key, name);
    if (!fd) {
        return fd.Error();
    }
    created = true;
    return OutputFile(std::move(*fd), ShownPath(name));
}

template <typename Step>
std::optional<IoError> PageSet::ForEachTarget(Step step) const
{
    std::uint64_t number = 0;
    for (std::uint64_t key = 0; key < pages_.size(); ++key) {
        if (!pages_[key]) {
            continue;
        }
        if (auto error = step(PageKey(key), LinkPageName(++number))) {
            return error;
        }
    }
    if (hasIndex_) {
        if (auto error = step(kIndexKey, std::string(kIndexPageName))) {
            return error;
        }
    }
    if (hasFrameset_) {
        return step(kFramesetKey, std::string(kFramesetPageName));
    }
    return std::nullopt;
}

// What rename cannot replace is found before the first rename, so that a
// set that cannot be put in place leaves the previous one whole.
std::optional<IoError> PageSet::CheckReplaceable(const std::string& target) const
{
    struct statx info {};
    if (::statx(dir_.Fd(), target.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &info) != 0) {
        return std::nullopt; // a new name, or a failure the rename reports itself
    }
    int error = 0;
    if (S_ISDIR(info.stx_mode)) {
        error = EISDIR;
    } else if ((info.stx_attributes & (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND)) != 0) {
        error = EPERM;
    } else if ((info.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0) {
        error = EBUSY;
    }
    if (error == 0) {
        return std::nullopt;
    }
    return IoError::FromErrno(ShownPath(target), error);
}

std::optional<IoError> PageSet::Commit()
{
    const auto check = [this](std::string_view, const std::string& target) { return CheckReplaceable(target); };
    const auto rename = [this](std::string_view key, const std::string& target) {
        return dir_.CommitTemp(key, target);
    };
    if (auto error = ForEachTarget(check)) {
        return error;
    }
    if (auto error = ForEachTarget(rename)) {
        return error; // the files not yet renamed go with the destructor
    }
    pages_.clear();
    pageCount_ = 0;
    hasIndex_ = false;
    hasFrameset_ = false;
    return std::nullopt;
}

void PageSet::Abandon()
{
    if (!dir_.IsOpen()) {
        return;
    }
    for (std::uint64_t key = 0; key < pages_.size(); ++key) {
        if (pages_[key]) {
            dir_.RemoveTemp(PageKey(key));
        }
    }
    pages_.clear();
    pageCount_ = 0;
    if (hasIndex_) {
        dir_.RemoveTemp(kIndexKey);
        hasIndex_ = false;
    }
    if (hasFrameset_) {
        dir_.RemoveTemp(kFramesetKey);
        hasFrameset_ = false;
    }
}

} // namespace harrowdeck
