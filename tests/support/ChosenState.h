// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MainState.h"

namespace harrowdeck::test {

// Main-window state whose every value differs from its default, so that a
// test of saving and loading shows whether each one made the trip. The
// destination holds a comma, which a naive list format would split.
[[nodiscard]] inline MainState ChosenState()
{
    MainState state;
    state.destDir = "/home/user/A, B/";
    state.sourcePath = "/home/user/export.htm";
    state.sourceDir = "/home/user/";
    state.sourceName = "export.htm";
    state.mainTop = 1500;
    state.mainLeft = -120;
    state.leftPercent = 33;
    state.leftPixels = 999;
    state.sizeMode = SizeMode::Pixels;
    state.browseMode = BrowseMode::NewWindow;
    state.folderMode = FolderMode::All;
    return state;
}

} // namespace harrowdeck::test
