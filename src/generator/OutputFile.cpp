// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputFile.h"

#include "FileProbe.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace harrowdeck {

namespace {

constexpr std::size_t kFlushSize = std::size_t{64} << 10;
constexpr int kNameAttempts = 100;

std::string DirectoryOf(const std::string& path)
{
    const auto slash = path.rfind(kSeparator);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A hidden name in the target's directory, so the rename stays within one
// file system and a leftover is easy to tell from a page.
std::string TemporaryName(const std::string& target)
{
    static std::atomic<unsigned> counter{0};
    return DirectoryOf(target) + ".harrowdeck-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + ".tmp";
}

} // namespace

OutputFile::OutputFile(std::string targetPath) : target_(std::move(targetPath)) {}

OutputFile::~OutputFile()
{
    Abandon();
}

bool OutputFile::Open()
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temp_ = TemporaryName(target_);
        // 0666 so that the umask, not this program, decides who may read the
        // pages, as with any file the user creates.
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    Fail(errno);
    temp_.clear();
    return false;
}

void OutputFile::WriteLine(std::string_view text)
{
    if (failed_) {
        return;
    }
    buffer_.append(text);
    buffer_.append("\r\n");
    if (buffer_.size() >= kFlushSize) {
        (void)Flush();
    }
}

bool OutputFile::Flush()
{
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t count = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(errno);
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    buffer_.clear();
    return true;
}

bool OutputFile::Commit()
{
    if (failed_ || fd_ < 0 || !Flush()) {
        Abandon();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        Fail(errno);
        Abandon();
        return false;
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        Fail(errno);
        Abandon();
        return false;
    }
    temp_.clear();
    return true;
}

void OutputFile::Fail(int errorNumber)
{
    if (!failed_) {
        failed_ = true;
        reason_ = std::strerror(errorNumber);
    }
}

void OutputFile::Abandon()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

} // namespace harrowdeck
