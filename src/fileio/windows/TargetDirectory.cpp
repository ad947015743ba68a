// SPDX-License-Identifier: GPL-3.0-or-later
// TargetDirectory's system calls on Windows. Every file is named by the
// directory's full path in its long form ("\\?\C:\..."), made once, and the
// directory is held open without sharing delete, so that it cannot be
// renamed or removed while a run writes into it: a name always lands in
// the directory that was opened. A file is renamed through a handle of its
// own, after its identity has been checked on that very handle, so that no
// other file can be renamed in its place. A call that fails because another
// program holds the file for a moment (a virus scanner, an indexer) is
// tried again a few times (HeldFileRetry.h).
#include "TargetDirectory.h"

#include "FileProbe.h"
#include "windows/HeldFileRetry.h"
#include "windows/SystemError.h"
#include "windows/WideText.h"
#include "windows/Win32Path.h"

#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace harrowdeck {

namespace {

// Held while a run writes into the directory, by one process alone; gone
// with the last handle, even when the process is killed.
constexpr std::string_view kLockName = ".harrowdeck.lock";
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Names of entries, not of paths: a link or a mount point is looked at, not
// followed, and a directory opens too.
constexpr DWORD kEntryFlags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;

// FileRenameInfoEx and its flags (Windows 10 1607 and later), which this
// build's headers name only for newer targets than the program runs on.
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
constexpr DWORD kRenameReplaceIfExists = 0x1;
constexpr DWORD kRenamePosixSemantics = 0x2;
// Whether the system took FileRenameInfoEx; asked by the first rename.
std::atomic<int> g_renameEx{-1};

// 100 ns steps between 1601 and 1970.
constexpr std::uint64_t kUnixEpoch = 116444736000000000ULL;

std::uint64_t Join(DWORD high, DWORD low) noexcept
{
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

// The same as FILE_RENAME_INFO, with the flags of its Ex form.
struct RenameInfo {
    DWORD flags;
    HANDLE rootDirectory;
    DWORD fileNameLength; // in bytes
    WCHAR fileName[1];
};

template <class Attempt>
int Retried(Attempt&& attempt) noexcept
{
    return windows::ErrnoFromWin32(windows::RetryWhileHeld(attempt));
}

} // namespace

struct TargetDirectory::Native {
    std::wstring dir; // ends without a separator
    // Built in place for each call, within the capacity reserved here, so
    // that naming a file allocates nothing.
    mutable std::wstring first;
    mutable std::wstring second;
    mutable std::unique_ptr<unsigned char[]> renameInfo;
    FileDescriptor lock;
    mutable unsigned scratchFiles = 0;

    [[nodiscard]] const wchar_t* PathOf(const FileName& name, std::wstring& buffer) const noexcept
    {
        buffer.assign(dir);
        buffer.push_back(L'\\');
        // Within the reserved capacity: a name never has more UTF-16 units
        // than bytes.
        if (!windows::AppendWide(name.View(), buffer)) {
            buffer.push_back(L'?'); // names no file: the call fails with that
        }
        return buffer.c_str();
    }
    [[nodiscard]] std::size_t RenameInfoSize() const noexcept
    {
        return sizeof(RenameInfo) + (dir.size() + 1 + FileName::kCapacity) * sizeof(WCHAR);
    }
};

namespace {

HANDLE OpenEntry(const wchar_t* path, DWORD access, DWORD share, DWORD& error) noexcept
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    error = windows::RetryWhileHeld([&]() -> unsigned long {
        handle = ::CreateFileW(path, access, share, nullptr, OPEN_EXISTING, kEntryFlags, nullptr);
        return handle == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
    });
    return handle;
}

FileStatus::Type TypeOf(HANDLE handle, DWORD attributes) noexcept
{
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        // Links and junctions; other reparse points (a cloud provider's
        // placeholders) are the files or directories they stand for.
        FILE_ATTRIBUTE_TAG_INFO tag{};
        if (::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) &&
            (tag.ReparseTag == IO_REPARSE_TAG_SYMLINK || tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT)) {
            return FileStatus::Type::Symlink;
        }
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FileStatus::Type::Directory;
    }
    return ::GetFileType(handle) == FILE_TYPE_DISK ? FileStatus::Type::Regular : FileStatus::Type::Other;
}

} // namespace

