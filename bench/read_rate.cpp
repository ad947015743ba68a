// SPDX-License-Identifier: GPL-3.0-or-later
// The rate of the reading and cutting alone, without any page written:
//   read-rate [--folders all] FILE [ROUNDS]
// Each round reads FILE through the reader the tool uses, classifies every
// line and cuts every folder and link line, or, with --folders all, reads
// every tag as the every-folder mode does; the median round is reported in
// MB/s of input. Run it on a file in the page cache (tmpfs), so that the
// figure is the program's own and not the disk's.
#include "ExportReader.h"
#include "LineClass.h"
#include "LineReader.h"
#include "TagScanner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using namespace harrowdeck;

struct Round {
    std::uint64_t bytes = 0;
    std::uint64_t checksum = 0; // depends on every cut, so none is optimised away
};

FileSource OpenSource(const char* path)
{
    IoResult<FileSource> source = FileSource::Open(path);
    if (!source) {
        std::fprintf(stderr, "read-rate: %s: %s\n", path, source.Error().reason.c_str());
        std::exit(1);
    }
    return std::move(*source);
}

Round ReadAndCut(const char* path)
{
    FileSource source = OpenSource(path);
    LineReader input(source);
    std::uint64_t checksum = 0;
    std::string_view line;
    for (LineReader::Status status; (status = input.Next(line)) != LineReader::Status::End;) {
        if (status != LineReader::Status::Line) {
            continue;
        }
        line = SkipIndent(line);
        if (IsFolderEnd(line)) {
            ++checksum;
        } else if (IsLinkLine(line)) {
            if (const std::optional<LinkCut> cut = CutLinkLine(EntryStart(line))) {
                checksum += cut->head.size() + cut->tail.size();
            }
        } else if (IsFolderLine(line)) {
            if (const std::optional<std::string> name = ExtractFolderName(EntryStart(line))) {
                checksum += name->size();
            }
        }
    }
    return {input.BytesConsumed(), checksum};
}

Round ReadEveryTag(const char* path)
{
    FileSource source = OpenSource(path);
    LineReader input(source);
    TagScanner scanner(LineReader::kDefaultMaxLineLength);
    TagEvent event;
    std::uint64_t checksum = 0;
    std::string_view line;
    for (LineReader::Status status; (status = input.Next(line)) != LineReader::Status::End;) {
        if (status != LineReader::Status::Line) {
            scanner.LineSkipped();
            continue;
        }
        scanner.Feed(SkipIndent(line));
        while (scanner.Next(event)) {
            checksum += static_cast<std::uint64_t>(event.kind) + event.text.size() + event.link.head.size() +
                        event.link.text.size();
        }
    }
    return {input.BytesConsumed(), checksum};
}

} // namespace

int main(int argc, char** argv)
{
    const bool everyTag = argc > 2 && std::strcmp(argv[1], "--folders") == 0 && std::strcmp(argv[2], "all") == 0;
    if (everyTag) {
        argc -= 2;
        argv += 2;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: read-rate [--folders all] FILE [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    std::vector<double> rates;
    Round last;
    for (int round = 0; round < std::max(rounds, 1); ++round) {
        const auto start = std::chrono::steady_clock::now();
        last = everyTag ? ReadEveryTag(argv[1]) : ReadAndCut(argv[1]);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        rates.push_back(static_cast<double>(last.bytes) / 1e6 / took.count());
    }
    std::sort(rates.begin(), rates.end());
    std::printf("%s: %.0f MB/s, median of %zu rounds over %.1f MB (checksum %llu)\n",
                everyTag ? "reading every tag" : "reading and cutting", rates[rates.size() / 2], rates.size(),
                static_cast<double>(last.bytes) / 1e6, static_cast<unsigned long long>(last.checksum));
    return 0;
}
