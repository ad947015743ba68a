// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NativeFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace harrowdeck {

// Owns one open file. Every call that fails gives the reason as an errno
// value (<cerrno>), on every platform, so that the file layer's logic tells
// failures apart one way; Windows' own errors are translated where they
// arise.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(NativeFile fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Reset(); }

    [[nodiscard]] NativeFile Get() const { return fd_; }
    [[nodiscard]] bool IsOpen() const { return fd_ != kNoFile; }
    [[nodiscard]] NativeFile Release();
    void Reset();
    // Closes the file and returns the errno of a failed close, or 0.
    [[nodiscard]] int Close();

    // Writes all of bytes at the file's position; 0 or the errno.
    [[nodiscard]] int WriteAll(std::string_view bytes) const;
    // Reads up to size bytes at the file's position: the count, 0 at the
    // end, or -1 with errno set.
    [[nodiscard]] long Read(char* out, std::size_t size) const;

    // Positioned I/O for scratch files, whole or not at all: interrupted and
    // short transfers go on. Each returns 0 or the errno; EIO when the file
    // ends before size bytes were read.
    [[nodiscard]] int WriteAllAt(std::string_view bytes, std::uint64_t offset) const;
    [[nodiscard]] int ReadAllAt(char* out, std::size_t size, std::uint64_t offset) const;
    // One read of up to size bytes at offset (an interrupted one goes on);
    // count says how many came, 0 at the file's end. 0 or the errno.
    [[nodiscard]] int ReadSomeAt(char* out, std::size_t size, std::uint64_t offset, std::size_t& count) const;

private:
    NativeFile fd_ = kNoFile;
};

} // namespace harrowdeck