IoResult<TargetDirectory> TargetDirectory::Open(const std::string& path)
{
    const windows::Win32Path native = windows::ToLongWin32Path(path);
    if (native.error != 0) {
        return IoError::FromErrno(NativeSeparators(path), windows::ErrnoFromWin32(native.error));
    }
    DWORD error = 0;
    FileDescriptor fd(OpenEntry(native.path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, error));
    if (!fd.IsOpen()) {
        return IoError::FromErrno(NativeSeparators(path), windows::ErrnoFromWin32(error));
    }
    FileStatus status;
    if (const int statusError = StatusOf(fd, status); statusError != 0) {
        return IoError::FromErrno(NativeSeparators(path), statusError);
    }
    if (status.type != FileStatus::Type::Directory) {
        return IoError::FromErrno(NativeSeparators(path), ENOTDIR);
    }
    auto state = std::make_unique<Native>();
    state->dir = native.path;
    while (state->dir.size() > 1 && state->dir.back() == L'\\') {
        state->dir.pop_back();
    }
    const std::size_t longest = state->dir.size() + 2 + FileName::kCapacity;
    state->first.reserve(longest);
    state->second.reserve(longest);
    state->renameInfo = std::make_unique<unsigned char[]>(state->RenameInfoSize());
    return TargetDirectory(std::move(fd), path, static_cast<long>(::GetCurrentProcessId()), 0, std::move(state));
}

TargetDirectory::TargetDirectory(FileDescriptor fd, std::string path, long pid, std::uint32_t uid,
                                 std::unique_ptr<Native> native)
    : fd_(std::move(fd)), path_(std::move(path)), pid_(pid), uid_(uid), native_(std::move(native))
{
}

TargetDirectory::TargetDirectory(TargetDirectory&&) noexcept = default;

TargetDirectory::~TargetDirectory() = default;

// Access lists decide who may change a folder, and reading them costs more
// than the checks they would spare.
bool TargetDirectory::OthersMayChange() const noexcept
{
    return true;
}

