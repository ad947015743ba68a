// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

namespace harrowdeck {

// The separator between a path's parts: '/', and on Windows '\', where
// '/' is taken too.
#if defined(_WIN32)
inline constexpr char kSeparator = '\\';
[[nodiscard]] constexpr bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}
#else
inline constexpr char kSeparator = '/';
[[nodiscard]] constexpr bool IsSeparator(char c)
{
    return c == '/';
}
#endif

// True when path names a regular file that can be opened for reading. A
// trailing separator is ignored. Never reports an error; a directory, a
// device or a FIFO is not a file to read an export from.
[[nodiscard]] bool FileExists(const std::string& path);

// True when the folder dir holds a regular file `name` that can be read.
// In a folder with the sticky bit, a symlink at name is followed only when
// it is the reader's own or the folder owner's, as the kernel's
// protected_symlinks rule would (here for every sticky folder, not only a
// world-writable one): another user's link would otherwise tell a reader
// such as root whether a file exists where that user cannot look.
[[nodiscard]] bool FileExistsIn(const std::string& dir, const std::string& name);

[[nodiscard]] bool IsDirectory(const std::string& path);

// Appends kSeparator to path when its last character is not a separator,
// so that a name can follow; an empty path becomes the root.
void AppendSeparator(std::string& path);

// dir + name, with a separator between them when dir lacks one. An empty
// dir stays empty, so the name is taken relative to the current directory.
[[nodiscard]] std::string JoinPath(const std::string& dir, const std::string& name);

// The path's directory with its trailing separator, or "" for a bare name.
[[nodiscard]] std::string DirectoryOf(const std::string& path);

// The path as the platform's users write it, to show it: on Windows with
// '\' between its parts whichever separator it was given with; elsewhere
// as it is.
[[nodiscard]] std::string NativeSeparators(std::string path);

// The path for the standard library's file system calls. Paths are UTF-8
// inside on every platform; a narrow path given to std::filesystem is read
// in the ANSI code page on Windows, which cannot hold every name and would
// turn "Fåglar" into another folder. Throws when path is not UTF-8 there.
[[nodiscard]] std::filesystem::path PathFromUtf8(const std::string& path);

} // namespace harrowdeck
