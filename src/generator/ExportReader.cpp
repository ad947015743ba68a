// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExportReader.h"

#include "FolderReader.h"
#include "LineClass.h"

namespace harrowdeck {

namespace {

constexpr std::string_view kHeader = "<!DOCTYPE FIRSTFLOOR";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kEntryMark = "<DT>";
// The export puts "<DT>" before every heading and link tag.
constexpr std::size_t kLinePrefix = 4;
// The address's opening quote is the 9th character of "<A HREF=""; the
// closing quote is searched from the 10th on.
constexpr std::size_t kAddressStart = 9;
constexpr std::string_view kLinkEnd = "</A>";
// Often enough that a slow destination (many small pages) still shows progress.
constexpr std::uint64_t kProgressStep = std::uint64_t{64} << 10;

std::string_view DropPrefix(std::string_view line)
{
    return line.size() > kLinePrefix ? line.substr(kLinePrefix) : std::string_view();
}

std::unique_ptr<FolderReader> MakeReader(PageSet& pages, const ReadSettings& settings)
{
    if (settings.mode == FolderMode::All) {
        return MakeNestedFolderReader(pages, settings);
    }
    return MakeTopFolderReader(pages, settings);
}

// What the reading made, once the reader has stopped; a reader stops for a
// cancel the way it stops for a failure.
ReadResult Ended(const FolderReader& reader, ReadEnd end, std::optional<IoError> error)
{
    if (error && error->kind == IoError::Kind::Cancelled) {
        end = ReadEnd::Cancelled;
        error.reset();
    }
    return ReadResult{reader.Counts(), end, std::move(error)};
}

// A link whose text is nothing or blanks would show as an empty line that
// cannot be clicked; its address, from the head's first quote to its
// closing one, becomes its text.
void GiveEmptyLinkItsAddress(LinkCut& cut)
{
    std::size_t close = 1; // past the tag's ">"
    while (close < cut.tail.size() && (cut.tail[close] == ' ' || cut.tail[close] == '\t')) {
        ++close;
    }
    const std::string_view end = cut.tail.substr(close, kLinkEnd.size());
    if (end.size() != kLinkEnd.size() || end[0] != '<' || end[1] != '/' || (end[2] != 'A' && end[2] != 'a') ||
        end[3] != '>') {
        return;
    }
    const auto open = cut.head.find('"');
    if (open + 2 >= cut.head.size()) {
        return; // no address between the quotes
    }
    cut.text = cut.head.substr(open + 1, cut.head.size() - open - 2);
    cut.rest = cut.tail.substr(close);
    cut.tail = cut.tail.substr(0, 1);
}

} // namespace

bool IsExportHeader(std::string_view line)
{
    return line.substr(0, kHeader.size()) == kHeader;
}

std::string_view SkipByteOrderMark(std::string_view firstLine)
{
    if (firstLine.starts_with(kByteOrderMark)) {
        firstLine.remove_prefix(kByteOrderMark.size());
    }
    return firstLine;
}

std::string_view EntryStart(std::string_view line)
{
    if (line.starts_with(kEntryMark)) {
        return line;
    }
    const auto entry = line.find(kEntryMark);
    return entry == std::string_view::npos ? line : line.substr(entry);
}

std::optional<std::string> ExtractFolderName(std::string_view line)
{
    std::string_view rest = DropPrefix(line);
    if (const auto open = rest.find('>'); open != std::string_view::npos) {
        rest.remove_prefix(open + 1);
    }
    const auto close = rest.find('<');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(rest.substr(0, close));
}

std::optional<LinkCut> CutLinkLine(std::string_view line)
{
    const std::string_view tag = DropPrefix(line);
    const auto quote = tag.find('"', kAddressStart);
    if (quote == std::string_view::npos) {
        return std::nullopt;
    }
    const auto tagEnd = tag.find('>', quote);
    if (tagEnd == std::string_view::npos) {
        return std::nullopt;
    }
    LinkCut cut{tag.substr(0, quote + 1), tag.substr(tagEnd), {}, {}};
    GiveEmptyLinkItsAddress(cut);
    return cut;
}

ReadResult ReadFolders(LineReader& input, PageSet& pages, const ReadSettings& settings)
{
    const std::unique_ptr<FolderReader> reader = MakeReader(pages, settings);
    const auto stop = [&reader](ReadEnd end, std::optional<IoError> error) {
        return Ended(*reader, end, std::move(error));
    };
    std::uint64_t nextReport = kProgressStep;
    std::string_view line;
    for (;;) {
        const LineReader::Status status = input.Next(line);
        if (status == LineReader::Status::End) {
            std::optional<IoError> error = reader->Finish();
            return stop(error ? ReadEnd::WriteFailed : ReadEnd::Complete, std::move(error));
        }
        if (status == LineReader::Status::Error) {
            return stop(ReadEnd::ReadFailed, input.Error());
        }
        if (status == LineReader::Status::TooLong) {
            reader->SkipTooLong();
        } else if (status == LineReader::Status::Line) {
            if (std::optional<IoError> error = reader->Take(SkipIndent(line))) {
                return stop(ReadEnd::WriteFailed, std::move(error));
            }
        }
        if (settings.progress && input.BytesConsumed() >= nextReport) {
            nextReport = input.BytesConsumed() + kProgressStep;
            if (!settings.progress(UserInterface::Stage::Reading, input.BytesConsumed(), settings.totalBytes)) {
                return stop(ReadEnd::Cancelled, std::nullopt);
            }
        }
    }
}

} // namespace harrowdeck
