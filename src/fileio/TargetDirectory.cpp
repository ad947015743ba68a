// SPDX-License-Identifier: GPL-3.0-or-later
#include "TargetDirectory.h"

#include "FileProbe.h"
#include "Platform.h"

#include <cerrno>
#include <charconv>
#include <ctime>

namespace harrowdeck {

namespace {

// Hidden, and in the target's directory so that the rename stays within
// one file system.
constexpr std::string_view kTempPrefix = ".harrowdeck-";
constexpr std::string_view kTempSuffix = ".tmp";
// A leftover whose writer cannot be told apart from a live process is
// removed only once it is clearly abandoned.
constexpr std::time_t kStaleAge = 24 * 60 * 60;
constexpr std::string_view kReplacedReason = "its temporary file was replaced by another program";
constexpr std::string_view kNotRegularReason = "Not a regular file";

// The key in a name that TemporaryNameOwner accepted.
std::string_view TemporaryNameKey(std::string_view name)
{
    name.remove_prefix(kTempPrefix.size());
    name.remove_suffix(kTempSuffix.size());
    return name.substr(name.find('-') + 1);
}

// A rename mode that the system or the file system does not have.
bool IsUnsupported(int error) noexcept
{
    return error == EINVAL || error == ENOSYS;
}

} // namespace

FileName TemporaryFileName(long pid, std::string_view key) noexcept
{
    FileName name(kTempPrefix);
    name.Append(static_cast<std::uint64_t>(pid)).Append("-").Append(key).Append(kTempSuffix);
    return name;
}

std::string TemporaryName(long pid, std::string_view key)
{
    return std::string(TemporaryFileName(pid, key).View());
}

std::optional<long> TemporaryNameOwner(std::string_view name)
{
    if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix)) {
        return std::nullopt;
    }
    name.remove_prefix(kTempPrefix.size());
    long pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end == name.data() || *end != '-' || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

std::string TargetDirectory::ShownPath(std::string_view name) const
{
    return NativeSeparators(JoinPath(path_, std::string(name)));
}

FileName TargetDirectory::TempName(std::string_view key) const noexcept
{
    return TemporaryFileName(pid_, key);
}

IoResult<FileDescriptor> TargetDirectory::CreateTemp(std::string_view key, std::string_view target) const
{
    const FileName name = TempName(key);
    if (!name.Fits()) {
        return IoError::FromErrno(ShownPath(target), ENAMETOOLONG);
    }
    int error = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        FileDescriptor fd;
        error = CreateNew(name, false, fd);
        if (error == 0) {
            return fd;
        }
        if (error != EEXIST) {
            break;
        }
        // Ours by name: left by an earlier process that had our pid.
        Remove(name);
    }
    return IoError::FromErrno(ShownPath(target), error);
}

std::optional<IoError> TargetDirectory::CheckTemp(std::string_view key, std::string_view target,
                                                  const FileIdentity& expected) const
{
    FileStatus status;
    if (const int error = StatusAt(TempName(key), status); error != 0) {
        return error == ENOENT ? Replaced(target) : IoError::FromErrno(ShownPath(target), error);
    }
    if (!IsOurs(status, expected)) {
        return Replaced(target);
    }
    return std::nullopt;
}

std::optional<IoError> TargetDirectory::CommitTemp(std::string_view key, std::string_view target) const
{
    const FileName targetName(target);
    if (const int error = targetName.Fits() ? RenameTemp(key, targetName) : ENAMETOOLONG; error != 0) {
        return IoError::FromErrno(ShownPath(target), error);
    }
    return std::nullopt;
}

int TargetDirectory::RenameTemp(std::string_view key, const FileName& target) const noexcept
{
    return RenameEntry(TempName(key), target, RenameMode::Replace, nullptr);
}

int TargetDirectory::Rename(const FileName& from, const FileName& to) const noexcept
{
    return RenameEntry(from, to, RenameMode::Replace, nullptr);
}

int TargetDirectory::RenameTempToNewName(std::string_view key, const FileName& target,
                                         const FileIdentity* file) const noexcept
{
    const FileName temp = TempName(key);
    if (const int error = RenameEntry(temp, target, RenameMode::NoReplace, file); !IsUnsupported(error)) {
        return error;
    }
    // No exclusive rename here: the name is claimed by an exclusive create,
    // which no link redirects, and the rename replaces the claim.
    FileDescriptor claim;
    if (const int error = CreateNew(target, true, claim); error != 0) {
        return error;
    }
    const std::optional<FileIdentity> claimed = IdentityOf(claim);
    // Closed before the rename: a system that renames open files only by a
    // handle of their own may refuse to replace one held open.
    claim.Reset();
    const int error = RenameEntry(temp, target, RenameMode::Replace, file);
    if (error != 0 && claimed) {
        RemoveIfHolds(target, *claimed);
    }
    return error;
}

