// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileDescriptor.h"
#include "IoError.h"

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace harrowdeck {

// A directory that files are written into the one safe way: each under a
// temporary name beside its target, renamed over the target only once it
// is complete, so that a failure never leaves a half-written file under a
// target's name. The directory is held by descriptor, so that every file
// lands in the directory that was opened even when its path is renamed or
// swapped meanwhile. A temporary name is derived from the writer's pid and a
// key, never stored, and tells a later writer a killed writer's leftover
// from one still in use.
class TargetDirectory {
public:
    // path is shown in errors; an empty path is the current directory.
    [[nodiscard]] static IoResult<TargetDirectory> Open(const std::string& path);

    [[nodiscard]] int Fd() const { return fd_.Get(); }
    [[nodiscard]] bool IsOpen() const { return fd_.IsOpen(); }
    // The path the user knows a file in the directory by.
    [[nodiscard]] std::string ShownPath(std::string_view name) const;

    // The temporary file for key, whose target is `target`. A leftover of
    // this process's pid under that name is replaced.
    [[nodiscard]] IoResult<FileDescriptor> CreateTemp(std::string_view key, std::string_view target,
                                                      mode_t mode = 0666) const;
    // The temporary file for key, opened again to append to it.
    [[nodiscard]] IoResult<FileDescriptor> ReopenTemp(std::string_view key, std::string_view target) const;
    [[nodiscard]] std::optional<IoError> CommitTemp(std::string_view key, std::string_view target) const;
    void RemoveTemp(std::string_view key) const;
    // Removes the temporary files of writers that are gone: their process
    // no longer exists, or, when that cannot be told, a day has passed.
    // With isOwnKey, only those whose key it accepts.
    void RemoveStaleTemps(bool (*isOwnKey)(std::string_view key) = nullptr) const;

    // An unnamed scratch file in the directory, gone when closed.
    [[nodiscard]] IoResult<FileDescriptor> CreateScratch() const;

private:
    TargetDirectory(FileDescriptor fd, std::string path, long pid);

    [[nodiscard]] std::string TempName(std::string_view key) const;

    FileDescriptor fd_;
    std::string path_;
    long pid_ = 0;
};

// The name under which a file is written before it is renamed.
[[nodiscard]] std::string TemporaryName(long pid, std::string_view key);
// The pid in a temporary name, or nothing when the name is not one of ours.
[[nodiscard]] std::optional<long> TemporaryNameOwner(std::string_view name);

} // namespace harrowdeck
