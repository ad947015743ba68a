// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the export reader and the page writers: bytes in memory become
// pages in a scratch directory, which must then keep every invariant. The
// input's length picks the TARGET attribute, so every one is exercised.
#include "AtomicFile.h"
#include "ExportReader.h"
#include "Invariants.h"
#include "LineReader.h"
#include "PageText.h"
#include "ReadPages.h"
#include "RunOptions.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace harrowdeck;

const std::array<std::string, 3> kTargets = {"", " TARGET=\"_top\"", " TARGET=\"_blank\""};
const std::string kPageBody = "<BODY BGCOLOR=\"#FFFFFF\">";
// Far below the tool's read size: the inputs are small, a buffer edge is
// then met often, and a megabyte allocated per input would slow the
// fuzzing down a hundredfold.
constexpr std::size_t kReadBuffer = 4096;

// Harrowdeck.html beside the pages, written as a run writes it.
std::optional<IoError> WriteFramesetFile(const std::string& dir, SizeMode mode)
{
    IoResult<AtomicFile> file = AtomicFile::Create(dir + std::string(kFramesetPageName));
    if (!file) {
        return file.Error();
    }
    WriteFrameset(file->Output(), mode, kDefaultLeftPercent, kDefaultLeftPixels);
    return file->Commit();
}

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::abort();
}

// A scratch directory (in TMPDIR, else on a memory file system), emptied
// before every input and removed at exit. The path is never freed, so that
// the exit handler can still use it after static strings are gone.
const std::string& ScratchDir()
{
    static const std::string* dir = [] {
        const char* chosen = std::getenv("TMPDIR");
        const std::string base = chosen != nullptr && *chosen != '\0' ? chosen
                                 : ::access("/dev/shm", W_OK) == 0    ? "/dev/shm"
                                                                      : "/tmp";
        std::string pattern = base + "/harrowdeck-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            Fail("cannot create a scratch directory");
        }
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchDir(), ignored);
        });
        return new std::string(pattern + "/");
    }();
    return *dir;
}

void Empty(const std::string& dir)
{
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ignored)) {
        std::filesystem::remove_all(entry.path(), ignored);
    }
}

// Hands out the bytes in pieces whose sizes come from the bytes themselves.
class ChunkedSource final : public ByteSource {
public:
    explicit ChunkedSource(std::string_view bytes) : bytes_(bytes), all_(bytes) {}

    long Read(char* buffer, std::size_t size) override
    {
        const std::size_t piece = 1 + static_cast<unsigned char>(all_[calls_++ % all_.size()]) % 13;
        const std::size_t count = std::min({size, bytes_.size(), piece});
        std::copy_n(bytes_.data(), count, buffer);
        bytes_.remove_prefix(count);
        return static_cast<long>(count);
    }

private:
    std::string_view bytes_;
    std::string_view all_;
    std::size_t calls_ = 0;
};

// Every line and every over-long line, as the reader reports them.
std::vector<std::string> Lines(ByteSource& source, std::size_t maxLine)
{
    LineReader reader(source, maxLine, kReadBuffer);
    std::vector<std::string> lines;
    std::string_view line;
    for (;;) {
        switch (reader.Next(line)) {
        case LineReader::Status::Line:
            if (line.size() > maxLine || line.find_first_of("\r\n") != std::string_view::npos) {
                Fail("a line holds a line end or passes the limit");
            }
            lines.emplace_back(line);
            break;
        case LineReader::Status::TooLong:
            lines.emplace_back("\n(too long)");
            break;
        case LineReader::Status::Skipping:
            break;
        case LineReader::Status::End:
            return lines;
        case LineReader::Status::Error:
            Fail("a memory source failed");
        }
    }
}

// How the bytes arrive must not change the lines.
void CheckLinesDoNotDependOnReads(std::string_view bytes)
{
    if (bytes.empty()) {
        return;
    }
    const std::size_t maxLine = 1 + static_cast<unsigned char>(bytes[0]);
    MemorySource whole(bytes);
    ChunkedSource pieces(bytes);
    if (Lines(whole, maxLine) != Lines(pieces, maxLine)) {
        Fail("the lines depend on how the bytes were read");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckLinesDoNotDependOnReads(bytes);

    const std::string& dir = ScratchDir();
    Empty(dir);
    const std::string& targetAttr = kTargets[size % kTargets.size()];

    // As the generation run does it: the first line must be the header.
    MemorySource source(bytes);
    LineReader input(source, LineReader::kDefaultMaxLineLength, kReadBuffer);
    std::string_view first;
    if (input.Next(first) == LineReader::Status::Line && IsExportHeader(first)) {
        const test::PagesRead result = test::ReadPages(input, dir, targetAttr, kPageBody);
        if (result.end != ReadEnd::Complete) {
            Fail("the reading stopped without a reason");
        }
        if (!result.folderNames.empty() &&
            WriteFramesetFile(dir, size % 2 == 0 ? SizeMode::Percent : SizeMode::Pixels)) {
            Fail("Harrowdeck.html could not be written");
        }
        const test::PageCheck check = test::CheckPages(dir, bytes, targetAttr);
        if (!check.faults.empty()) {
            Fail(check.faults.front());
        }
        if (check.pages != result.folderNames.size() || check.links != result.counts.linksWritten) {
            Fail("the pages do not match what the reader reported");
        }
    }
    return 0;
}
