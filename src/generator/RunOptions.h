// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace harrowdeck {

// Where a clicked bookmark opens.
enum class BrowseMode {
    Frame,      // in the right frame
    FullWindow, // replaces the whole browser window
    NewWindow,  // in a new browser window
};

// How the left frame's width is given.
enum class SizeMode {
    Percent,
    Pixels,
};

// Which folders get a page of their own.
enum class FolderMode {
    Top, // each top-level folder, with the links of the folders inside it
    All, // every folder, the root included, that holds links of its own
};

// The left frame's widths until the user chooses others.
inline constexpr int kDefaultLeftPercent = 25;
inline constexpr int kDefaultLeftPixels = 140;

// What one generation run is asked to do.
struct RunOptions {
    std::string sourcePath; // the export file
    std::string destDir;    // the existing directory the pages go to
    BrowseMode browseMode = BrowseMode::Frame;
    SizeMode sizeMode = SizeMode::Percent;
    // The two width fields' texts as typed; the run normalises them.
    std::string procText = std::to_string(kDefaultLeftPercent);
    std::string pixelText = std::to_string(kDefaultLeftPixels);
    FolderMode folderMode = FolderMode::Top;
};

// What a run settles once the user has said Yes, and keeps even when it
// stops later: the window shows the widths as the run used them.
struct RunDecisions {
    int leftPercent = kDefaultLeftPercent; // 10..80
    int leftPixels = kDefaultLeftPixels;   // at least 20
    std::string targetAttr;                // of every link on the link pages
};

} // namespace harrowdeck
