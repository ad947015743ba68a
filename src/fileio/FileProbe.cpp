// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileProbe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace harrowdeck {

bool FileExists(const std::string& path)
{
    std::string probe = path;
    if (!probe.empty() && probe.back() == kSeparator) {
        probe.pop_back();
    }
    if (probe.empty()) {
        return false;
    }
    // Non-blocking, so that a FIFO without a writer cannot hang the probe.
    const int fd = ::open(probe.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return regular;
}

bool IsDirectory(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void AppendSeparator(std::string& path)
{
    if (path.empty() || path.back() != kSeparator) {
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

} // namespace harrowdeck
