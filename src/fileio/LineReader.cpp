// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace harrowdeck {

// The buffer is left uninitialised: every byte is read into before it is
// looked at, so zeroing it would be a wasted pass over a megabyte.
LineReader::LineReader(ByteSource& source, std::size_t maxLineLength, std::size_t bufferSize)
    : source_(source), maxLineLength_(maxLineLength), bufferSize_(bufferSize),
      buffer_(std::make_unique_for_overwrite<char[]>(bufferSize_))
{
}

bool LineReader::Refill()
{
    const long count = source_.Read(buffer_.get(), bufferSize_);
    if (count < 0) {
        errorNumber_ = errno;
        return false;
    }
    begin_ = 0;
    end_ = static_cast<std::size_t>(count);
    bytesRead_ += static_cast<std::uint64_t>(count);
    atEnd_ = count == 0;
    nextCr_ = nextLf_ = nullptr;
    return true;
}

void LineReader::KeepOverlongStart(std::string_view start)
{
    constexpr std::size_t kKept = 64;
    overlongStart_.assign(start.substr(0, kKept));
}

LineReader::Status LineReader::NextAcrossRefills(std::string_view& line)
{
    if (state_ == LineState::Start) {
        pending_.clear();
    }
    for (;;) {
        if (begin_ == end_) {
            if (atEnd_) {
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

        const char* start = buffer_.get() + begin_;
        const char* stop = buffer_.get() + end_;
        const char* cut = FindTerminator(start, stop);
        const auto length = static_cast<std::size_t>(cut - start);

        if (state_ == LineState::Discarding) {
            begin_ = end_;
            if (cut == stop) {
                // Still inside the long line: let the caller report progress
                // or cancel before reading on.
                return Status::Skipping;
            }
            state_ = LineState::Start;
            ConsumeTerminator(cut);
            continue;
        }

        if (cut == stop) {
            // The line goes on past the buffer: keep what we have, unless it
            // is already too long to be worth keeping.
            begin_ = end_;
            if (pending_.size() + length > maxLineLength_) {
                KeepOverlongStart(pending_.empty() ? std::string_view(start, length) : pending_);
                std::string().swap(pending_);
                state_ = LineState::Discarding;
                return Status::TooLong;
            }
            state_ = LineState::Gathering;
            pending_.append(start, length);
            continue;
        }

        ConsumeTerminator(cut);
        if (state_ == LineState::Start) {
            if (length > maxLineLength_) {
                KeepOverlongStart(std::string_view(start, length));
                return Status::TooLong;
            }
            line = std::string_view(start, length);
            return Status::Line;
        }
        state_ = LineState::Start;
        if (pending_.size() + length > maxLineLength_) {
            KeepOverlongStart(pending_);
            std::string().swap(pending_);
            return Status::TooLong;
        }
        pending_.append(start, length);
        line = pending_;
        return Status::Line;
    }
}

LineReader::Status LineReader::Finish(std::string_view& line)
{
    const LineState state = std::exchange(state_, LineState::Start);
    if (state != LineState::Gathering) {
        return Status::End;
    }
    lastLineCut_ = true;
    line = pending_;
    return Status::Line;
}

} // namespace harrowdeck
