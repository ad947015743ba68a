// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileDescriptor.h"
#include "TargetDirectory.h"

#include <string>

namespace harrowdeck::test {

// Whether the tests run on Windows, where the cases of a POSIX-only
// behaviour (the sticky bit, users, FIFOs, resource limits) are skipped.
#if defined(_WIN32)
inline constexpr bool kOnWindows = true;
#else
inline constexpr bool kOnWindows = false;
#endif

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    // The directory's path, ending with a separator.
    [[nodiscard]] const std::string& Path() const { return path_; }
    [[nodiscard]] std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

[[nodiscard]] std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
[[nodiscard]] bool PathExists(const std::string& path);
// True when dir holds a file under a run's temporary name.
[[nodiscard]] bool HasTemporaryFile(const std::string& dir);

// Turns "a\nb\n" into "a\r\nb\r\n", to write expected pages readably.
[[nodiscard]] std::string Crlf(const std::string& lfText);

// Portable stand-ins for the system calls that the tests make.
// A new directory (0755 on POSIX systems): 0, or -1 when it failed.
[[nodiscard]] int MakeDir(const std::string& path);
// A new file, or one emptied, open for writing.
[[nodiscard]] FileDescriptor CreateForWriting(const std::string& path);
// This process's id, as the file layer's temporary names carry it.
[[nodiscard]] long ProcessId();
// The id of another process that runs as long as this one.
[[nodiscard]] long LiveProcessId();
// The id of a process that has ended.
[[nodiscard]] long EndedProcessId();
// Which file path names, as the file layer tells files apart.
[[nodiscard]] FileIdentity IdentityOfFile(const std::string& path);

// The path of a file under tests/data.
[[nodiscard]] std::string DataPath(const std::string& relative);

} // namespace harrowdeck::test
