// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace harrowdeck {

// A failed file operation: which file, and the system's reason.
struct IoError {
    std::string path;
    std::string reason;
};

// A text file written in CR LF lines under a temporary name beside the
// target and renamed over it only when complete, so that a failed write
// never leaves a half-written file nor clobbers the previous one.
class OutputFile {
public:
    explicit OutputFile(std::string targetPath);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    // Removes the temporary file when the output was not committed.
    ~OutputFile();

    [[nodiscard]] bool Open();
    // Buffers one line and its CR LF; a failure shows at Commit.
    void WriteLine(std::string_view text);
    // Writes what is buffered, closes the file and renames it over the target.
    [[nodiscard]] bool Commit();

    // What went wrong, named by the target path.
    [[nodiscard]] IoError Error() const { return {target_, reason_}; }

private:
    [[nodiscard]] bool Flush();
    void Fail(int errorNumber);
    void Abandon();

    std::string target_;
    std::string temp_;
    std::string buffer_;
    std::string reason_;
    int fd_ = -1;
    bool failed_ = false;
};

} // namespace harrowdeck
