// SPDX-License-Identifier: GPL-3.0-or-later
#include "WidthField.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace harrowdeck {

namespace {

struct FieldRange {
    const char* emptyText;
    int minimum;
    int maximum;
};

FieldRange RangeOf(WidthField field)
{
    if (field == WidthField::Percent) {
        return {"10", 10, 80};
    }
    return {"20", 20, std::numeric_limits<std::int16_t>::max()};
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t CountDigits(std::string_view text, std::size_t from)
{
    std::size_t end = from;
    while (end < text.size() && IsDigit(text[end])) {
        ++end;
    }
    return end - from;
}

// The number the text begins with, as a desktop BASIC's Val reads it: blanks
// skipped, an optional sign, digits with an optional fraction and exponent.
// 0 when the text begins with no number; infinite when it is too large.
double LeadingNumber(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return 0;
    }
    text.remove_prefix(first);

    double sign = 1;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        sign = text.front() == '-' ? -1 : 1;
        text.remove_prefix(1);
    }

    std::string number;
    std::size_t at = CountDigits(text, 0);
    number.append(text.substr(0, at));
    if (at < text.size() && text[at] == '.') {
        const std::size_t fraction = CountDigits(text, at + 1);
        number.append(text.substr(at, fraction + 1));
        at += fraction + 1;
    }
    if (number.empty() || number == ".") {
        return 0;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E' || text[at] == 'd' || text[at] == 'D')) {
        std::size_t exponentAt = at + 1;
        if (exponentAt < text.size() && (text[exponentAt] == '+' || text[exponentAt] == '-')) {
            ++exponentAt;
        }
        const std::size_t exponentDigits = CountDigits(text, exponentAt);
        if (exponentDigits > 0) {
            number.push_back('e');
            number.append(text.substr(at + 1, exponentAt - at - 1 + exponentDigits));
        }
    }

    double value = 0;
    const std::errc error = std::from_chars(number.data(), number.data() + number.size(), value).ec;
    if (error == std::errc::result_out_of_range) {
        // Too large or too small for a double: only the direction matters.
        const bool tiny = number.find("e-") != std::string::npos;
        value = tiny ? 0 : std::numeric_limits<double>::infinity();
    }
    return sign * value;
}

} // namespace

int NormaliseWidth(std::string_view text, WidthField field)
{
    const FieldRange range = RangeOf(field);
    if (text.empty()) {
        text = range.emptyText;
    }
    // Half to even, as the fields always rounded; then into 16 bits, which a
    // pasted exponent could otherwise overflow.
    const double rounded = std::nearbyint(LeadingNumber(text));
    const double in16 = std::clamp(rounded, double{std::numeric_limits<std::int16_t>::min()},
                                   double{std::numeric_limits<std::int16_t>::max()});
    return std::clamp(static_cast<int>(in16), range.minimum, range.maximum);
}

std::string WidthText(int value)
{
    return std::to_string(value);
}

} // namespace harrowdeck
