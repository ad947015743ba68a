// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileDescriptor.h"
#include "FileName.h"
#include "IoError.h"
#include "ReplaceRule.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace harrowdeck {

// Which file a name stood for when it was checked: files are told apart by
// these, not by their names, which anyone who may write to the directory
// can change.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// How putting a temporary file in place under its target's name went.
struct Placement {
    enum class Result {
        Placed,    // the name holds the file written
        Failed,    // the rename failed with `error`; nothing changed
        TempGone,  // the temporary name held nothing any more
        Misplaced, // renamed, but the name does not hold the file written
    };
    Result result = Result::Placed;
    int error = 0;
};

// A directory that files are written into the one safe way: each under a
// temporary name beside its target, renamed over the target only once it
// is complete, so that a failure never leaves a half-written file under a
// target's name. The directory is held by descriptor, so that every file
// lands in the directory that was opened even when its path is renamed or
// swapped meanwhile. A temporary name is derived from the writer's pid and a
// key, never stored, and tells a later writer a killed writer's leftover
// from one still in use.
//
// In a directory that others may write to, a temporary name can be made to
// point elsewhere while the file is written. A file is therefore only
// reopened or renamed after checking that its name still holds the file
// this process created: a regular file with the identity it had then, owned
// by this process's user.
class TargetDirectory {
public:
    // path is shown in errors; an empty path is the current directory.
    [[nodiscard]] static IoResult<TargetDirectory> Open(const std::string& path);

    [[nodiscard]] int Fd() const { return fd_.Get(); }
    [[nodiscard]] bool IsOpen() const { return fd_.IsOpen(); }
    // The path the user knows a file in the directory by.
    [[nodiscard]] std::string ShownPath(std::string_view name) const;
    // The user this process writes as, who owns every file it creates.
    [[nodiscard]] uid_t Writer() const { return uid_; }

    [[nodiscard]] FileName TempName(std::string_view key) const noexcept;

    // The temporary file for key, whose target is `target`. A leftover of
    // this process's pid under that name is replaced.
    [[nodiscard]] IoResult<FileDescriptor> CreateTemp(std::string_view key, std::string_view target,
                                                      mode_t mode = 0666) const;
    // The temporary file for key, opened again to append to it, provided it
    // is still the file `expected` names.
    [[nodiscard]] IoResult<FileDescriptor> ReopenTemp(std::string_view key, std::string_view target,
                                                      const FileIdentity& expected) const;
    // Whether key's temporary name still holds the file `expected` names.
    [[nodiscard]] std::optional<IoError> CheckTemp(std::string_view key, std::string_view target,
                                                   const FileIdentity& expected) const;
    [[nodiscard]] std::optional<IoError> CommitTemp(std::string_view key, std::string_view target) const;
    // Renames key's temporary file to target without allocating; 0 or the
    // errno.
    [[nodiscard]] int RenameTemp(std::string_view key, const FileName& target) const noexcept;
    // Renames key's temporary file to target only when target names
    // nothing: EEXIST when anything is there, whoever made it. Where the
    // file system has no such rename, the name is claimed first by creating
    // it exclusively, and the rename then replaces the claim.
    [[nodiscard]] int RenameTempToNewName(std::string_view key, const FileName& target) const noexcept;
    // Renames key's temporary file to target (only to a new name when
    // exclusive) and confirms that target then holds `file`, the regular
    // file this process wrote. Allocates nothing.
    [[nodiscard]] Placement PlaceTemp(std::string_view key, const FileName& target, const FileIdentity& file,
                                      bool exclusive) const noexcept;
    // Undoes a rename of key's temporary file to target.
    void UnplaceTemp(std::string_view key, const FileName& target) const noexcept;
    // Removes name when it still holds `file`, written by this process.
    void RemoveIfHolds(const FileName& name, const FileIdentity& file) const noexcept;
    // 0 when a rename may replace what name holds, ENOENT when it holds
    // nothing, else the errno the rename would fail with.
    [[nodiscard]] int CheckReplace(const FileName& name, const ReplaceRule& rule) const noexcept;
    // Puts key's temporary file at target when target names nothing or a
    // regular file, and never removes nor replaces anything else there (a
    // device, a FIFO, a socket, a directory), even one that appears at the
    // last moment.
    [[nodiscard]] std::optional<IoError> CommitTempOverRegular(std::string_view key, std::string_view target) const;
    // The file at name opened for writing as it stands, neither created nor
    // truncated, when it is a character device: such a file is written in
    // place, never replaced. Nothing waits, and no terminal becomes this
    // process's controlling one.
    [[nodiscard]] IoResult<FileDescriptor> OpenDevice(std::string_view name) const;
    void RemoveTemp(std::string_view key) const noexcept;
    // Removes the temporary files of writers that are gone: their process
    // no longer exists, or, when that cannot be told, a day has passed.
    // With isOwnKey, only those whose key it accepts.
    void RemoveStaleTemps(bool (*isOwnKey)(std::string_view key) = nullptr) const noexcept;
    // Calls take(name) for every entry of the directory, through a buffer
    // of its own: allocates nothing. False when the listing failed.
    template <typename Take>
    bool ForEachEntry(Take take) const noexcept;

    // An unnamed scratch file in the directory, gone when closed.
    [[nodiscard]] IoResult<FileDescriptor> CreateScratch() const;

    // The identity of an open file, or nothing when fstat fails.
    [[nodiscard]] static std::optional<FileIdentity> IdentityOf(const FileDescriptor& fd) noexcept;
    // Whether what stat found is `expected`, created by this process's user.
    [[nodiscard]] bool IsOurs(const struct stat& info, const FileIdentity& expected) const noexcept;
    // The failure of a file whose temporary name no longer holds it.
    [[nodiscard]] IoError Replaced(std::string_view target) const;
    // The failure of a save onto something that is neither a regular file
    // nor a device.
    [[nodiscard]] IoError NotRegular(std::string_view target, mode_t mode) const;

private:
    TargetDirectory(FileDescriptor fd, std::string path, long pid, uid_t uid);

    FileDescriptor fd_;
    std::string path_;
    long pid_ = 0;
    uid_t uid_ = 0;
};

template <typename Take>
bool TargetDirectory::ForEachEntry(Take take) const noexcept
{
    // A descriptor of its own, so that the listing's position is not the
    // held directory's.
    const FileDescriptor listing(::openat(Fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!listing.IsOpen()) {
        return false;
    }
    alignas(dirent64) char buffer[32768];
    for (;;) {
        const ssize_t size = ::getdents64(listing.Get(), buffer, sizeof buffer);
        if (size <= 0) {
            return size == 0;
        }
        for (ssize_t offset = 0; offset < size;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            take(static_cast<const char*>(entry->d_name));
        }
    }
}

// The name under which a file is written before it is renamed.
[[nodiscard]] FileName TemporaryFileName(long pid, std::string_view key) noexcept;
[[nodiscard]] std::string TemporaryName(long pid, std::string_view key);
// The pid in a temporary name, or nothing when the name is not one of ours.
[[nodiscard]] std::optional<long> TemporaryNameOwner(std::string_view name);

} // namespace harrowdeck
