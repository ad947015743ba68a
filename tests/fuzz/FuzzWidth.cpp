// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the normalisation of the two width fields: whatever is typed or
// pasted, the result lies in the field's range, survives being shown and read
// back, and a plain number gives exactly its clamped value.
#include "WidthField.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace harrowdeck;

[[noreturn]] void Fail(const char* what, std::string_view text)
{
    std::fprintf(stderr, "%s for \"%.*s\"\n", what, static_cast<int>(text.size()), text.data());
    std::abort();
}

bool PlainNumber(std::string_view text)
{
    return !text.empty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void Check(std::string_view text, WidthField field, int low, int high)
{
    const int value = NormaliseWidth(text, field);
    if (value < low || value > high) {
        Fail("out of range", text);
    }
    const std::string shown = WidthText(value);
    if (shown.empty() || shown[0] == '0' || !PlainNumber(shown)) {
        Fail("not shown as plain digits", text);
    }
    if (NormaliseWidth(shown, field) != value) {
        Fail("changes when read back", text);
    }
    if (PlainNumber(text) && value != std::clamp(std::min(std::atoi(std::string(text).c_str()), 32767), low, high)) {
        Fail("a plain number is not taken as it is", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Check(text, WidthField::Percent, 10, 80);
    Check(text, WidthField::Pixels, 20, 32767);
    return 0;
}
