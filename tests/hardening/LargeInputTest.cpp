// SPDX-License-Identifier: GPL-3.0-or-later
// Huge inputs through the built harrowdeck-make, each measured for its peak
// resident memory. Only the current folder's links and the folder names are
// held, so memory follows the largest folder, not the size of the file.
#include "ChildProcess.h"
#include "Invariants.h"
#include "RunFixture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace harrowdeck {
namespace {

using test::ChildResult;
using test::kHeaderLine;
using test::RunChild;

constexpr long kMiB = 1024;                  // in KiB, as ru_maxrss counts
constexpr long kLineCapAndBuffers = 8 * kMiB; // the 1 MiB line cap, read and write buffers, slack

// Writes a large export piece by piece, without holding it in memory.
class ExportWriter {
public:
    explicit ExportWriter(const std::string& path) : out_(path, std::ios::binary | std::ios::trunc)
    {
        out_ << kHeaderLine;
    }
    ExportWriter& operator<<(const std::string& text)
    {
        out_ << text;
        return *this;
    }
    // `count` copies of the byte c, without a line end.
    void Repeat(char c, std::size_t count)
    {
        const std::string chunk(std::size_t{1} << 20, c);
        for (; count >= chunk.size(); count -= chunk.size()) {
            out_ << chunk;
        }
        out_ << chunk.substr(0, count);
    }
    void Close()
    {
        out_.close();
        ASSERT_TRUE(out_.good());
    }

private:
    std::ofstream out_;
};

// A run of the tool and its peak resident set in KiB.
struct Measured : ChildResult {
    long peakRssKiB = 0;
};

// Runs harrowdeck-make through the measuring helper, so that the figure is
// the tool's own and not this test process's.
Measured RunMeasured(const std::string& source, const std::string& dest)
{
    test::TempDir io;
    Measured result;
    static_cast<ChildResult&>(result) = RunChild(
        {HARROWDECK_PEAK_RSS_PATH, io / "peak", HARROWDECK_MAKE_PATH, source, dest}, std::chrono::seconds(300));
    result.peakRssKiB = std::stol("0" + test::ReadFile(io / "peak"));
    return result;
}

class LargeTest : public test::RunFixture {
protected:
    Measured Convert()
    {
        Measured result = RunMeasured(sourcePath, destDir);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result;
    }

    // The tool's peak on a tiny export: code, libraries and buffers.
    static long Baseline()
    {
        static const long baseline = [] {
            test::TempDir dir;
            test::WriteFile(dir / "small.htm", kHeaderLine + test::Folders(1));
            return RunMeasured(dir / "small.htm", dir.Path()).peakRssKiB;
        }();
        return baseline;
    }

    // Reports the figure and checks it against the bound, unless the
    // sanitizers' own memory makes figures meaningless.
    void ExpectPeakAtMost(const Measured& result, long boundKiB, const std::string& what)
    {
        std::printf("[  MEMORY  ] %s: peak RSS %ld KiB (baseline %ld KiB, bound %ld KiB), %.2f s\n", what.c_str(),
                    result.peakRssKiB, Baseline(), boundKiB, result.seconds);
        RecordProperty("peak_rss_kib", std::to_string(result.peakRssKiB));
        if (!test::UnderAddressSanitizer()) {
            EXPECT_LE(result.peakRssKiB, boundKiB) << what;
        }
    }