Placement TargetDirectory::PlaceTemp(std::string_view key, const FileName& target, const FileIdentity& file,
                                     bool exclusive) const noexcept
{
    const int error = exclusive ? RenameTempToNewName(key, target, &file)
                                : RenameEntry(TempName(key), target, RenameMode::Replace, &file);
    if (error == ENOENT) {
        // The directory is held open, so only the temporary name can be
        // missing, or hold another file than ours.
        return {Placement::Result::TempGone, error};
    }
    if (error != 0) {
        return {Placement::Result::Failed, error};
    }
    // Checked after the rename too: a file swapped in after the check
    // before the renaming is found here, as is one swapped in since.
    FileStatus status;
    if (OthersMayChange() && (StatusAt(target, status) != 0 || !IsOurs(status, file))) {
        return {Placement::Result::Misplaced, 0};
    }
    return {};
}

void TargetDirectory::UnplaceTemp(std::string_view key, const FileName& target) const noexcept
{
    (void)RenameEntry(target, TempName(key), RenameMode::Replace, nullptr);
}

void TargetDirectory::RemoveIfHolds(const FileName& name, const FileIdentity& file) const noexcept
{
    FileStatus status;
    if (StatusAt(name, status) == 0 && IsOurs(status, file)) {
        Remove(name);
    }
}

std::optional<IoError> TargetDirectory::CommitTempOverRegular(std::string_view key, std::string_view target) const
{
    const FileName targetName(target);
    if (!targetName.Fits()) {
        return IoError::FromErrno(ShownPath(target), ENAMETOOLONG);
    }
    const FileName temp = TempName(key);
    // What stands under the name is judged after it has been swapped out
    // of the way, and swapped back unless it is a regular file: nothing
    // that appears there between a look and a rename is lost.
    for (int attempt = 0; attempt < 3; ++attempt) {
        int error = RenameEntry(temp, targetName, RenameMode::Exchange, nullptr);
        if (error == 0) {
            FileStatus old;
            if (StatusAt(temp, old) == 0 && old.type != FileStatus::Type::Regular) {
                (void)RenameEntry(temp, targetName, RenameMode::Exchange, nullptr);
                return NotRegular(target, old.type);
            }
            Remove(temp);
            return std::nullopt;
        }
        if (IsUnsupported(error)) {
            // No exchange on this file system: a look just before the
            // rename is all there is.
            FileStatus old;
            if (StatusAt(targetName, old) == 0 && old.type != FileStatus::Type::Regular) {
                return NotRegular(target, old.type);
            }
            error = RenameTemp(key, targetName);
        } else if (error == ENOENT) {
            error = RenameTempToNewName(key, targetName);
            if (error == EEXIST) {
                continue; // something appeared under the name: judged again
            }
        }
        if (error != 0) {
            return IoError::FromErrno(ShownPath(target), error);
        }
        return std::nullopt;
    }
    return IoError::FromErrno(ShownPath(target), EEXIST);
}

void TargetDirectory::RemoveTemp(std::string_view key) const noexcept
{
    Remove(TempName(key));
}

void TargetDirectory::RemoveStaleTemps(bool (*isOwnKey)(std::string_view key)) const noexcept
{
    const std::time_t now = std::time(nullptr);
    // Whether the listing was whole does not matter: what it missed goes
    // with a later run.
    (void)ForEachEntry([this, now, isOwnKey](const char* entry) {
        const std::optional<long> owner = TemporaryNameOwner(entry);
        if (!owner || (isOwnKey != nullptr && !isOwnKey(TemporaryNameKey(entry)))) {
            return;
        }
        const FileName name(entry);
        FileStatus status;
        if (!name.Fits() || StatusAt(name, status) != 0 || status.type != FileStatus::Type::Regular) {
            return;
        }
        // An earlier process that had our pid is gone too.
        if (*owner == pid_ || ProcessIsGone(*owner) || now - status.modified > kStaleAge) {
            Remove(name);
        }
    });
}

// The owner counts too: a file someone else made after removing ours may
// be given the number ours had.
bool TargetDirectory::IsOurs(const FileStatus& status, const FileIdentity& expected) const noexcept
{
    return status.type == FileStatus::Type::Regular && status.owner == uid_ && status.identity == expected;
}

IoError TargetDirectory::Replaced(std::string_view target) const
{
    // EEXIST: something other than the file written stands under its name.
    return IoError{ShownPath(target), EEXIST, std::string(kReplacedReason)};
}

IoError TargetDirectory::NotRegular(std::string_view target, FileStatus::Type type) const
{
    if (type == FileStatus::Type::Directory) {
        return IoError::FromErrno(ShownPath(target), EISDIR);
    }
    return IoError{ShownPath(target), EINVAL, std::string(kNotRegularReason)};
}

} // namespace harrowdeck
