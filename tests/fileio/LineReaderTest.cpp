// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace harrowdeck {
namespace {

// Reads every line; overlong lines show as "<too long>".
std::vector<std::string> Lines(std::string_view bytes, std::size_t maxLine = LineReader::kDefaultMaxLineLength,
                               std::size_t bufferSize = LineReader::kDefaultBufferSize)
{
    MemorySource source(bytes);
    LineReader reader(source, maxLine, bufferSize);
    std::vector<std::string> lines;
    std::string_view line;
    for (;;) {
        const auto status = reader.Next(line);
        if (status == LineReader::Status::End) {
            return lines;
        }
        if (status == LineReader::Status::Skipping) {
            continue;
        }
        lines.push_back(status == LineReader::Status::TooLong ? "<too long>" : std::string(line));
    }
}

using Strings = std::vector<std::string>;

TEST(LineReader, EveryKindOfLineEndEndsALine)
{
    EXPECT_EQ(Lines("a\r\nb\rc\nd"), (Strings{"a", "b", "c", "d"}));
    EXPECT_EQ(Lines("a\n\r\nb"), (Strings{"a", "", "b"}));
    EXPECT_EQ(Lines("a\r\rb"), (Strings{"a", "", "b"}));
    EXPECT_EQ(Lines("a\n\rb"), (Strings{"a", "", "b"}));
}

TEST(LineReader, NoLineAfterTheLastTerminator)
{
    EXPECT_EQ(Lines("a\r\n"), (Strings{"a"}));
    EXPECT_EQ(Lines("a\n\n"), (Strings{"a", ""}));
    EXPECT_EQ(Lines(""), Strings{});
    EXPECT_EQ(Lines("\r\n"), (Strings{""}));
    for (const std::string_view bytes : {"a\n", "a\r", "a\r\n", "a"}) {
        MemorySource source(bytes);
        LineReader reader(source);
        std::string_view line;
        ASSERT_EQ(reader.Next(line), LineReader::Status::Line);
        EXPECT_EQ(reader.LastLineCut(), bytes == "a") << bytes;
    }
}

TEST(LineReader, BytesPassThroughUnchanged)
{
    const std::string bytes("x\0y\xe5\xe4\xf6\tz", 8);
    EXPECT_EQ(Lines(bytes + "\n"), (Strings{bytes}));
}

TEST(LineReader, LinesSpanningTheBufferEdgeStayWhole)
{
    // Put a CR LF pair and long lines across the edge of the default buffer.
    const std::size_t edge = LineReader::kDefaultBufferSize;
    const std::string longLine(edge + 10, 'x');
    EXPECT_EQ(Lines(longLine + "\r\n" + longLine, 4 * edge), (Strings{longLine, longLine}));

    const std::string head(edge - 1, 'a');
    EXPECT_EQ(Lines(head + "\r\nb"), (Strings{head, "b"}));
    EXPECT_EQ(Lines(head + "\rb"), (Strings{head, "b"}));
}

// Whole lines and lines cut by the buffer's end take different paths; every
// buffer size puts the edge at every place, terminators and limit included.
TEST(LineReader, EveryBufferSizeCutsTheSameLines)
{
    const struct {
        std::string_view bytes;
        std::size_t maxLine;
        Strings lines;
    } cases[] = {
        {"ab\r\ncd\ref\ngh", 100, {"ab", "cd", "ef", "gh"}},
        {"\r\n\r\r\n\n\rx\r", 100, {"", "", "", "", "", "x"}},
        {"12345678\r\n123456789\n1234\r", 8, {"12345678", "<too long>", "1234"}},
        {"123456789\r\nab\n\r\n", 8, {"<too long>", "ab", ""}},
    };
    for (const auto& c : cases) {
        for (std::size_t size = 1; size <= c.bytes.size() + 1; ++size) {
            EXPECT_EQ(Lines(c.bytes, c.maxLine, size), c.lines) << "buffer of " << size << " for " << c.bytes;
        }
    }
}

TEST(LineReader, OverlongLinesAreSkippedNotHeld)
{
    EXPECT_EQ(Lines("short\nmuch too long\nok", 8), (Strings{"short", "<too long>", "ok"}));
    EXPECT_EQ(Lines("12345678\n123456789", 8), (Strings{"12345678", "<too long>"}));

    const std::string huge(300000, 'z');
    EXPECT_EQ(Lines("a\n" + huge + "\nb", 100000), (Strings{"a", "<too long>", "b"}));
}

// Bytes without end and without a line end, as from a device.
class EndlessZeros : public ByteSource {
public:
    long Read(char* buffer, std::size_t size) override
    {
        std::fill_n(buffer, size, '\0');
        return static_cast<long>(size);
    }
};

TEST(LineReader, AnEndlessLineIsReportedOnceItPassesTheLimit)
{
    EndlessZeros source;
    LineReader reader(source, 1000);
    std::string_view line;
    EXPECT_EQ(reader.Next(line), LineReader::Status::TooLong);
    const std::uint64_t read = reader.BytesRead();
    EXPECT_LE(read, 1u << 20); // within the first read
    // The rest comes back a buffer at a time, so a caller can stop reading.
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(reader.Next(line), LineReader::Status::Skipping);
    }
    EXPECT_LT(reader.BytesRead(), read + (101u << 20));
}

TEST(LineReader, CountsBytesReadAndConsumed)
{
    MemorySource source("abc\ndef\n");
    LineReader reader(source);
    std::string_view line;
    ASSERT_EQ(reader.Next(line), LineReader::Status::Line);
    EXPECT_EQ(reader.BytesRead(), 8u);
    EXPECT_EQ(reader.BytesConsumed(), 4u);
}

class FailingSource : public ByteSource {
public:
    long Read(char* buffer, std::size_t size) override
    {
        if (calls_++ == 0) {
            const std::string_view first = "ok\npartial";
            const std::size_t count = std::min(size, first.size());
            first.copy(buffer, count);
            return static_cast<long>(count);
        }
        errno = EIO;
        return -1;
    }

private:
    int calls_ = 0;
};

TEST(LineReader, ReportsAFailingSource)
{
    FailingSource source;
    LineReader reader(source);
    std::string_view line;
    ASSERT_EQ(reader.Next(line), LineReader::Status::Line);
    EXPECT_EQ(line, "ok");
    EXPECT_EQ(reader.Next(line), LineReader::Status::Error);
    EXPECT_EQ(reader.Error().errorNumber, EIO);
}

} // namespace
} // namespace harrowdeck
