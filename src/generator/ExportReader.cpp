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
    return LinkCut{tag.substr(0, quote + 1), tag.substr(tagEnd)};
}

std::optional<std::string> ConvertLinkLine(std::string_view line, std::string_view targetAttr)
{
    const std::optional<LinkCut> cut = CutLinkLine(line);
    if (!cut) {
        return std::nullopt;
    }
    std::string converted;
    converted.reserve(cut->head.size() + targetAttr.size() + cut->tail.size() + 4);
    converted.append(cut->head).append(targetAttr).append(cut->tail).append("<BR>");
    return converted;
}

ReadResult ReadFolders(LineReader& input, PageSet& pages, const ReadSettings& settings)
{
    const std::unique_ptr<FolderReader> reader = MakeReader(pages, settings);
    std::uint64_t nextReport = kProgressStep;
    std::string_view line;
    for (;;) {
        const LineReader::Status status = input.Next(line);
        if (status == LineReader::Status::End) {
            (void)reader->Finish(input.BytesConsumed());
            break;
        }
        if (status == LineReader::Status::Error) {
            reader->Result().readError = input.Error();
            break;
        }
        if (status == LineReader::Status::TooLong) {
            reader->SkipUnreadable();
        } else if (status == LineReader::Status::Line && !reader->Take(SkipIndent(line))) {
            break;
        }
        if (settings.progress && input.BytesConsumed() >= nextReport) {
            nextReport = input.BytesConsumed() + kProgressStep;
            if (!settings.progress(input.BytesConsumed())) {
                reader->Result().cancelled = true;
                break;
            }
        }
    }
    return std::move(reader->Result());
}

} // namespace harrowdeck