    void ExpectInvariants(const std::string& input, std::size_t pages)
    {
        const test::PageCheck check = test::CheckPages(destDir, input, "");
        EXPECT_TRUE(check.faults.empty()) << ::testing::PrintToString(check.faults);
        EXPECT_EQ(check.pages, pages);
    }
};

TEST_F(LargeTest, ASingle200MBLineIsSkippedWithoutBeingHeld)
{
    ExportWriter out(sourcePath);
    out << "<DT><H3>Big</H3>\n<DL><p>\n<DT><A HREF=\"";
    out.Repeat('a', 200'000'000);
    out << "\">x</A>\n<DT><A HREF=\"ok.htm\">ok</A>\n</DL><p>\n";
    out.Close();

    const Measured result = Convert();
    EXPECT_EQ(result.out, "Harrowdeck.html is done!\n1 line could not be read and was left out.\n"
                          "1 link page, 1 link, 1 skipped line\n");
    EXPECT_EQ(test::ReadFile(destDir + "1.html"),
              "<HTML>\r\n<BODY BGCOLOR=\"#FFFFFF\">\r\n<H3>Big</H3>\r\n<A HREF=\"ok.htm\">ok</A><BR>\r\n"
              "</BODY>\r\n</HTML>\r\n");
    ExpectPeakAtMost(result, Baseline() + kLineCapAndBuffers, "one 200 MB line");
}

TEST_F(LargeTest, AGigabyteOfZeroBytesIsOneSkippedLine)
{
    // A sparse file: a gigabyte of NUL bytes without a line end, as an
    // endless device would give, that takes no room on the disk.
    {
        ExportWriter out(sourcePath);
        out.Close();
    }
    const off_t gap = off_t{1} << 30;
    ASSERT_EQ(::truncate(sourcePath.c_str(), gap), 0);
    {
        std::ofstream tail(sourcePath, std::ios::binary | std::ios::app);
        tail << "\n<DT><H3>After</H3>\n<DT><A HREF=\"a.htm\">a</A>\n</DL><p>\n";
    }
    const Measured result = Convert();
    EXPECT_EQ(result.out, "Harrowdeck.html is done!\n1 line could not be read and was left out.\n"
                          "1 link page, 1 link, 1 skipped line\n");
    ExpectPeakAtMost(result, Baseline() + kLineCapAndBuffers, "1 GiB of NUL bytes");
}

TEST_F(LargeTest, AHundredThousandEmptyFoldersLeaveNoGaps)
{
    std::string body;
    for (int i = 0; i < 100'000; ++i) {
        body += "<DT><H3>Empty " + std::to_string(i) + "</H3>\n<DL><p>\n</DL><p>\n";
    }
    body += "<DT><H3>Last</H3>\n<DL><p>\n<DT><A HREF=\"l.htm\">l</A>\n</DL><p>\n";
    Source(kHeaderLine + body);

    const Measured result = Convert();
    EXPECT_EQ(result.out, "Harrowdeck.html is done!\n1 link page, 1 link, 0 skipped lines\n");
    ExpectInvariants(kHeaderLine + body, 1);
    EXPECT_NE(test::ReadFile(destDir + "dir.html").find("<A HREF=\"1.html\" TARGET=\"lankar\">Last</A>"),
              std::string::npos);
    ExpectPeakAtMost(result, Baseline() + kLineCapAndBuffers, "100 000 empty folders");
}

TEST_F(LargeTest, FortyThousandFoldersCountBeyond16Bits)
{
    const std::string body = test::Folders(40'000);
    Source(kHeaderLine + body);

    const Measured result = Convert();
    EXPECT_EQ(result.out, "Harrowdeck.html is done!\n40000 link pages, 40000 links, 0 skipped lines\n");
    ExpectInvariants(kHeaderLine + body, 40'000);
    // The names stay until dir.html is written: some bytes each.
    ExpectPeakAtMost(result, Baseline() + kLineCapAndBuffers + 4 * kMiB, "40 000 folders");
}

TEST_F(LargeTest, MemoryFollowsTheLargestFolderNotTheFile)
{
    constexpr int kLinks = 1'000'000;
    const std::string big = test::BigFolder("Million", kLinks);
    Source(kHeaderLine + big);
    const Measured alone = Convert();
    EXPECT_EQ(alone.out, "Harrowdeck.html is done!\n1 link page, 1000000 links, 0 skipped lines\n");
    ExpectInvariants(kHeaderLine + big, 1);
    // Each link is held once as a converted line: its bytes plus the
    // string's own overhead, about three times a short line.
    ExpectPeakAtMost(alone, Baseline() + kLineCapAndBuffers + static_cast<long>(3 * big.size() / 1024),
                     "one folder of 1 000 000 links (" + std::to_string(big.size() >> 20) + " MiB)");

    // Four times the file, the same largest folder: the peak stays.
    std::ofstream more(sourcePath, std::ios::binary | std::ios::app);
    for (int i = 0; i < 60; ++i) {
        more << test::BigFolder("Part " + std::to_string(i), kLinks / 20);
    }
    more.close();
    std::filesystem::remove_all(destDir);
    std::filesystem::create_directory(destDir);
    const Measured larger = Convert();
    EXPECT_EQ(larger.out, "Harrowdeck.html is done!\n61 link pages, 4000000 links, 0 skipped lines\n");
    ExpectPeakAtMost(larger, alone.peakRssKiB + alone.peakRssKiB / 10 + 4 * kMiB,
                     "the same folder and 3 000 000 more links in 60 folders");
}

} // namespace
} // namespace harrowdeck
