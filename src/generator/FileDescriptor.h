// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

private:
    int fd_ = -1;
};

} // namespace harrowdeck
