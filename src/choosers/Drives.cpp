// SPDX-License-Identifier: GPL-3.0-or-later
#include "Drives.h"

#include "ClassicLook.h"

#include <QDir>
#include <QStorageInfo>

#include <algorithm>

namespace harrowdeck {

std::vector<std::string> ListDrives()
{
    std::vector<std::string> volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const std::string type = volume.fileSystemType().toStdString();
        const std::string mountPoint = FromQt(volume.rootPath());
        if (volume.isValid() && IsUserVolume(type, mountPoint)) {
            volumes.push_back(mountPoint);
        }
    }
    std::sort(volumes.begin(), volumes.end());
    return MakeDriveList(FromQt(QDir::homePath()), volumes);
}

} // namespace harrowdeck
