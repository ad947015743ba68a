// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Win32Form.h"

namespace harrowdeck::win32 {

// The keys of a window with controls: Tab and the arrow keys move the
// focus, Enter presses a focused push button (in any window, not only a
// dialog's default one), Escape becomes IDCANCEL. True when the message was
// used up. A field that wants Enter (DLGC_WANTALLKEYS) gets it as a key.
[[nodiscard]] bool WindowKey(HWND window, MSG& message);

// Shows window modally over owner: owner takes no input until window is
// Done(). A WM_QUIT met meanwhile is put back for the outer loop. The
// window is left hidden, for its owner to read and destroy.
void RunModal(HWND owner, FormWindow& window, HWND focus = nullptr);

// The top-level window that keys go to at the moment: the innermost modal
// window, or the main one.
void SetKeyWindow(HWND window);
[[nodiscard]] HWND KeyWindow();

// Handles every message that is waiting, then returns; false when a
// WM_QUIT came (it is put back).
bool PumpPending();

} // namespace harrowdeck::win32
