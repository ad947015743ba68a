// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScratchRecords.h"

#include "TargetDirectory.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace harrowdeck {
namespace {

using test::TempDir;

int ErrorNumber(const IoResult<std::uint64_t>& result)
{
    return result ? 0 : result.Error().errorNumber;
}

ScratchRecords OpenRecords(const TempDir& dir)
{
    IoResult<TargetDirectory> target = TargetDirectory::Open(dir.Path());
    EXPECT_TRUE(target);
    IoResult<FileDescriptor> scratch = target->CreateScratch();
    EXPECT_TRUE(scratch);
    return ScratchRecords(std::move(*scratch), "dest/dir.html");
}

// Records of every size that matters: empty, small ones that gather in
// memory, and ones larger than the 64 KiB blocks the file is read in.
std::vector<std::string> SampleRecords()
{
    std::vector<std::string> records{"", "a"};
    for (int i = 0; i < 3000; ++i) {
        records.push_back("folder " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 97), 'x'));
        if (i % 1000 == 500) {
            records.push_back(std::string(70000 + static_cast<std::size_t>(i), static_cast<char>('A' + i % 26)));
        }
    }
    records.push_back(std::string(65536, 'z'));
    records.push_back("last");
    return records;
}

TEST(ScratchRecords, RecordsComeBackWholeInAnyOrder)
{
    TempDir dir;
    ScratchRecords records = OpenRecords(dir);
    const std::vector<std::string> written = SampleRecords();
    std::vector<std::uint64_t> offsets;
    for (const std::string& record : written) {
        IoResult<std::uint64_t> offset = records.Append(record);
        ASSERT_TRUE(offset);
        offsets.push_back(*offset);
    }
    // Forwards, each record's end is where the next begins; backwards, the
    // read window has to move back for each older record.
    std::string out;
    for (std::size_t i = 0; i < written.size(); ++i) {
        IoResult<std::uint64_t> next = records.Read(offsets[i], out);
        ASSERT_TRUE(next);
        ASSERT_EQ(out, written[i]) << i;
        if (i + 1 < written.size()) {
            ASSERT_EQ(*next, offsets[i + 1]) << i;
        }
    }
    for (std::size_t i = written.size(); i-- > 0;) {
        ASSERT_TRUE(records.Read(offsets[i], out));
        ASSERT_EQ(out, written[i]) << i;
        IoResult<std::uint64_t> skipped = records.Skip(offsets[i]);
        ASSERT_TRUE(skipped);
        ASSERT_EQ(*skipped, offsets[i] + 4 + written[i].size());
    }
}

TEST(ScratchRecords, ReadingWhereNoRecordIsFailsUnderTheShownPath)
{
    TempDir dir;
    ScratchRecords records = OpenRecords(dir);
    std::string out;
    IoResult<std::uint64_t> empty = records.Read(0, out);
    ASSERT_FALSE(empty);
    EXPECT_EQ(empty.Error().path, "dest/dir.html");
    EXPECT_EQ(empty.Error().reason, "Input/output error");

    // Past the end while the records are in memory, and once they are in
    // the file; and a length that runs past the end.
    IoResult<std::uint64_t> small = records.Append("abc");
    ASSERT_TRUE(small);
    EXPECT_EQ(ErrorNumber(records.Skip(*small + 7)), EIO);
    IoResult<std::uint64_t> large = records.Append(std::string(100000, 'b'));
    ASSERT_TRUE(large);
    IoResult<std::uint64_t> end = records.Skip(*large);
    ASSERT_TRUE(end);
    EXPECT_EQ(ErrorNumber(records.Read(*end, out)), EIO);
    EXPECT_EQ(ErrorNumber(records.Read(*end + 1000, out)), EIO);
    IoResult<std::uint64_t> tail = records.Append(std::string("\xff\xff\xff\x7f", 4));
    ASSERT_TRUE(tail);
    EXPECT_EQ(ErrorNumber(records.Read(*tail + 4, out)), EIO);
}

} // namespace
} // namespace harrowdeck
