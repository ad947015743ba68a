// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace harrowdeck {

// The two left-frame width fields. The main window's Enter handling and the
// generation run bring them into range through the same rule.
enum class WidthField { Percent, Pixels };

// Reads the number the text begins with (leading blanks skipped, 0 when there
// is none; an empty text counts as the field's default "10" or "20"), rounds
// half to even, clamps to 16 bits and then to the field's range: 10..80 for
// percent, at least 20 for pixels.
[[nodiscard]] int NormaliseWidth(std::string_view text, WidthField field);

// The number as the fields show it: plain decimal digits.
[[nodiscard]] std::string WidthText(int value);

} // namespace harrowdeck