bool TargetDirectory::Lock() noexcept
{
    // Shared with no one and removed on the last close: a second run cannot
    // open it while the first holds it, whatever else happens.
    FileDescriptor lock(::CreateFileW(native_->PathOf(FileName(kLockName), native_->first),
                                      GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!lock.IsOpen()) {
        // A directory that cannot hold the lock file still gets a run, as a
        // file system without locks does on POSIX systems.
        return ::GetLastError() != ERROR_SHARING_VIOLATION;
    }
    native_->lock = std::move(lock);
    return true;
}

IoResult<FileDescriptor> TargetDirectory::ReopenTemp(std::string_view key, std::string_view target,
                                                     const FileIdentity& expected) const
{
    const FileName name = TempName(key);
    DWORD error = 0;
    FileDescriptor fd(OpenEntry(native_->PathOf(name, native_->first), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_DELETE, error));
    FileStatus status;
    if (!fd.IsOpen()) {
        const int reason = windows::ErrnoFromWin32(error);
        if (reason == ENOENT || (StatusAt(name, status) == 0 && !IsOurs(status, expected))) {
            return Replaced(target);
        }
        return IoError::FromErrno(ShownPath(target), reason);
    }
    if (const int statusError = StatusOf(fd, status); statusError != 0) {
        return IoError::FromErrno(ShownPath(target), statusError);
    }
    if (!IsOurs(status, expected)) {
        return Replaced(target);
    }
    return fd;
}

// One open tells all that would stop the rename: asking for delete access
// fails while another program holds the file without sharing delete, and
// the open handle tells a directory and a read-only file.
int TargetDirectory::CheckReplace(const FileName& name) const noexcept
{
    DWORD error = 0;
    const FileDescriptor fd(
        OpenEntry(native_->PathOf(name, native_->first), DELETE | FILE_READ_ATTRIBUTES, kShareAll, error));
    if (!fd.IsOpen()) {
        const int reason = windows::ErrnoFromWin32(error);
        // A name that cannot be looked at otherwise fails the rename itself.
        return reason == ENOENT || reason == EBUSY ? reason : 0;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(fd.Get(), &info)) {
        return 0;
    }
    if (TypeOf(fd.Get(), info.dwFileAttributes) == FileStatus::Type::Directory) {
        return EISDIR;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return EACCES;
    }
    return 0;
}

IoResult<FileDescriptor> TargetDirectory::OpenDevice(std::string_view name) const
{
    // Windows has no devices among a directory's files.
    return NotRegular(name, FileStatus::Type::Other);
}

int TargetDirectory::CheckWritable(const FileName& name) const noexcept
{
    DWORD error = 0;
    const FileDescriptor fd(OpenEntry(native_->PathOf(name, native_->first), GENERIC_WRITE, kShareAll, error));
    return fd.IsOpen() ? 0 : windows::ErrnoFromWin32(error);
}

int TargetDirectory::OpenOwnToRead(const FileName& name, FileDescriptor& out) const noexcept
{
    DWORD error = 0;
    FileDescriptor fd(OpenEntry(native_->PathOf(name, native_->first), GENERIC_READ, kShareAll, error));
    if (!fd.IsOpen()) {
        return windows::ErrnoFromWin32(error);
    }
    FileStatus status;
    if (const int statusError = StatusOf(fd, status); statusError != 0) {
        return statusError;
    }
    if (status.type != FileStatus::Type::Regular) {
        return EINVAL;
    }
    out = std::move(fd);
    return 0;
}

int TargetDirectory::StatusAt(const FileName& name, FileStatus& status) const noexcept
{
    // Asking for the attributes alone is never refused for sharing.
    const FileDescriptor fd(::CreateFileW(native_->PathOf(name, native_->first), FILE_READ_ATTRIBUTES, kShareAll,
                                          nullptr, OPEN_EXISTING, kEntryFlags, nullptr));
    if (!fd.IsOpen()) {
        return windows::LastErrno();
    }
    return StatusOf(fd, status);
}

int TargetDirectory::StatusOf(const FileDescriptor& fd, FileStatus& status) noexcept
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(fd.Get(), &info)) {
        return windows::LastErrno();
    }
    status = FileStatus{};
    status.type = TypeOf(fd.Get(), info.dwFileAttributes);
    status.identity = FileIdentity{info.dwVolumeSerialNumber, Join(info.nFileIndexHigh, info.nFileIndexLow)};
    const std::uint64_t written = Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
    status.modified = written > kUnixEpoch ? static_cast<std::int64_t>((written - kUnixEpoch) / 10000000) : 0;
    return 0;
}

std::optional<FileIdentity> TargetDirectory::IdentityOf(const FileDescriptor& fd) noexcept
{
    FileStatus status;
    if (StatusOf(fd, status) != 0) {
        return std::nullopt;
    }
    return status.identity;
}

