// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParamFile.h"

#include "FileProbe.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <random>

namespace harrowdeck {

namespace {

namespace fs = std::filesystem;

constexpr const char* kCrLf = "\r\n";

// Far longer than any path; a longer line is damage and is not read on.
constexpr std::size_t kMaxLineLength = std::size_t{64} << 10;

// One line without its terminator. CR LF is what the program writes; a lone
// LF or CR (a file edited by hand elsewhere) ends a line as well. Nothing at
// the end of the input, and nothing for a line that the end of the file cuts
// off: every line is written with its terminator, so a value without one may
// be a shortened path or number.
std::optional<std::string> NextLine(std::istream& in)
{
    std::string line;
    int c = in.get();
    while (c != std::char_traits<char>::eof() && c != '\n' && c != '\r') {
        if (line.size() == kMaxLineLength) {
            return std::nullopt;
        }
        line.push_back(static_cast<char>(c));
        c = in.get();
    }
    if (c == std::char_traits<char>::eof()) {
        return std::nullopt;
    }
    if (c == '\r' && in.peek() == '\n') {
        in.get();
    }
    return line;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A number line: the decimal number with blanks around it, nothing else.
std::optional<long long> ParseNumber(const std::string& line, long long min, long long max)
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
bool ReadNumber(std::istream& in, int& target)
{
    const auto line = NextLine(in);
    if (!line) {
        return false;
    }
    const auto value =
        ParseNumber(*line, std::numeric_limits<Bound>::min(), std::numeric_limits<Bound>::max());
    if (!value) {
        return false;
    }
    target = static_cast<int>(*value);
    return true;
}

// Sizes and modes are 16-bit; the window position is 32-bit so that a window
// on a second monitor or a large screen is not lost.
bool ReadShort(std::istream& in, int& target)
{
    return ReadNumber<std::int16_t>(in, target);
}

bool ReadLong(std::istream& in, std::int32_t& target)
{
    int value = 0;
    if (!ReadNumber<std::int32_t>(in, value)) {
        return false;
    }
    target = value;
    return true;
}

bool ReadString(std::istream& in, std::string& target)
{
    auto line = NextLine(in);
    if (!line) {
        return false;
    }
    target = std::move(*line);
    return true;
}

bool ReadPaths(std::istream& in, MainState& state)
{
    return ReadString(in, state.destDir) && ReadString(in, state.sourcePath)
           && ReadString(in, state.sourceDir) && ReadString(in, state.sourceName);
}

bool ReadPos(std::istream& in, MainState& state)
{
    return ReadLong(in, state.mainTop) && ReadLong(in, state.mainLeft);
}

bool ReadDef(std::istream& in, MainState& state)
{
    return ReadShort(in, state.leftPercent) && ReadShort(in, state.leftPixels)
           && ReadShort(in, state.sizeMode) && ReadShort(in, state.browseMode);
}

std::string ReasonOf(int error)
{
    return std::strerror(error);
}

// A name beside the target that no one else uses; never "Prog.tmp", which
// the shutdown deletes.
std::string TemporaryNameFor(const std::string& path)
{
    static std::mt19937_64 generator{std::random_device{}()};
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%08llx.new",
                  static_cast<unsigned long long>(generator() & 0xffffffffULL));
    return path + suffix;
}

// Creates the temporary file exclusively, so that an existing file of that
// name is never overwritten.
std::FILE* CreateTemporary(const std::string& path, std::string& tempPath, int& error)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = TemporaryNameFor(path);
        std::FILE* file = std::fopen(tempPath.c_str(), "wbx");
        if (file != nullptr) {
            return file;
        }
        error = errno;
        if (error != EEXIST) {
            return nullptr;
        }
    }
    return nullptr;
}

SaveResult Failure(const std::string& what, const std::string& path, const std::string& reason)
{
    return {false, "Could not " + what + " " + path + ": " + reason};
}

} // namespace

bool ReadParams(std::istream& in, MainState& state)
{
    while (const auto line = NextLine(in)) {
        bool ok = true;
        if (*line == "PATHS") {
            ok = ReadPaths(in, state);
        } else if (*line == "POS") {
            ok = ReadPos(in, state);
        } else if (*line == "SIZE") {
            ok = ReadShort(in, state.leftPercent);
        } else if (*line == "DEF") {
            ok = ReadDef(in, state);
        }
        if (!ok) {
            return false;
        }
    }
    return !in.bad();
}

bool LoadParamFile(const std::string& path, MainState& state)
{
    // Only a regular file: opening a FIFO would wait for a writer, and a
    // device such as /dev/zero never ends.
    if (!FileExists(path)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    return ReadParams(in, state);
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
    line(FormatParamNumber(state.sizeMode));
    line(FormatParamNumber(state.browseMode));
    return text;
}

SaveResult SaveParamFile(const std::string& path, const MainState& state)
{
    const std::string text = FormatParams(state);

    std::string tempPath;
    int error = 0;
    std::FILE* file = CreateTemporary(path, tempPath, error);
    if (file == nullptr) {
        return Failure("create a temporary file for", path, ReasonOf(error));
    }

    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    error = errno;
    const bool flushed = written && std::fflush(file) == 0;
    if (written && !flushed) {
        error = errno;
    }
    const bool closed = std::fclose(file) == 0;
    if (flushed && !closed) {
        error = errno;
    }
    if (!written || !flushed || !closed) {
        std::remove(tempPath.c_str());
        return Failure("write", tempPath, ReasonOf(error));
    }

    // Keep the old file's permissions; a failure here is no reason to lose
    // the save.
    std::error_code ec;
    const fs::file_status old = fs::status(path, ec);
    if (fs::is_regular_file(old)) {
        fs::permissions(tempPath, old.permissions(), ec);
    }
    fs::rename(tempPath, path, ec);
    if (ec) {
        std::remove(tempPath.c_str());
        return Failure("replace", path, ec.message());
    }
    return {true, {}};
}

} // namespace harrowdeck
