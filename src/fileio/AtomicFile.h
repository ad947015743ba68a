// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IoError.h"
#include "OutputFile.h"
#include "TargetDirectory.h"

#include <optional>
#include <string>

namespace harrowdeck {

// One whole file written the safe way of TargetDirectory: a failed write
// never leaves a half-written file nor clobbers the previous one. Otherwise
// the file ends up as if it had been opened for writing and rewritten:
// - a symlink at the path, the writer's own or root's, is followed, so the
//   link stays and the file it names is replaced, with the temporary file
//   beside that file; another user's link is refused;
// - a file that exists but could not be opened for writing (write-protected,
//   owned by someone else) is left as it is, and Create fails;
// - a file that exists keeps its permission bits, and its owner and group
//   as far as the system lets the writer keep them;
// - a character device (/dev/null) is written in place, never replaced;
//   anything else that is no regular file (a FIFO, a socket, a directory)
//   is left alone, and Create fails. Nothing waits for a reader.
// What a killed writer left in the directory under this class's temporary
// names is removed first.
class AtomicFile {
public:
    [[nodiscard]] static IoResult<AtomicFile> Create(const std::string& targetPath);
    AtomicFile(AtomicFile&&) noexcept = default;
    AtomicFile& operator=(AtomicFile&&) = delete;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    // Removes the temporary file when the output was not committed.
    ~AtomicFile();

    [[nodiscard]] OutputFile& Output() { return output_; }
    // Writes out, closes and renames over the target.
    [[nodiscard]] std::optional<IoError> Commit();

private:
    AtomicFile(TargetDirectory dir, std::string key, std::string name, OutputFile output);

    // Written straight to a device, without a temporary file.
    [[nodiscard]] bool InPlace() const { return key_.empty(); }

    TargetDirectory dir_;
    std::string key_;  // of the temporary file; empty when written in place
    std::string name_; // the target's name in dir_
    OutputFile output_;
    bool committed_ = false;
};

} // namespace harrowdeck
