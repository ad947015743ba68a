// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileDescriptor.h"
#include "FileName.h"
#include "IoError.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace harrowdeck {

// Which file a name stood for when it was checked: files are told apart by
// these, not by their names, which anyone who may write to the directory
// can change. On Windows: the volume's serial number and the file's index.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// What a name in a directory stands for, looked at without following a
// symbolic link there.
struct FileStatus {
    enum class Type { Regular, Directory, Symlink, CharDevice, Other };
    Type type = Type::Other;
    FileIdentity identity;
    std::uint32_t owner = 0;       // the user; 0 on Windows, which has none here
    std::uint32_t group = 0;       // the group; 0 on Windows
    std::uint32_t permissions = 0; // POSIX permission bits; 0 on Windows
    std::int64_t modified = 0;     // seconds since 1970
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

// Told each name of a directory's listing, without allocating.
class EntryVisitor {
public:
    virtual void Take(const char* name) noexcept = 0;

protected:
    ~EntryVisitor() = default;
};

// A directory that files are written into the one safe way: each under a
// temporary name beside its target, renamed over the target only once it
// is complete, so that a failure never leaves a half-written file under a
// target's name. The directory is held open, so that every file lands in
// the directory that was opened even when its path is renamed or swapped
// meanwhile (on Windows the directory cannot be renamed while it is held).
// A temporary name is derived from the writer's pid and a key, never
// stored, and tells a later writer a killed writer's leftover from one
// still in use.
//
// In a directory that others may write to, a temporary name can be made to
// point elsewhere while the file is written. A file is therefore only
// reopened or renamed after checking that its name still holds the file
// this process created: a regular file with the identity it had then, owned
// by this process's user.
//
// What a call does is the same on every platform; the system calls behind
// it are in posix/ and windows/. Errors are errno values throughout.
class TargetDirectory {
public:
    // path is shown in errors; an empty path is the current directory.
    [[nodiscard]] static IoResult<TargetDirectory> Open(const std::string& path);
    TargetDirectory(TargetDirectory&&) noexcept;
    TargetDirectory& operator=(TargetDirectory&&) = delete;
    TargetDirectory(const TargetDirectory&) = delete;
    TargetDirectory& operator=(const TargetDirectory&) = delete;
    ~TargetDirectory();

    [[nodiscard]] bool IsOpen() const { return fd_.IsOpen(); }
    // The path the user knows a file in the directory by.
    [[nodiscard]] std::string ShownPath(std::string_view name) const;
    // The user this process writes as, who owns every file it creates.
    [[nodiscard]] std::uint32_t Writer() const { return uid_; }

    // Whether another user may add, rename or remove the directory's
    // entries, so that a file's name may no longer hold the file written
    // under it. Where none may, a name is not checked again.
    [[nodiscard]] bool OthersMayChange() const noexcept;

    // Takes the directory for this process alone until it is closed: false
    // when another process holds it. A file system without locks is not
    // held by anyone.
    [[nodiscard]] bool Lock() noexcept;

    [[nodiscard]] FileName TempName(std::string_view key) const noexcept;

    // The temporary file for key, whose target is `target`. A leftover of
    // this process's pid under that name is replaced.
    [[nodiscard]] IoResult<FileDescriptor> CreateTemp(std::string_view key, std::string_view target) const;
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
    [[nodiscard]] int RenameTempToNewName(std::string_view key, const FileName& target,
                                          const FileIdentity* file = nullptr) const noexcept;
    // Renames key's temporary file to target (only to a new name when
    // exclusive) and, where others may change the directory, confirms that
    // target then holds `file`, the regular file this process wrote.
    // Allocates nothing.
    [[nodiscard]] Placement PlaceTemp(std::string_view key, const FileName& target, const FileIdentity& file,
                                      bool exclusive) const noexcept;
    // Undoes a rename of key's temporary file to target.
    void UnplaceTemp(std::string_view key, const FileName& target) const noexcept;
    // Removes name when it still holds `file`, written by this process.
    void RemoveIfHolds(const FileName& name, const FileIdentity& file) const noexcept;
    // 0 when a rename may replace what name holds, ENOENT when it holds
    // nothing, else the errno the rename would fail with.
    [[nodiscard]] int CheckReplace(const FileName& name) const noexcept;
    // Puts key's temporary file at target when target names nothing or a
    // regular file, and never removes nor replaces anything else there (a
    // device, a FIFO, a socket, a directory), even one that appears at the
    // last moment where the system can tell.
    [[nodiscard]] std::optional<IoError> CommitTempOverRegular(std::string_view key, std::string_view target) const;
    // The file at name opened for writing as it stands, neither created nor
    // truncated, when it is a character device: such a file is written in
    // place, never replaced. Nothing waits, and no terminal becomes this
    // process's controlling one.
    [[nodiscard]] IoResult<FileDescriptor> OpenDevice(std::string_view name) const;
    // 0 when the regular file at name could be opened for writing, as a
    // plain write would open it, else the errno. The file is not touched.
    [[nodiscard]] int CheckWritable(const FileName& name) const noexcept;
    // name opened for reading, when it is a regular file of this process's
    // user; nothing follows a link or waits for a writer. 0 or the errno,
    // EPERM for another user's file, EINVAL for one that is no regular file.
    [[nodiscard]] int OpenOwnToRead(const FileName& name, FileDescriptor& out) const noexcept;
    void RemoveTemp(std::string_view key) const noexcept;
    // Removes the temporary files of writers that are gone: their process
    // no longer exists, or, when that cannot be told, a day has passed.
    // With isOwnKey, only those whose key it accepts.
    void RemoveStaleTemps(bool (*isOwnKey)(std::string_view key) = nullptr) const noexcept;
    // Calls take(name) for every entry of the directory: allocates nothing
    // on Linux. False when the listing failed.
    template <typename Taker>
    bool ForEachEntry(Taker take) const noexcept;

