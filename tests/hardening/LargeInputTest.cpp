// SPDX-License-Identifier: GPL-3.0-or-later
// Huge inputs through the built harrowdeck-make, each measured for its peak
// resident memory. Pages, the index and long names are streamed, so the
// peak is one flat bound whatever the size of a folder, the length of a
// name, the number of folders or the depth they nest to.
#include "ChildProcess.h"
#include "Invariants.h"
#include "PageModel.h"
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

constexpr long kMiB = 1024;                   // in KiB, as ru_maxrss counts
constexpr long kLineCapAndBuffers = 8 * kMiB; // the 1 MiB line cap, read and write buffers, slack
// What no input may make the tool exceed.
constexpr long kFlatBound = 16 * kMiB;

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
Measured RunMeasured(const std::string& source, const std::string& dest, const std::string& folders = "top")
{
    test::TempDir io;
    Measured result;
    static_cast<ChildResult&>(result) =
        RunChild({HARROWDECK_PEAK_RSS_PATH, io / "peak", HARROWDECK_MAKE_PATH, "--folders", folders, source, dest},
                 std::chrono::seconds(300));
    result.peakRssKiB = std::stol("0" + test::ReadFile(io / "peak"));
    return result;
}

class LargeTest : public test::RunFixture {
protected:
    Measured Convert(const std::string& folders = "top")
    {
        std::filesystem::remove_all(destDir);
        std::filesystem::create_directory(destDir);
        Measured result = RunMeasured(sourcePath, destDir, folders);
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
    EXPECT_EQ(test::ReadFile(destDir + "1.html"), test::LinkPageBytes("Big", {"<A HREF=\"ok.htm\">ok</A><BR>"}));
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

// Each input made the peak grow with it before pages, index and names were
// streamed: by the links of the largest folder, by the names, by the count
// of folders, or by the nesting depth.
TEST_F(LargeTest, PeakMemoryIsFlatInBothModes)
{
    const std::string longName(1'000'000, 'n');
    std::string longNames;
    std::string nestedLongNames;
    for (int i = 0; i < 40; ++i) {
        const std::string folder = "<DT><H3>" + longName + std::to_string(i) + "</H3>\n<DL><p>\n<DT><A HREF=\"" +
                                   std::to_string(i) + ".htm\">L</A>\n";
        longNames += folder + "</DL><p>\n";
        nestedLongNames += folder;
    }
    std::string deep;
    for (int i = 0; i < 100'000; ++i) {
        deep += "<DT><H3>D" + std::to_string(i) + "</H3>\n<DL><p>\n";
    }
    deep += "<DT><A HREF=\"innermost.htm\">L</A>\n";
    const struct {
        std::string what;
        std::string body;
        std::size_t topPages;
        std::string topSummary;
        std::string allSummary;
    } inputs[] = {
        {"one folder of 300 000 links", test::BigFolder("Big", 300'000), 1, "1 link page, 300000 links",
         "1 link page, 300000 links"},
        {"40 folders with names of 1 MB", longNames, 40, "40 link pages, 40 links", "40 link pages, 40 links"},
        {"40 nested folders with names of 1 MB", nestedLongNames, 1, "1 link page, 40 links",
         "40 link pages, 40 links"},
        {"100 000 folders with names of 100 bytes", test::Folders(100'000, std::string(100, 'f')), 100'000,
         "100000 link pages, 100000 links", "100000 link pages, 100000 links"},
        {"100 000 nested folders", deep, 1, "1 link page, 1 link", "1 link page, 1 link"},
    };
    for (const auto& input : inputs) {
        Source(kHeaderLine + input.body);
        for (const std::string mode : {"top", "all"}) {
            const Measured result = Convert(mode);
            const std::string& summary = mode == "top" ? input.topSummary : input.allSummary;
            EXPECT_EQ(result.out, "Harrowdeck.html is done!\n" + summary + ", 0 skipped lines\n") << input.what;
            ExpectPeakAtMost(result, kFlatBound, input.what + ", --folders " + mode);
            if (mode == "top") {
                ExpectInvariants(kHeaderLine + input.body, input.topPages);
            }
        }
    }
}

} // namespace
} // namespace harrowdeck
