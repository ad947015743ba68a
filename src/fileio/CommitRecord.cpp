// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommitRecord.h"

#include "FileProbe.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <utility>

namespace harrowdeck {

namespace {

constexpr std::string_view kRecordKey = "commit";
constexpr std::string_view kHeader = "harrowdeck commit record 1";
// Longer than any line a record holds: two numbers and two names.
constexpr std::size_t kReadBuffer = 4096;

void AppendNumber(OutputFile& output, std::uint64_t number)
{
    char digits[20];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    output.Append(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

// A name the record may rename from or to: one entry of this directory.
bool IsPlainName(std::string_view name) noexcept
{
    return !name.empty() && name != "." && name != ".." && std::none_of(name.begin(), name.end(), IsSeparator) &&
           name.find('\0') == std::string_view::npos;
}

// The next field of a line, up to a blank or the end.
std::string_view CutField(std::string_view& line) noexcept
{
    const std::size_t end = std::min(line.find(' '), line.size());
    const std::string_view field = line.substr(0, end);
    line.remove_prefix(std::min(end + 1, line.size()));
    return field;
}

bool ParseNumber(std::string_view text, std::uint64_t& number) noexcept
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// Renames one entry's file when it is still there and still the file the
// record names; false when the line is no entry, which ends the record.
bool CompleteEntry(const TargetDirectory& dir, std::string_view line) noexcept
{
    FileIdentity identity;
    if (!ParseNumber(CutField(line), identity.device) || !ParseNumber(CutField(line), identity.inode)) {
        return false;
    }
    const FileName temp(CutField(line));
    const FileName target(CutField(line));
    if (!line.empty() || !temp.Fits() || !target.Fits() || !IsPlainName(temp.View()) || !IsPlainName(target.View()) ||
        !TemporaryNameOwner(temp.View())) {
        return false;
    }
    FileStatus status;
    if (dir.StatusAt(temp, status) != 0) {
        return true; // renamed before the run was killed
    }
    if (dir.IsOurs(status, identity)) {
        // A target that cannot be replaced keeps its old page; the others
        // still come as whole as they can.
        (void)dir.Rename(temp, target);
    }
    return true;
}

// Calls take(line) for each line of fd, without its line end, until take
// returns false. A line longer than the buffer ends the reading, as does
// an unfinished last line.
template <typename Take>
void ForEachLine(const FileDescriptor& fd, Take take) noexcept
{
    char buffer[kReadBuffer];
    std::size_t start = 0;
    std::size_t filled = 0;
    for (;;) {
        const char* end = static_cast<const char*>(std::memchr(buffer + start, '\n', filled - start));
        if (end != nullptr) {
            if (!take(std::string_view(buffer + start, static_cast<std::size_t>(end - buffer) - start))) {
                return;
            }
            start = static_cast<std::size_t>(end - buffer) + 1;
            continue;
        }
        std::memmove(buffer, buffer + start, filled - start);
        filled -= start;
        start = 0;
        if (filled == sizeof buffer) {
            return;
        }
        const long count = fd.Read(buffer + filled, sizeof buffer - filled);
        if (count <= 0) {
            return;
        }
        filled += static_cast<std::size_t>(count);
    }
}

} // namespace

IoResult<CommitRecord> CommitRecord::Create(const TargetDirectory& dir)
{
    std::string shown = dir.ShownPath(kCommitRecordName);
    IoResult<FileDescriptor> fd = dir.CreateTemp(kRecordKey, kCommitRecordName);
    if (!fd) {
        return fd.Error();
    }
    // Owned by the record from here on: removed again if its buffer cannot
    // be had.
    CommitRecord record(dir);
    record.output_.emplace(std::move(*fd), std::move(shown));
    record.output_->Append(kHeader);
    record.output_->Append("\n");
    return record;
}

CommitRecord::CommitRecord(CommitRecord&& other) noexcept
    : dir_(std::exchange(other.dir_, nullptr)), output_(std::move(other.output_)), done_(other.done_)
{
}

CommitRecord::~CommitRecord()
{
    if (!done_ && dir_ != nullptr) {
        dir_->RemoveTemp(kRecordKey);
    }
}

void CommitRecord::Add(const FileIdentity& file, const FileName& temp, const FileName& target)
{
    OutputFile& output = *output_;
    AppendNumber(output, file.device);
    output.Append(" ");
    AppendNumber(output, file.inode);
    output.Append(" ");
    output.Append(temp.View());
    output.Append(" ");
    output.Append(target.View());
    output.Append("\n");
}

std::optional<IoError> CommitRecord::Place()
{
    std::optional<IoError> error = output_->Finish();
    if (!error) {
        error = dir_->CommitTemp(kRecordKey, kCommitRecordName);
    }
    if (error) {
        dir_->RemoveTemp(kRecordKey);
    }
    done_ = true;
    return error;
}

void RemoveCommitRecord(const TargetDirectory& dir) noexcept
{
    dir.Remove(FileName(kCommitRecordName));
}

CommitRecovery CompleteInterruptedCommit(const TargetDirectory& dir) noexcept
{
    FileDescriptor fd;
    if (const int error = dir.OpenOwnToRead(FileName(kCommitRecordName), fd); error != 0) {
        return error == ENOENT ? CommitRecovery::NoRecord : CommitRecovery::Kept;
    }
    bool header = true;
    ForEachLine(fd, [&dir, &header](std::string_view line) {
        if (header) {
            header = false;
            return line == kHeader;
        }
        return CompleteEntry(dir, line);
    });
    RemoveCommitRecord(dir);
    return CommitRecovery::Completed;
}

} // namespace harrowdeck
