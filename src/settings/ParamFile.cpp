// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParamFile.h"

#include "AtomicFile.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace harrowdeck {

namespace {

constexpr const char* kCrLf = "\r\n";

// Far longer than any path; a longer line is damage and is not read on.
constexpr std::size_t kMaxLineLength = std::size_t{64} << 10;
// The file is a few hundred bytes; a longer line is gathered across reads.
constexpr std::size_t kReadBufferSize = std::size_t{4} << 10;

// The file's lines. Every line is written with its terminator, so one that
// the end of the file cuts off may be a shortened path or number: damage,
// like a line over the limit or a failed read.
class ParamLines {
public:
    explicit ParamLines(ByteSource& source) : reader_(source, kMaxLineLength, kReadBufferSize) {}

    // The next whole line; nothing at the end of the input or at damage.
    [[nodiscard]] std::optional<std::string_view> Next()
    {
        std::string_view line;
        status_ = reader_.Next(line);
        if (status_ != LineReader::Status::Line || reader_.LastLineCut()) {
            return std::nullopt;
        }
        return line;
    }

    // True when the lines ran out at the end of the input, not at damage.
    [[nodiscard]] bool Complete() const { return status_ == LineReader::Status::End; }

private:
    LineReader reader_;
    LineReader::Status status_ = LineReader::Status::End;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A number line: the decimal number with blanks around it, nothing else.
std::optional<long long> ParseNumber(std::string_view line, long long min, long long max)
{
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) {
        ++i;
    }
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) {
        negative = line[i] == '-';
        ++i;
    }
    const std::size_t firstDigit = i;
    long long value = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
        value = value * 10 + (line[i] - '0');
        if (value > max + 1) {
            return std::nullopt; // far out of range; stop before it overflows
        }
        ++i;
    }
    if (i == firstDigit) {
        return std::nullopt;
    }
    while (i < line.size() && IsBlank(line[i])) {
        ++i;
    }
    if (i != line.size()) {
        return std::nullopt;
    }
    value = negative ? -value : value;
    if (value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

// Reads a number line into target when it lies within Bound's range.
template <typename Bound>
bool ReadNumber(ParamLines& lines, int& target)
{
    const auto line = lines.Next();
    if (!line) {
        return false;
    }
    const auto value = ParseNumber(*line, std::numeric_limits<Bound>::min(), std::numeric_limits<Bound>::max());
    if (!value) {
        return false;
    }
    target = static_cast<int>(*value);
    return true;
}

// Sizes and modes are 16-bit; the window position is 32-bit so that a window
// on a second monitor or a large screen is not lost.
bool ReadShort(ParamLines& lines, int& target)
{
    return ReadNumber<std::int16_t>(lines, target);
}

bool ReadLong(ParamLines& lines, std::int32_t& target)
{
    int value = 0;
    if (!ReadNumber<std::int32_t>(lines, value)) {
        return false;
    }
    target = value;
    return true;
}

bool ReadString(ParamLines& lines, std::string& target)
{
    const auto line = lines.Next();
    if (!line) {
        return false;
    }
    target = *line;
    return true;
}

bool ReadPaths(ParamLines& lines, MainState& state)
{
    return ReadString(lines, state.destDir) && ReadString(lines, state.sourcePath) &&
           ReadString(lines, state.sourceDir) && ReadString(lines, state.sourceName);
}

bool ReadPos(ParamLines& lines, MainState& state)
{
    return ReadLong(lines, state.mainTop) && ReadLong(lines, state.mainLeft);
}

// The file's numbers for the modes. A number the program never writes is
// still a mode: every browsing mode but 1 and 2 opens a new window, every
// size mode but 1 is pixels.
BrowseMode BrowseModeFromFile(int number)
{
    return number == 1 ? BrowseMode::Frame : number == 2 ? BrowseMode::FullWindow : BrowseMode::NewWindow;
}

SizeMode SizeModeFromFile(int number)
{
    return number == 1 ? SizeMode::Percent : SizeMode::Pixels;
}

int FileNumberOf(BrowseMode mode)
{
    switch (mode) {
    case BrowseMode::Frame:
        return 1;
    case BrowseMode::FullWindow:
        return 2;
    case BrowseMode::NewWindow:
        break;
    }
    return 3;
}

int FileNumberOf(SizeMode mode)
{
    return mode == SizeMode::Percent ? 1 : 2;
}

// Every number but 2 is the classic mode, which a file without the section
// has too.
FolderMode FolderModeFromFile(int number)
{
    return number == 2 ? FolderMode::All : FolderMode::Top;
}

int FileNumberOf(FolderMode mode)
{
    return mode == FolderMode::All ? 2 : 1;
}

bool ReadFolderSection(ParamLines& lines, MainState& state)
{
    int folderMode = 0;
    if (!ReadShort(lines, folderMode)) {
        return false;
    }
    state.folderMode = FolderModeFromFile(folderMode);
    return true;
}

bool ReadDef(ParamLines& lines, MainState& state)
{
    int sizeMode = 0;
    int browseMode = 0;
    if (!ReadShort(lines, state.leftPercent) || !ReadShort(lines, state.leftPixels) || !ReadShort(lines, sizeMode)) {
        return false;
    }
    state.sizeMode = SizeModeFromFile(sizeMode);
    if (!ReadShort(lines, browseMode)) {
        return false;
    }
    state.browseMode = BrowseModeFromFile(browseMode);
    return true;
}

} // namespace

bool ReadParams(ByteSource& source, MainState& state)
{
    ParamLines lines(source);
    while (const auto line = lines.Next()) {
        bool ok = true;
        if (*line == "PATHS") {
            ok = ReadPaths(lines, state);
        } else if (*line == "POS") {
            ok = ReadPos(lines, state);
        } else if (*line == "SIZE") {
            ok = ReadShort(lines, state.leftPercent);
        } else if (*line == "DEF") {
            ok = ReadDef(lines, state);
        } else if (*line == "FOLDERS") {
            ok = ReadFolderSection(lines, state);
        }
        if (!ok) {
            return false;
        }
    }
    return lines.Complete();
}

bool LoadParamFile(const std::string& path, MainState& state)
{
    // FileSource opens only a regular file: a FIFO would wait for a writer,
    // and a device such as /dev/zero never ends.
    IoResult<FileSource> source = FileSource::Open(path);
    return source && ReadParams(*source, state);
}

std::string FormatParamNumber(long long value)
{
    const std::string digits = std::to_string(value < 0 ? -value : value);
    return (value < 0 ? "-" : " ") + digits + " ";
}

std::string FormatParams(const MainState& state)
{
    std::string text;
    const auto line = [&text](const std::string& value) { text += value + kCrLf; };
    line("PATHS");
    line(state.destDir);
    line(state.sourcePath);
    line(state.sourceDir);
    line(state.sourceName);
    line("POS");
    line(FormatParamNumber(state.mainTop));
    line(FormatParamNumber(state.mainLeft));
    line("DEF");
    line(FormatParamNumber(state.leftPercent));
    line(FormatParamNumber(state.leftPixels));
    line(FormatParamNumber(FileNumberOf(state.sizeMode)));
    line(FormatParamNumber(FileNumberOf(state.browseMode)));
    line("FOLDERS");
    line(FormatParamNumber(FileNumberOf(state.folderMode)));
    return text;
}

std::optional<IoError> SaveParamFile(const std::string& path, const MainState& state)
{
    IoResult<AtomicFile> file = AtomicFile::Create(path);
    if (!file) {
        return file.Error();
    }
    file->Output().Append(FormatParams(state));
    return file->Commit();
}

} // namespace harrowdeck
