// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFile.h"

#include "FileProbe.h"
#include "Platform.h"

#include <atomic>
#include <cerrno>

namespace harrowdeck {

namespace {

// This class's temporary files are keyed "a0", "a1", ...: a sweep before a
// save removes only those, as a run's pages in the same directory are the
// run's to clean up.
constexpr char kKeyLetter = 'a';

bool IsOwnKey(std::string_view key)
{
    return key.size() > 1 && key.front() == kKeyLetter &&
           key.find_first_not_of("0123456789", 1) == std::string_view::npos;
}

// The file already at name in dir, when there is one. A regular file must
// open for writing, as a plain write would open it, before it is replaced:
// the directory's permission to rename over it is not the file's to be
// written. Opened without truncating, the file is not touched. What is
// neither a regular file nor a device is never written nor replaced.
IoResult<std::optional<FileStatus>> ExistingFile(const TargetDirectory& dir, const std::string& name,
                                                 const std::string& shownPath)
{
    const FileName fileName(name);
    if (!fileName.Fits()) {
        return IoError::FromErrno(shownPath, ENAMETOOLONG);
    }
    FileStatus status;
    if (const int error = dir.StatusAt(fileName, status); error != 0) {
        if (error == ENOENT) {
            return std::optional<FileStatus>();
        }
        return IoError::FromErrno(shownPath, error);
    }
    if (status.type == FileStatus::Type::Regular) {
        if (const int error = dir.CheckWritable(fileName); error != 0) {
            return IoError::FromErrno(shownPath, error);
        }
    } else if (status.type != FileStatus::Type::CharDevice) {
        return dir.NotRegular(name, status.type);
    }
    return std::optional<FileStatus>(status);
}

} // namespace

IoResult<AtomicFile> AtomicFile::Create(const std::string& path)
{
    IoResult<std::string> target = FollowLinks(path);
    if (!target) {
        return target.Error();
    }
    const std::string& targetPath = *target;
    const std::string dirPath = DirectoryOf(targetPath);
    std::string name = targetPath.substr(dirPath.size());
    IoResult<TargetDirectory> dir = TargetDirectory::Open(dirPath);
    if (!dir) {
        return IoError::FromErrno(targetPath, dir.Error().errorNumber);
    }
    IoResult<std::optional<FileStatus>> existing = ExistingFile(*dir, name, targetPath);
    if (!existing) {
        return existing.Error();
    }
    if (*existing && (*existing)->type == FileStatus::Type::CharDevice) {
        // A device (/dev/null, where settings are thrown away) is written
        // in place: replacing it would break the system.
        IoResult<FileDescriptor> device = dir->OpenDevice(name);
        if (!device) {
            return device.Error();
        }
        OutputFile output(std::move(*device), targetPath);
        return AtomicFile(std::move(*dir), std::string(), std::move(name), std::move(output));
    }
    dir->RemoveStaleTemps(IsOwnKey);
    static std::atomic<unsigned> counter{0};
    std::string key = kKeyLetter + std::to_string(counter++);
    IoResult<FileDescriptor> fd = dir->CreateTemp(key, name);
    if (!fd) {
        return fd.Error();
    }
    if (*existing) {
        KeepAttributes(*fd, **existing);
    }
    OutputFile output(std::move(*fd), targetPath);
    return AtomicFile(std::move(*dir), std::move(key), std::move(name), std::move(output));
}
AtomicFile::AtomicFile(TargetDirectory dir, std::string key, std::string name, OutputFile output)
    : dir_(std::move(dir)), key_(std::move(key)), name_(std::move(name)), output_(std::move(output))
{
}

AtomicFile::~AtomicFile()
{
    if (!dir_.IsOpen() || committed_) {
        return;
    }
    if (InPlace()) {
        output_.Discard();
        return;
    }
    // The file is given up and removed; how its writing ended no longer matters.
    (void)output_.Finish();
    dir_.RemoveTemp(key_);
}

std::optional<IoError> AtomicFile::Commit()
{
    committed_ = true;
    std::optional<IoError> error = output_.Finish();
    if (InPlace()) {
        return error;
    }
    if (!error) {
        error = dir_.CommitTempOverRegular(key_, name_);
    }
    if (error) {
        dir_.RemoveTemp(key_);
    }
    return error;
}

} // namespace harrowdeck
