// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileDescriptor.h"
#include "IoError.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace harrowdeck {

// Where a reader gets its bytes: an open file, or memory in tests and
// fuzzing.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to size bytes. Returns the count, 0 at the end, or -1 with
    // errno set on a failure.
    [[nodiscard]] virtual long Read(char* buffer, std::size_t size) = 0;
    // What a read failure is reported against; nothing for memory.
    [[nodiscard]] virtual const std::string& Name() const
    {
        static const std::string kNone;
        return kNone;
    }
};

// A regular file opened for reading; closed by the destructor.
class FileSource final : public ByteSource {
public:
    [[nodiscard]] static IoResult<FileSource> Open(const std::string& path);

    [[nodiscard]] long Read(char* buffer, std::size_t size) override;
    [[nodiscard]] const std::string& Name() const override { return path_; }
    // The file's size when it was opened, for progress reports.
    [[nodiscard]] std::uint64_t Size() const { return size_; }
    // True when the file's size or modification time is no longer what it
    // was at the open: pages made from it could mix two versions.
    [[nodiscard]] bool Changed() const;

private:
    FileSource(FileDescriptor fd, std::string path, std::uint64_t size, std::int64_t modifiedNs)
        : fd_(std::move(fd)), path_(std::move(path)), size_(size), modifiedNs_(modifiedNs)
    {
    }
    FileDescriptor fd_;
    std::string path_;
    std::uint64_t size_ = 0;
    std::int64_t modifiedNs_ = 0;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    [[nodiscard]] long Read(char* buffer, std::size_t size) override;

private:
    std::string_view bytes_;
};

} // namespace harrowdeck
