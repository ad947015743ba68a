// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace harrowdeck {

// Browsing modes: where a clicked bookmark opens.
inline constexpr int kBrowseFrame = 1;      // in the right frame
inline constexpr int kBrowseFullWindow = 2; // replaces the whole browser window
inline constexpr int kBrowseNewWindow = 3;  // in a new browser window

// Which folders get a page of their own.
enum class FolderMode {
    Top, // each top-level folder, with the links of the folders inside it
    All, // every folder, the root included, that holds links of its own
};

// How the left frame's width is given.
inline constexpr int kSizePercent = 1;
inline constexpr int kSizePixels = 2;
// The left frame's widths until the user chooses others.
inline constexpr int kDefaultLeftPercent = 25;
inline constexpr int kDefaultLeftPixels = 140;

// The user's choices, alive from start to exit. The main window fills it,
// the parameter file saves and restores it, the generation run reads it and
// writes back the normalised widths and the target attribute.
struct MainState {
    std::string sourcePath; // full path of the export file
    std::string sourceDir;  // where the last source pick ended, with separator
    std::string sourceName; // file name of the last source pick
    std::string destDir;    // destination directory, with separator once chosen

    FolderMode folderMode = FolderMode::Top;
    int browseMode = kBrowseFrame;
    int sizeMode = kSizePercent;
    int leftPercent = kDefaultLeftPercent;
    int leftPixels = kDefaultLeftPixels;

    // Window position in twips. Kept 32-bit so that a window on a second
    // monitor or a large screen survives a save.
    std::int32_t mainTop = 0;
    std::int32_t mainLeft = 0;

    // The two width fields' texts as typed; the run normalises them.
    std::string procText = std::to_string(kDefaultLeftPercent);
    std::string pixelText = std::to_string(kDefaultLeftPixels);

    // Set by every generation run that passes the confirmation.
    std::string targetAttr;
};

} // namespace harrowdeck
