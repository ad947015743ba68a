// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFile.h"

#include "FileProbe.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>

namespace harrowdeck {

namespace {

// 0666 so that the umask, not this program, decides who may read the file,
// as with any file the user creates.
constexpr mode_t kNewFileMode = 0666;

} // namespace

IoResult<AtomicFile> AtomicFile::Create(const std::string& targetPath, bool keepMode)
{
    const auto slash = targetPath.rfind(kSeparator);
    const std::string dirPath = slash == std::string::npos ? std::string() : targetPath.substr(0, slash + 1);
    std::string name = targetPath.substr(dirPath.size());
    IoResult<TargetDirectory> dir = TargetDirectory::Open(dirPath);
    if (!dir) {
        return IoError::FromErrno(targetPath, dir.Error().errorNumber);
    }
    mode_t mode = kNewFileMode;
    struct stat existing {};
    const bool modeKept = keepMode && ::fstatat(dir->Fd(), name.c_str(), &existing, 0) == 0;
    if (modeKept) {
        mode = existing.st_mode & 07777;
    }
    static std::atomic<unsigned> counter{0};
    std::string key = "a" + std::to_string(counter++);
    IoResult<FileDescriptor> fd = dir->CreateTemp(key, name, mode);
    if (!fd) {
        return fd.Error();
    }
    // The umask would narrow a kept mode, 0666 too; the old file's bits win.
    if (modeKept) {
        // Failing, the file keeps the bits the umask gave it: readable by
        // its owner at least, which is all the program needs.
        (void)::fchmod(fd->Get(), mode);
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
    if (dir_.IsOpen() && !committed_) {
        // The file is given up and removed; how its writing ended no longer matters.
        (void)output_.Finish();
        dir_.RemoveTemp(key_);
    }
}

std::optional<IoError> AtomicFile::Commit()
{
    committed_ = true;
    std::optional<IoError> error = output_.Finish();
    if (!error) {
        error = dir_.CommitTemp(key_, name_);
    }
    if (error) {
        dir_.RemoveTemp(key_);
    }
    return error;
}

} // namespace harrowdeck
