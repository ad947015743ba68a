// SPDX-License-Identifier: GPL-3.0-or-later
#include "CenterForm.h"

namespace harrowdeck {

void CenterForm(WindowRect& win, const WindowRect& over)
{
    win.left = over.left + (over.width - win.width) / 2;
    win.top = over.top + (over.height - win.height) / 2;
    // The top first: a caption above the screen cannot be grabbed again.
    if (win.top < 0) {
        win.top = 0;
    }
    if (win.left < 0) {
        win.left = 0;
    }
}

} // namespace harrowdeck
