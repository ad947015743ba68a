// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace harrowdeck {

namespace {

constexpr std::size_t kBufferSize = std::size_t{64} << 10;

} // namespace

std::optional<FileSource> FileSource::Open(const std::string& path, std::string& reason)
{
    // O_NONBLOCK keeps a FIFO without a writer from hanging the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        reason = std::strerror(errno);
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        reason = std::strerror(errno);
        ::close(fd);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        reason = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "Not a regular file";
        ::close(fd);
        return std::nullopt;
    }
    return FileSource(fd, static_cast<std::uint64_t>(info.st_size));
}

FileSource::FileSource(FileSource&& other) noexcept : fd_(other.fd_), size_(other.size_)
{
    other.fd_ = -1;
}

FileSource::~FileSource()
{
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

long FileSource::Read(char* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t count = ::read(fd_, buffer, size);
        if (count >= 0 || errno != EINTR) {
            return static_cast<long>(count);
        }
    }
}

long MemorySource::Read(char* buffer, std::size_t size)
{
    const std::size_t count = std::min(size, bytes_.size());
    std::memcpy(buffer, bytes_.data(), count);
    bytes_.remove_prefix(count);
    return static_cast<long>(count);
}

LineReader::LineReader(ByteSource& source, std::size_t maxLineLength)
    : source_(source), maxLineLength_(maxLineLength), buffer_(kBufferSize)
{
}

bool LineReader::Refill()
{
    const long count = source_.Read(buffer_.data(), buffer_.size());
    if (count < 0) {
        errorNumber_ = errno;
        return false;
    }
    begin_ = 0;
    end_ = static_cast<std::size_t>(count);
    bytesRead_ += static_cast<std::uint64_t>(count);
    atEnd_ = count == 0;
    return true;
}

void LineReader::ConsumeTerminator(const char* cut)
{
    std::size_t next = static_cast<std::size_t>(cut - buffer_.data()) + 1;
    if (*cut == '\r') {
        if (next < end_) {
            if (buffer_[next] == '\n') {
                ++next;
            }
        } else {
            skipLeadingLf_ = true;
        }
    }
    begin_ = next;
}

LineReader::Status LineReader::Next(std::string_view& line)
{
    pending_.clear();
    for (;;) {
        if (begin_ == end_) {
            if (atEnd_) {
                discarding_ = false;
                return Finish(line);
            }
            if (!Refill()) {
                return Status::Error;
            }
            continue;
        }
        if (skipLeadingLf_) {
            skipLeadingLf_ = false;
            if (buffer_[begin_] == '\n') {
                ++begin_;
                continue;
            }
        }

        const char* start = buffer_.data() + begin_;
        const char* stop = buffer_.data() + end_;
        const char* cut = start;
        while (cut != stop && *cut != '\n' && *cut != '\r') {
            ++cut;
        }
        const auto length = static_cast<std::size_t>(cut - start);

        if (discarding_) {
            if (cut == stop) {
                // Still inside the long line: let the caller report progress
                // or cancel before reading on.
                begin_ = end_;
                return Status::Skipping;
            }
            discarding_ = false;
            ConsumeTerminator(cut);
            continue;
        }

        if (cut == stop) {
            // The line goes on past the buffer: keep what we have, unless it
            // is already too long to be worth keeping.
            begin_ = end_;
            if (pending_.size() + length > maxLineLength_) {
                partial_ = false;
                discarding_ = true;
                std::string().swap(pending_);
                return Status::TooLong;
            }
            partial_ = true;
            pending_.append(start, length);
            continue;
        }

        ConsumeTerminator(cut);

        if (!partial_) {
            if (length > maxLineLength_) {
                return Status::TooLong;
            }
            line = std::string_view(start, length);
            return Status::Line;
        }
        if (pending_.size() + length > maxLineLength_) {
            overlong_ = true;
        } else {
            pending_.append(start, length);
        }
        return Finish(line);
    }
}

LineReader::Status LineReader::Finish(std::string_view& line)
{
    if (!partial_) {
        return Status::End;
    }
    partial_ = false;
    if (overlong_) {
        overlong_ = false;
        std::string().swap(pending_);
        return Status::TooLong;
    }
    line = pending_;
    return Status::Line;
}

} // namespace harrowdeck