int TargetDirectory::RenameEntry(const FileName& from, const FileName& to, RenameMode mode,
                                 const FileIdentity* expected) const noexcept
{
    if (mode == RenameMode::Exchange) {
        return ENOSYS;
    }
    // Not shared for delete: while it is held, no one else renames or
    // removes the file that was checked.
    DWORD error = 0;
    const FileDescriptor file(OpenEntry(native_->PathOf(from, native_->first), DELETE | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, error));
    if (!file.IsOpen()) {
        return windows::ErrnoFromWin32(error);
    }
    if (expected != nullptr) {
        FileStatus status;
        if (StatusOf(file, status) != 0 || status.type != FileStatus::Type::Regular || status.identity != *expected) {
            return ENOENT; // the name no longer holds the file written
        }
    }
    const wchar_t* target = native_->PathOf(to, native_->second);
    auto* info = reinterpret_cast<RenameInfo*>(native_->renameInfo.get());
    const std::size_t length = native_->second.size();
    std::memset(info, 0, sizeof(RenameInfo));
    info->fileNameLength = static_cast<DWORD>(length * sizeof(WCHAR));
    std::memcpy(info->fileName, target, (length + 1) * sizeof(WCHAR));
    const DWORD size = static_cast<DWORD>(sizeof(RenameInfo) + length * sizeof(WCHAR));
    const bool replace = mode == RenameMode::Replace;
    return Retried([&]() -> unsigned long {
        // POSIX semantics where the system has them: a file that others
        // have open, sharing delete, is replaced at once.
        if (g_renameEx.load() != 0) {
            info->flags = kRenamePosixSemantics | (replace ? kRenameReplaceIfExists : 0);
            if (::SetFileInformationByHandle(file.Get(), kFileRenameInfoEx, info, size)) {
                g_renameEx.store(1);
                return 0;
            }
            const DWORD failure = ::GetLastError();
            if (failure != ERROR_INVALID_PARAMETER && failure != ERROR_NOT_SUPPORTED &&
                failure != ERROR_INVALID_FUNCTION) {
                return failure;
            }
            g_renameEx.store(0);
        }
        info->flags = replace ? 1 : 0; // ReplaceIfExists, a BOOLEAN
        return ::SetFileInformationByHandle(file.Get(), FileRenameInfo, info, size) ? 0 : ::GetLastError();
    });
}

int TargetDirectory::CreateNew(const FileName& name, bool /*isPrivate*/, FileDescriptor& out) const noexcept
{
    // Others may read it (a scanner) or rename it, as on POSIX systems;
    // a file of the directory gets the permissions that the directory gives.
    out = FileDescriptor(::CreateFileW(native_->PathOf(name, native_->first), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                       nullptr));
    return out.IsOpen() ? 0 : windows::LastErrno();
}

void TargetDirectory::Remove(const FileName& name) const noexcept
{
    const wchar_t* path = native_->PathOf(name, native_->first);
    (void)windows::RetryWhileHeld([path]() -> unsigned long { return ::DeleteFileW(path) ? 0 : ::GetLastError(); });
}

bool TargetDirectory::ListEntries(EntryVisitor& visitor) const noexcept
{
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW(native_->PathOf(FileName("*"), native_->second), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    // Every name the file layer looks for is ASCII: a name with other
    // letters is passed on with '?' for them, which no Windows name holds,
    // so that it matches none.
    char name[MAX_PATH + 1];
    do {
        std::size_t size = 0;
        for (const wchar_t* unit = found.cFileName; *unit != L'\0' && size < MAX_PATH; ++unit) {
            name[size++] = *unit < 0x80 ? static_cast<char>(*unit) : '?';
        }
        name[size] = '\0';
        visitor.Take(name);
    } while (::FindNextFileW(search, &found));
    const bool whole = ::GetLastError() == ERROR_NO_MORE_FILES;
    ::FindClose(search);
    return whole;
}

IoResult<FileDescriptor> TargetDirectory::CreateScratch() const
{
    // Windows has no unnamed files: a temporary name of its own, which the
    // system removes when the file is closed, even when the process is
    // killed.
    for (int attempt = 0; attempt < 16; ++attempt) {
        FileName key("scratch");
        key.Append(++native_->scratchFiles);
        const FileName name = TempName(key.View());
        FileDescriptor fd(::CreateFileW(
            native_->PathOf(name, native_->first), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
            CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (fd.IsOpen()) {
            return fd;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    return IoError::FromErrno(ShownPath(""), windows::LastErrno());
}

} // namespace harrowdeck
