// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExportReader.h"

#include "FileProbe.h"
#include "OutputPages.h"

namespace harrowdeck {

namespace {

constexpr std::string_view kHeader = "<!DOCTYPE FIRSTFLOOR";
constexpr std::string_view kFolderMark = "</H3>";
constexpr std::string_view kFolderEnd = "</DL><p>";
constexpr std::string_view kLinkMark = "A HREF=";
// The export puts "<DT>" before every heading and link tag.
constexpr std::size_t kLinePrefix = 4;
// The address's opening quote is the 9th character of "<A HREF=""; the
// closing quote is searched from the 10th on.
constexpr std::size_t kAddressStart = 9;
// Often enough that a slow destination (many small pages) still shows progress.
constexpr std::uint64_t kProgressStep = std::uint64_t{64} << 10;

bool Contains(std::string_view line, std::string_view mark)
{
    return line.find(mark) != std::string_view::npos;
}

// Exports are often indented; the fixed cuts count from the first
// non-blank character so that indentation does not shift them.
std::string_view SkipIndent(std::string_view line)
{
    const auto first = line.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string_view() : line.substr(first);
}

std::string_view DropPrefix(std::string_view line)
{
    return line.size() > kLinePrefix ? line.substr(kLinePrefix) : std::string_view();
}

// The folder being read and the state of the reading.
class FolderReader {
public:
    FolderReader(const std::string& destDir, const std::string& targetAttr, const std::string& pageBodyTag)
        : destDir_(destDir), targetAttr_(targetAttr), pageBodyTag_(pageBodyTag)
    {
    }

    // Handles one line after the export's first; false stops the reading.
    [[nodiscard]] bool Take(std::string_view rawLine)
    {
        const std::string_view line = SkipIndent(rawLine);
        return inFolder_ ? TakeInFolder(line) : TakeBetweenFolders(line);
    }

    void SkipUnreadable() { ++result_.skippedLines; }

    // The input ended: a folder still open is finished as if it had ended.
    void Finish()
    {
        if (inFolder_) {
            (void)EndFolder();
        }
    }

    ReadResult& Result() { return result_; }

private:
    bool TakeBetweenFolders(std::string_view line)
    {
        if (!Contains(line, kFolderMark)) {
            return true;
        }
        std::optional<std::string> name = ExtractFolderName(line);
        if (!name) {
            SkipUnreadable();
            return true;
        }
        result_.folderNames.push_back(std::move(*name));
        inFolder_ = true;
        depth_ = 0;
        linkLines_.clear();
        return true;
    }

    bool TakeInFolder(std::string_view line)
    {
        if (line == kFolderEnd) {
            if (depth_ > 0) {
                --depth_;
                return true;
            }
            return EndFolder();
        }
        if (Contains(line, kLinkMark)) {
            if (std::optional<std::string> link = ConvertLinkLine(line, targetAttr_)) {
                linkLines_.push_back(std::move(*link));
            } else {
                SkipUnreadable();
            }
            return true;
        }
        if (Contains(line, kFolderMark)) {
            // An inner folder gets no page of its own; its links join the
            // outer folder until its own end line.
            ++depth_;
        }
        return true;
    }

    bool EndFolder()
    {
        inFolder_ = false;
        if (linkLines_.empty()) {
            // Dropped: the next folder takes its number, so pages stay 1..n.
            result_.folderNames.pop_back();
            return true;
        }
        const std::string path = JoinPath(destDir_, LinkPageName(result_.folderNames.size()));
        if (auto error = WriteLinkPage(path, pageBodyTag_, result_.folderNames.back(), linkLines_)) {
            result_.folderNames.pop_back();
            result_.writeError = std::move(error);
            return false;
        }
        result_.linksWritten += linkLines_.size();
        linkLines_.clear();
        return true;
    }

    const std::string& destDir_;
    const std::string& targetAttr_;
    const std::string& pageBodyTag_;
    ReadResult result_;
    std::vector<std::string> linkLines_;
    bool inFolder_ = false;
    std::size_t depth_ = 0;
};

} // namespace

bool IsExportHeader(std::string_view line)
{
    return line.substr(0, kHeader.size()) == kHeader;
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

std::optional<std::string> ConvertLinkLine(std::string_view line, std::string_view targetAttr)
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
    std::string converted;
    converted.reserve(tag.size() + targetAttr.size() + 4);
    converted.append(tag.substr(0, quote + 1));
    converted.append(targetAttr);
    converted.append(tag.substr(tagEnd));
    converted.append("<BR>");
    return converted;
}

ReadResult ReadFolders(LineReader& input, const std::string& destDir, const std::string& targetAttr,
                       const std::string& pageBodyTag, const ReadProgress& progress)
{
    FolderReader reader(destDir, targetAttr, pageBodyTag);
    std::uint64_t nextReport = kProgressStep;
    std::string_view line;
    for (;;) {
        const LineReader::Status status = input.Next(line);
        if (status == LineReader::Status::End) {
            reader.Finish();
            break;
        }
        if (status == LineReader::Status::Error) {
            reader.Result().readError = input.ErrorNumber();
            break;
        }
        if (status == LineReader::Status::TooLong) {
            reader.SkipUnreadable();
        } else if (status == LineReader::Status::Line && !reader.Take(line)) {
            break;
        }
        if (progress && input.BytesConsumed() >= nextReport) {
            nextReport = input.BytesConsumed() + kProgressStep;
            if (!progress(input.BytesConsumed())) {
                reader.Result().cancelled = true;
                break;
            }
        }
    }
    return std::move(reader.Result());
}

} // namespace harrowdeck
