// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace harrowdeck::test {

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

// The path of a file under tests/data.
[[nodiscard]] std::string DataPath(const std::string& relative);

} // namespace harrowdeck::test
