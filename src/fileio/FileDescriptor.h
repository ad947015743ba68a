// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace harrowdeck {

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

    // Positioned I/O for scratch files, whole or not at all: interrupted and
    // short transfers go on. Each returns 0 or the errno; EIO when the file
    // ends before size bytes were read.
    [[nodiscard]] int WriteAllAt(std::string_view bytes, std::uint64_t offset) const;
    [[nodiscard]] int ReadAllAt(char* out, std::size_t size, std::uint64_t offset) const;

private:
    int fd_ = -1;
};

} // namespace harrowdeck
