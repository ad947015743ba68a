// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace harrowdeck {

// The caption of every message box the program shows.
inline constexpr const char* kProgramCaption = "Harrowdeck";

// A modal message box: a question with Yes and No, Yes the default button,
// or a message with OK alone; no icon, or the exclamation icon.
struct MessageBoxRequest {
    std::string caption = kProgramCaption;
    std::string text;
    bool yesNo = false;
    bool exclamation = false;
};

} // namespace harrowdeck
