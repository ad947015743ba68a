// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace harrowdeck {

inline constexpr int kChooserOpen = 1;
inline constexpr int kChooserSave = 2;
// The file-dialog flag that hides the read-only check box.
inline constexpr std::int32_t kChooserHideReadOnly = 4;

// The variables through which the main window talks to both choosers. One
// instance lives in the application from start to exit; what persists from
// one pick to the next (the title, the last directory and name) lives here.
struct ChooserVars {
    std::string title;
    std::string filter; // "desc|pattern|desc|pattern", emptied by every file pick
    std::string result; // the chosen path; empty means nothing was chosen
    std::string dir;
    std::string file;
    int action = kChooserOpen;
    std::int32_t flags = 0;
};

} // namespace harrowdeck
