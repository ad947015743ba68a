// SPDX-License-Identifier: GPL-3.0-or-later
#include "DriveList.h"

#include "FileProbe.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace harrowdeck {

namespace {

constexpr std::array<std::string_view, 24> kPseudoFileSystems = {
    "autofs",   "binfmt_misc", "bpf",        "cgroup",     "cgroup2",  "configfs", "debugfs", "devpts",
    "devtmpfs", "efivarfs",    "fusectl",    "hugetlbfs",  "mqueue",   "nsfs",     "overlay", "proc",
    "pstore",   "ramfs",       "rpc_pipefs", "securityfs", "squashfs", "sysfs",    "tmpfs",   "tracefs",
};

// Mount areas that belong to the system, not to the user. /run/media holds
// the user's removable volumes and stays.
constexpr std::array<std::string_view, 5> kSystemAreas = {"/proc", "/sys", "/dev", "/run", "/snap"};

bool IsUnder(std::string_view path, std::string_view area)
{
    if (area == "/") {
        return !path.empty() && path.front() == kSeparator;
    }
    return path == area ||
           (path.size() > area.size() && path.substr(0, area.size()) == area && path[area.size()] == kSeparator);
}

std::string WithoutTrailingSeparator(std::string path)
{
    while (path.size() > 1 && path.back() == kSeparator) {
        path.pop_back();
    }
    return path;
}

} // namespace

bool IsUserVolume(const std::string& fsType, const std::string& mountPoint)
{
    if (mountPoint.empty() || mountPoint.front() != kSeparator) {
        return false;
    }
    if (std::find(kPseudoFileSystems.begin(), kPseudoFileSystems.end(), fsType) != kPseudoFileSystems.end()) {
        return false;
    }
    if (IsUnder(mountPoint, "/run/media")) {
        return true;
    }
    return std::none_of(kSystemAreas.begin(), kSystemAreas.end(),
                        [&](std::string_view area) { return IsUnder(mountPoint, area); });
}

std::vector<std::string> MakeDriveList(const std::string& home, const std::vector<std::string>& volumes)
{
    std::vector<std::string> drives{"/"};
    auto add = [&](const std::string& raw) {
        const std::string drive = WithoutTrailingSeparator(raw);
        if (!drive.empty() && std::find(drives.begin(), drives.end(), drive) == drives.end()) {
            drives.push_back(drive);
        }
    };
    add(home);
    for (const std::string& volume : volumes) {
        add(volume);
    }
    return drives;
}

std::size_t CurrentDriveIndex(const std::vector<std::string>& drives, const std::string& cwd)
{
    std::size_t best = 0;
    std::size_t bestLength = 0;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        if (IsUnder(cwd, drives[i]) && drives[i].size() > bestLength) {
            best = i;
            bestLength = drives[i].size();
        }
    }
    return best;
}

} // namespace harrowdeck
