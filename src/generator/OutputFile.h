// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace harrowdeck {

// A failed file operation: which file, the errno, and the system's text.
struct IoError {
    std::string path;
    int errorNumber = 0;
    std::string reason;

    [[nodiscard]] static IoError FromErrno(std::string path, int errorNumber);
};

// Owns one open file descriptor.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Reset(); }

    [[nodiscard]] int Get() const { return fd_; }
    [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }
    [[nodiscard]] int Release();
    void Reset();
    // Closes the descriptor and returns the errno of a failed close, or 0.
    [[nodiscard]] int Close();

private:
    int fd_ = -1;
};

// Buffered writing to an open file. A failure is remembered and reported
// once, at Finish, named by the path that the user knows the file by.
class OutputFile {
public:
    OutputFile(FileDescriptor fd, std::string shownPath);
    OutputFile(OutputFile&&) noexcept = default;
    OutputFile& operator=(OutputFile&&) noexcept = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Inline, because the pages are written in many small pieces: only a
    // full buffer costs a call.
    void Append(std::string_view bytes)
    {
        if (bytes.size() <= kBufferSize - used_) {
            std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
            used_ += bytes.size();
            return;
        }
        AppendInPieces(bytes);
    }
    // One line and its CR LF.
    void WriteLine(std::string_view text)
    {
        Append(text);
        Append("\r\n");
    }
    // Writes what is buffered and closes the file.
    [[nodiscard]] std::optional<IoError> Finish();
    // Writes what is buffered and keeps the file open.
    [[nodiscard]] std::optional<IoError> Flush();

    [[nodiscard]] const std::string& ShownPath() const { return shownPath_; }

private:
    // Large enough that a typical page goes out in one write.
    static constexpr std::size_t kBufferSize = std::size_t{64} << 10;

    void AppendInPieces(std::string_view bytes);
    void Fail(int errorNumber);
    [[nodiscard]] std::optional<IoError> Failure() const;

    FileDescriptor fd_;
    std::string shownPath_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    int errorNumber_ = 0;
};

// The name under which a file is written before it is renamed over its
// target: hidden, in the target's directory so that the rename stays within
// one file system, and recognisable by the process that wrote it, so that a
// later run can tell a leftover of a killed run from one still in use.
[[nodiscard]] std::string TemporaryName(long pid, std::string_view key);
// The pid in a temporary name, or nothing when the name is not one of ours.
[[nodiscard]] std::optional<long> TemporaryNameOwner(std::string_view name);

// One whole file written under a temporary name and renamed over its target
// only when complete, so that a failed write never leaves a half-written file
// nor clobbers the previous one. With keepMode, a file that already exists
// keeps its permission bits.
class AtomicFile {
public:
    [[nodiscard]] static std::optional<AtomicFile> Create(const std::string& targetPath, IoError& error,
                                                          bool keepMode = false);
    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&&) = delete;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    // Removes the temporary file when the output was not committed.
    ~AtomicFile();

    [[nodiscard]] OutputFile& Output() { return output_; }
    // Writes out, closes and renames over the target.
    [[nodiscard]] std::optional<IoError> Commit();

private:
    AtomicFile(OutputFile output, std::string tempPath, std::string targetPath);

    OutputFile output_;
    std::string tempPath_;
    std::string targetPath_;
};

} // namespace harrowdeck
