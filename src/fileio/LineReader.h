// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ByteSource.h"
#include "IoError.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace harrowdeck {

// Splits a byte stream into lines. CR LF, a lone CR and a lone LF each end a
// line, and the last line may lack a terminator. A line longer than the limit
// is reported as soon as it passes the limit and its rest is passed over
// without being held in memory, a buffer at a time, so that endless input
// without line ends can neither exhaust memory nor keep the caller from
// reporting progress or cancelling.
class LineReader {
public:
    static constexpr std::size_t kDefaultMaxLineLength = std::size_t{1} << 20;
    // Large enough that the system calls stay few (about 3300 for a 200 MB
    // export), small enough that the bytes a read has just copied in are
    // still in the processor's cache when the lines are searched: with a
    // megabyte the copy pushes them out, and searching them costs more than
    // the reads it saves. The buffer is allocated whole, so a reader of
    // small files may ask for less.
    static constexpr std::size_t kDefaultBufferSize = std::size_t{64} << 10;

    enum class Status {
        Line,     // a line was read
        TooLong,  // a line passed the limit; its rest will be skipped
        Skipping, // more of a line over the limit was passed over; no line
        End,      // no more lines
        Error,    // the source failed; see Error()
    };

    explicit LineReader(ByteSource& source, std::size_t maxLineLength = kDefaultMaxLineLength,
                        std::size_t bufferSize = kDefaultBufferSize);

    // Reads the next line, without its terminator. The view stays valid until
    // the next call. Inline, because it runs once per line: a line that lies
    // whole in the buffer costs a search for its end and little more.
    [[nodiscard]] Status Next(std::string_view& line)
    {
        if (state_ == LineState::Start && !skipLeadingLf_ && begin_ != end_) {
            const char* start = buffer_.get() + begin_;
            const char* stop = buffer_.get() + end_;
            const char* cut = FindTerminator(start, stop);
            const auto length = static_cast<std::size_t>(cut - start);
            if (cut != stop && length <= maxLineLength_) {
                ConsumeTerminator(cut);
                line = std::string_view(start, length);
                return Status::Line;
            }
        }
        return NextAcrossRefills(line);
    }

    [[nodiscard]] std::uint64_t BytesRead() const { return bytesRead_; }
    // Bytes of the lines handed out so far, terminators included: how far
    // the reading has really got, unlike BytesRead, which runs a buffer ahead.
    [[nodiscard]] std::uint64_t BytesConsumed() const { return bytesRead_ - (end_ - begin_); }
    // Why the source failed, after Status::Error.
    [[nodiscard]] IoError Error() const { return IoError::FromErrno(source_.Name(), errorNumber_); }
    // The first bytes of the last line reported TooLong, enough to check a
    // header that begins an overlong first line.
    [[nodiscard]] std::string_view OverlongStart() const { return overlongStart_; }
    // True once the end of the input has cut off the last line handed out:
    // for a reader whose every line is written with its terminator, damage.
    [[nodiscard]] bool LastLineCut() const { return lastLineCut_; }

private:
    enum class LineState {
        Start,      // no line begun; the next byte starts one
        Gathering,  // pending_ holds the start of a line that spans a refill
        Discarding, // the rest of a line over the limit is being passed over
    };

    // The first CR or LF in [from, stop), or stop.
    [[nodiscard]] const char* FindTerminator(const char* from, const char* stop)
    {
        if (nextCr_ == nullptr || nextCr_ < from) {
            nextCr_ = Find(from, stop, '\r');
        }
        if (nextLf_ == nullptr || nextLf_ < from) {
            nextLf_ = Find(from, stop, '\n');
        }
        return std::min(nextCr_, nextLf_);
    }
    [[nodiscard]] static const char* Find(const char* from, const char* stop, char c)
    {
        const void* hit = std::memchr(from, c, static_cast<std::size_t>(stop - from));
        return hit == nullptr ? stop : static_cast<const char*>(hit);
    }
    // Moves past the terminator that starts at cut, a CR LF pair included.
    void ConsumeTerminator(const char* cut)
    {
        std::size_t next = static_cast<std::size_t>(cut - buffer_.get()) + 1;
        if (*cut == '\r') {
            if (next < end_) {
                next += buffer_[next] == '\n' ? 1 : 0;
            } else {
                skipLeadingLf_ = true;
            }
        }
        begin_ = next;
    }
    // Next for every other case: a line cut by the buffer's end, a refill,
    // a line over the limit, the end of the input.
    [[nodiscard]] Status NextAcrossRefills(std::string_view& line);
    void KeepOverlongStart(std::string_view start);
    [[nodiscard]] bool Refill();
    // Hands out the line gathered in pending_, or End when there is none.
    [[nodiscard]] Status Finish(std::string_view& line);

    ByteSource& source_;
    std::size_t maxLineLength_;
    std::size_t bufferSize_;
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    // Where the next CR and LF lie in the buffer, each found by one memchr
    // and reused until a line passes it, so every byte is scanned once per
    // character instead of once per line. Null when not yet searched.
    const char* nextCr_ = nullptr;
    const char* nextLf_ = nullptr;
    std::string pending_;
    std::string overlongStart_;
    LineState state_ = LineState::Start;
    bool skipLeadingLf_ = false; // the last line ended in a CR at a buffer edge
    bool atEnd_ = false;
    bool lastLineCut_ = false;
    std::uint64_t bytesRead_ = 0;
    int errorNumber_ = 0;
};

} // namespace harrowdeck
