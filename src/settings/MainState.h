// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RunOptions.h"

#include <cstdint>
#include <string>

namespace harrowdeck {

// The user's choices as the main window keeps them from start to exit and
// the parameter file saves them between sessions. A run is made from them
// and the width fields' texts (RunOptions).
struct MainState {
    std::string sourcePath; // full path of the export file
    std::string sourceDir;  // where the last source pick ended, with separator
    std::string sourceName; // file name of the last source pick
    std::string destDir;    // destination directory, with separator once chosen

    BrowseMode browseMode = BrowseMode::Frame;
    SizeMode sizeMode = SizeMode::Percent;
    FolderMode folderMode = FolderMode::Top;
    int leftPercent = kDefaultLeftPercent;
    int leftPixels = kDefaultLeftPixels;

    // Window position in twips. Kept 32-bit so that a window on a second
    // monitor or a large screen survives a save.
    std::int32_t mainTop = 0;
    std::int32_t mainLeft = 0;
};

} // namespace harrowdeck
