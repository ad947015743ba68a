// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageSet.h"

#include "FileProbe.h"
#include "OutputPages.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <utility>

namespace harrowdeck {

namespace {

constexpr const char* kIndexKey = "dir";
constexpr const char* kFramesetKey = "frame";
// A leftover whose writer cannot be told apart from a live process is
// removed only once it is clearly abandoned.
constexpr std::time_t kStaleAge = 24 * 60 * 60;

std::string PageKey(std::uint64_t key)
{
    return std::to_string(key);
}

bool WriterIsGone(long pid)
{
    if (pid == ::getpid()) {
        return true; // an earlier process that had our pid; we hold the lock
    }
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

std::optional<PageSet> PageSet::Open(const std::string& destDir, DestinationError& error)
{
    const std::string path = destDir.empty() ? std::string(".") : destDir;
    FileDescriptor dir(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.IsOpen()) {
        error = {false, IoError::FromErrno(destDir, errno)};
        return std::nullopt;
    }
    // File systems without locks still get a run; only a held lock stops it.
    if (::flock(dir.Get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        error = {true, IoError::FromErrno(destDir, errno)};
        return std::nullopt;
    }
    PageSet pages(std::move(dir), destDir);
    pages.RemoveStaleTemporaries();
    return pages;
}

PageSet::PageSet(FileDescriptor dir, std::string destDir)
    : dir_(std::move(dir)), destDir_(std::move(destDir)), pid_(::getpid())
{
}

PageSet::PageSet(PageSet&& other) noexcept
    : dir_(std::move(other.dir_))
    , destDir_(std::move(other.destDir_))
    , pid_(other.pid_)
    , pages_(std::move(other.pages_))
    , pageCount_(std::exchange(other.pageCount_, 0))
    , hasIndex_(std::exchange(other.hasIndex_, false))
    , hasFrameset_(std::exchange(other.hasFrameset_, false))
{
    other.pages_.clear();
}

PageSet::~PageSet()
{
    Abandon();
}

std::string PageSet::ShownPath(std::string_view name) const
{
    return JoinPath(destDir_, std::string(name));
}

std::optional<FileDescriptor> PageSet::CreateTemp(const std::string& key, const std::string& shownName,
                                                  IoError& error)
{
    const std::string name = TemporaryName(pid_, key);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::openat(dir_.Get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            return FileDescriptor(fd);
        }
        if (errno != EEXIST || attempt > 0) {
            break;
        }
        // Ours by name and we hold the lock: left by an earlier run.
        ::unlinkat(dir_.Get(), name.c_str(), 0);
    }
    error = IoError::FromErrno(ShownPath(shownName), errno);
    return std::nullopt;
}

std::optional<OutputFile> PageSet::CreatePage(std::uint64_t key, std::uint64_t shownNumber, IoError& error)
{
    const std::string shown = LinkPageName(shownNumber);
    std::optional<FileDescriptor> fd = CreateTemp(PageKey(key), shown, error);
    if (!fd) {
        return std::nullopt;
    }
    if (key >= pages_.size()) {
        pages_.resize(key + 1 + key / 2);
    }
    pages_[key] = true;
    ++pageCount_;
    return OutputFile(std::move(*fd), ShownPath(shown));
}

std::optional<OutputFile> PageSet::ReopenPage(std::uint64_t key, std::uint64_t shownNumber, IoError& error)
{
    const std::string shown = ShownPath(LinkPageName(shownNumber));
    const std::string name = TemporaryName(pid_, PageKey(key));
    const int fd = ::openat(dir_.Get(), name.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) {
        error = IoError::FromErrno(shown, errno);
        return std::nullopt;
    }
    return OutputFile(FileDescriptor(fd), shown);
}

std::optional<OutputFile> PageSet::CreateIndex(IoError& error)
{
    std::optional<FileDescriptor> fd = CreateTemp(kIndexKey, "dir.html", error);
    if (!fd) {
        return std::nullopt;
    }
    hasIndex_ = true;
    return OutputFile(std::move(*fd), ShownPath("dir.html"));
}

std::optional<OutputFile> PageSet::CreateFrameset(IoError& error)
{
    std::optional<FileDescriptor> fd = CreateTemp(kFramesetKey, "Harrowdeck.html", error);
    if (!fd) {
        return std::nullopt;
    }
    hasFrameset_ = true;
    return OutputFile(std::move(*fd), ShownPath("Harrowdeck.html"));
}

std::optional<FileDescriptor> PageSet::CreateScratch(IoError& error)
{
    int fd = ::openat(dir_.Get(), ".", O_RDWR | O_TMPFILE | O_CLOEXEC, 0600);
    if (fd < 0) {
        // Without unnamed files: a temporary name, gone again at once.
        const std::string name = TemporaryName(pid_, "scratch");
        fd = ::openat(dir_.Get(), name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::unlinkat(dir_.Get(), name.c_str(), 0);
        }
    }
    if (fd < 0) {
        error = IoError::FromErrno(destDir_, errno);
        return std::nullopt;
    }
    return FileDescriptor(fd);
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
        if (auto error = step(kIndexKey, "dir.html")) {
            return error;
        }
    }
    if (hasFrameset_) {
        return step(kFramesetKey, "Harrowdeck.html");
    }
    return std::nullopt;
}

// What rename cannot replace is found before the first rename, so that a
// set that cannot be put in place leaves the previous one whole.
std::optional<IoError> PageSet::CheckReplaceable(const std::string& target) const
{
    struct statx info {};
    if (::statx(dir_.Get(), target.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &info) != 0) {
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
    const auto check = [this](const std::string&, const std::string& target) { return CheckReplaceable(target); };
    const auto rename = [this](const std::string& key, const std::string& target) -> std::optional<IoError> {
        const std::string temp = TemporaryName(pid_, key);
        if (::renameat(dir_.Get(), temp.c_str(), dir_.Get(), target.c_str()) != 0) {
            return IoError::FromErrno(ShownPath(target), errno);
        }
        return std::nullopt;
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

void PageSet::RemoveTemp(const std::string& key)
{
    const std::string name = TemporaryName(pid_, key);
    ::unlinkat(dir_.Get(), name.c_str(), 0);
}

void PageSet::Abandon()
{
    if (!dir_.IsOpen()) {
        return;
    }
    for (std::uint64_t key = 0; key < pages_.size(); ++key) {
        if (pages_[key]) {
            RemoveTemp(PageKey(key));
        }
    }
    pages_.clear();
    pageCount_ = 0;
    if (hasIndex_) {
        RemoveTemp(kIndexKey);
        hasIndex_ = false;
    }
    if (hasFrameset_) {
        RemoveTemp(kFramesetKey);
        hasFrameset_ = false;
    }
}

void PageSet::RemoveStaleTemporaries()
{
    const int listFd = ::openat(dir_.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0) {
        return;
    }
    DIR* listing = ::fdopendir(listFd);
    if (listing == nullptr) {
        ::close(listFd);
        return;
    }
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(listing)) {
        const std::optional<long> owner = TemporaryNameOwner(entry->d_name);
        if (!owner) {
            continue;
        }
        struct stat info {};
        if (::fstatat(dir_.Get(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        if (WriterIsGone(*owner) || now - info.st_mtime > kStaleAge) {
            ::unlinkat(dir_.Get(), entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

} // namespace harrowdeck
