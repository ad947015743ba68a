// SPDX-License-Identifier: GPL-3.0-or-later
#include "DirExists.h"

#include "FileProbe.h"

#include <filesystem>
#include <system_error>

namespace harrowdeck {

bool DirExists(std::string& path)
{
    try {
        AppendSeparator(path);
        // Opening the listing is the test: it fails for missing paths, files
        // and directories we may not read, and succeeds for empty ones.
        std::error_code error;
        std::filesystem::directory_iterator listing(PathFromUtf8(path), error);
        return !error;
    } catch (...) {
        // A probe reports, it never fails; an allocation failure is a "no".
        return false;
    }
}

std::string FallbackStartDir(const char* home)
{
    if (home != nullptr && *home != '\0') {
        std::string dir = home;
        if (DirExists(dir)) {
            return dir;
        }
    }
    return std::string(1, kSeparator);
}

void NormaliseStartDir(std::string& dir, const std::string& fallback)
{
    if (!DirExists(dir)) {
        dir = fallback;
    }
}

} // namespace harrowdeck
