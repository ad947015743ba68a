// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputFile.h"

#include "FileProbe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <utility>

namespace harrowdeck {

namespace {

constexpr std::string_view kTempPrefix = ".harrowdeck-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr int kNameAttempts = 100;

std::string DirectoryOf(const std::string& path)
{
    const auto slash = path.rfind(kSeparator);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

IoError IoError::FromErrno(std::string path, int errorNumber)
{
    return IoError{std::move(path), errorNumber, std::strerror(errorNumber)};
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        Reset();
        fd_ = other.Release();
    }
    return *this;
}

int FileDescriptor::Release()
{
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void FileDescriptor::Reset()
{
    (void)Close();
}

int FileDescriptor::Close()
{
    if (fd_ < 0) {
        return 0;
    }
    // The descriptor is gone whatever close says; retrying could close
    // another thread's file.
    const int result = ::close(Release());
    return result == 0 ? 0 : errno;
}

OutputFile::OutputFile(FileDescriptor fd, std::string shownPath)
    : fd_(std::move(fd)), shownPath_(std::move(shownPath)), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize))
{
}

// Whole buffers go out, so that even a name of a megabyte costs few writes.
// After a failure the bytes are dropped at each flush; Finish reports it.
void OutputFile::AppendInPieces(std::string_view bytes)
{
    while (!bytes.empty()) {
        const std::size_t take = std::min(kBufferSize - used_, bytes.size());
        std::memcpy(buffer_.get() + used_, bytes.data(), take);
        used_ += take;
        bytes.remove_prefix(take);
        if (used_ == kBufferSize) {
            (void)Flush();
        }
    }
}

std::optional<IoError> OutputFile::Flush()
{
    std::size_t done = 0;
    while (errorNumber_ == 0 && done < used_) {
        const ssize_t count = ::write(fd_.Get(), buffer_.get() + done, used_ - done);
        if (count < 0) {
            if (errno != EINTR) {
                Fail(errno);
            }
            continue;
        }
        done += static_cast<std::size_t>(count);
    }
    used_ = 0;
    return Failure();
}

std::optional<IoError> OutputFile::Finish()
{
    (void)Flush();
    if (const int closeError = fd_.Close(); closeError != 0) {
        Fail(closeError);
    }
    return Failure();
}

void OutputFile::Fail(int errorNumber)
{
    if (errorNumber_ == 0) {
        errorNumber_ = errorNumber;
    }
}

std::optional<IoError> OutputFile::Failure() const
{
    if (errorNumber_ == 0) {
        return std::nullopt;
    }
    return IoError::FromErrno(shownPath_, errorNumber_);
}

std::string TemporaryName(long pid, std::string_view key)
{
    std::string name(kTempPrefix);
    name += std::to_string(pid);
    name += '-';
    name += key;
    name += kTempSuffix;
    return name;
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

std::optional<AtomicFile> AtomicFile::Create(const std::string& targetPath, IoError& error, bool keepMode)
{
    // 0666 so that the umask, not this program, decides who may read the
    // file, as with any file the user creates.
    mode_t mode = 0666;
    struct stat existing {};
    if (keepMode && ::stat(targetPath.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    }
    static std::atomic<unsigned> counter{0};
    const long pid = ::getpid();
    const std::string dir = DirectoryOf(targetPath);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string temp = dir + TemporaryName(pid, "a" + std::to_string(counter++));
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            // The umask would narrow a kept mode; the old file's bits win.
            if (keepMode && mode != 0666) {
                (void)::fchmod(fd, mode);
            }
            return AtomicFile(OutputFile(FileDescriptor(fd), targetPath), std::move(temp), targetPath);
        }
        if (errno != EEXIST) {
            break;
        }
    }
    error = IoError::FromErrno(targetPath, errno);
    return std::nullopt;
}

AtomicFile::AtomicFile(OutputFile output, std::string tempPath, std::string targetPath)
    : output_(std::move(output)), tempPath_(std::move(tempPath)), targetPath_(std::move(targetPath))
{
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : output_(std::move(other.output_))
    , tempPath_(std::exchange(other.tempPath_, {}))
    , targetPath_(std::move(other.targetPath_))
{
}

AtomicFile::~AtomicFile()
{
    if (!tempPath_.empty()) {
        (void)output_.Finish();
        ::unlink(tempPath_.c_str());
    }
}

std::optional<IoError> AtomicFile::Commit()
{
    std::optional<IoError> error = output_.Finish();
    if (!error && ::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) {
        error = IoError::FromErrno(targetPath_, errno);
    }
    if (error) {
        ::unlink(tempPath_.c_str());
    }
    tempPath_.clear();
    return error;
}

} // namespace harrowdeck
