// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileProbe.h"

#include <algorithm>

namespace harrowdeck {

void AppendSeparator(std::string& path)
{
    if (path.empty() || !IsSeparator(path.back())) {
        path.push_back(kSeparator);
    }
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty()) {
        return name;
    }
    std::string path = dir;
    AppendSeparator(path);
    return path + name;
}

std::string DirectoryOf(const std::string& path)
{
    const auto last = std::find_if(path.rbegin(), path.rend(), IsSeparator);
    return last == path.rend() ? std::string() : std::string(path.begin(), last.base());
}

std::string NativeSeparators(std::string path)
{
    if constexpr (kSeparator != '/') {
        std::replace(path.begin(), path.end(), '/', kSeparator);
    }
    return path;
}

std::filesystem::path PathFromUtf8(const std::string& path)
{
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

} // namespace harrowdeck