    // What name stands for, without following a link: 0 or the errno.
    [[nodiscard]] int StatusAt(const FileName& name, FileStatus& status) const noexcept;
    // Renames from to to, replacing what is there. 0 or the errno.
    [[nodiscard]] int Rename(const FileName& from, const FileName& to) const noexcept;
    // Removes the file at name (not a directory).
    void Remove(const FileName& name) const noexcept;

    // An unnamed scratch file in the directory, gone when closed.
    [[nodiscard]] IoResult<FileDescriptor> CreateScratch() const;

    // The identity of an open file, or nothing when it cannot be told.
    [[nodiscard]] static std::optional<FileIdentity> IdentityOf(const FileDescriptor& fd) noexcept;
    // What an open file is; 0 or the errno.
    [[nodiscard]] static int StatusOf(const FileDescriptor& fd, FileStatus& status) noexcept;
    // Whether status is `expected`, created by this process's user.
    [[nodiscard]] bool IsOurs(const FileStatus& status, const FileIdentity& expected) const noexcept;
    // The failure of a file whose temporary name no longer holds it.
    [[nodiscard]] IoError Replaced(std::string_view target) const;
    // The failure of a save onto something that is neither a regular file
    // nor a device.
    [[nodiscard]] IoError NotRegular(std::string_view target, FileStatus::Type type) const;

private:
    enum class RenameMode {
        Replace,   // whatever is at the new name goes
        NoReplace, // fails with EEXIST when anything is there
        Exchange,  // the two names swap their files
    };

    // What only one platform's calls need: on POSIX systems the rule of what
    // a rename may replace, on Windows the directory's path for Win32.
    struct Native;

    TargetDirectory(FileDescriptor fd, std::string path, long pid, std::uint32_t uid, std::unique_ptr<Native> native);

    // The system's part of a rename. Where the system has no rename of
    // that mode, ENOSYS. With `expected`, a system that renames an open
    // file renames only the file of that identity (ENOENT otherwise).
    [[nodiscard]] int RenameEntry(const FileName& from, const FileName& to, RenameMode mode,
                                  const FileIdentity* expected) const noexcept;
    // Creates name exclusively for writing, never through a link: readable
    // by all (as the umask allows) or, when private, by its owner alone.
    [[nodiscard]] int CreateNew(const FileName& name, bool isPrivate, FileDescriptor& out) const noexcept;
    [[nodiscard]] bool ListEntries(EntryVisitor& visitor) const noexcept;

    FileDescriptor fd_;
    std::string path_;
    long pid_ = 0;
    std::uint32_t uid_ = 0;
    std::unique_ptr<Native> native_;
};

template <typename Taker>
bool TargetDirectory::ForEachEntry(Taker take) const noexcept
{
    class Visitor final : public EntryVisitor {
    public:
        explicit Visitor(Taker& taker) : taker_(taker) {}
        void Take(const char* name) noexcept override { taker_(name); }

    private:
        Taker& taker_;
    } visitor(take);
    return ListEntries(visitor);
}

// The name under which a file is written before it is renamed.
[[nodiscard]] FileName TemporaryFileName(long pid, std::string_view key) noexcept;
[[nodiscard]] std::string TemporaryName(long pid, std::string_view key);
// The pid in a temporary name, or nothing when the name is not one of ours.
[[nodiscard]] std::optional<long> TemporaryNameOwner(std::string_view name);

} // namespace harrowdeck
