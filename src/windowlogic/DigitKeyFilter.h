// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace harrowdeck {

inline constexpr int kKeyEnter = 13;

// The width fields take digits and control codes (Backspace, Enter, the
// clipboard keys) only: any other printable character code becomes 0, which
// discards the key.
[[nodiscard]] constexpr int DigitKeyFilter(int keyAscii)
{
    if (keyAscii > 31 && (keyAscii < '0' || keyAscii > '9')) {
        return 0;
    }
    return keyAscii;
}

} // namespace harrowdeck
