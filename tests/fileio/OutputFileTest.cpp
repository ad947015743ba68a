// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputFile.h"

#include "ResourceLimit.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace harrowdeck {
namespace {

using test::ReadFile;
using test::TempDir;

OutputFile Create(const std::string& path, const std::string& shownPath)
{
    return OutputFile(test::CreateForWriting(path), shownPath);
}

// Bytes that differ from their neighbours, so that a piece out of place shows.
std::string Pattern(std::size_t size, int seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + static_cast<std::size_t>(seed)) % 251);
    }
    return bytes;
}

TEST(OutputFile, PiecesOfAnySizeArriveWholeAndInOrder)
{
    TempDir dir;
    OutputFile file = Create(dir / "out", "out");
    // A small start, then pieces larger than the 64 KiB buffer, one of them
    // more than two buffers.
    const std::string pieces[] = {"head", Pattern(150000, 1), Pattern(65536, 2), Pattern(70000, 3)};
    std::string expected;
    for (const std::string& piece : pieces) {
        file.Append(piece);
        expected += piece;
    }
    ASSERT_FALSE(file.Flush());
    EXPECT_EQ(ReadFile(dir / "out"), expected); // Flush keeps the file open
    file.WriteLine("tail");
    ASSERT_FALSE(file.Finish());
    EXPECT_EQ(ReadFile(dir / "out"), expected + "tail\r\n");
}

TEST(OutputFile, AWriteErrorIsRememberedAndReportedAtFinish)
{
#if defined(_WIN32)
    GTEST_SKIP() << "no limit on a file's size stands in for a full disk here";
#else
    TempDir dir;
    OutputFile file = Create(dir / "out", "shown/out");
    {
        const test::FileSizeLimit limit(1000);
        file.Append(Pattern(200000, 0));
    }
    // Writing would succeed again now, but the file already lacks bytes.
    file.Append("more");
    const auto error = file.Finish();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, "shown/out");
    EXPECT_EQ(error->reason, "File too large");
#endif
}

} // namespace
} // namespace harrowdeck
