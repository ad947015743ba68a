// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace harrowdeck::windows {

// A program that has a file open.
struct FileHolder {
    std::string name; // as Windows names the program to its user, in UTF-8
    unsigned long processId = 0;
};

// The programs that have the file at win32Path (ToWin32Path's form) open,
// as Windows' Restart Manager tells. Empty when it cannot tell: it is
// missing or fails, or the holder is hidden from this user.
[[nodiscard]] std::vector<FileHolder> ProgramsHolding(const std::wstring& win32Path);

// What a message says about the holders after the system's reason:
// "Notepad (process 4711) has it open", "A (process 1) and B (process 2)
// have it open", or "another program has it open" when none is known.
[[nodiscard]] std::string DescribeHolders(const std::vector<FileHolder>& holders);

} // namespace harrowdeck::windows
