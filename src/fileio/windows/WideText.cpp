// SPDX-License-Identifier: GPL-3.0-or-later
#include "WideText.h"

#include <cstdint>

namespace harrowdeck::windows {

namespace {

static_assert(sizeof(wchar_t) == 2, "Win32's wide characters are UTF-16 units");

constexpr char32_t kReplacement = 0xFFFD;

// The length of the sequence that lead begins, or 0 when it begins none.
std::size_t SequenceLength(unsigned char lead) noexcept
{
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

// The range the byte after lead must lie in, which rules out overlong
// forms and code points past U+10FFFF. Surrogates (ED A0..BF) are allowed.
bool SecondByteFits(unsigned char lead, unsigned char second) noexcept
{
    const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
    return second >= low && second <= high;
}

bool IsContinuation(unsigned char byte) noexcept
{
    return (byte & 0xC0) == 0x80;
}

// Decodes the character at text[at], setting its length; 0 when the bytes
// there are not one.
char32_t Decode(std::string_view text, std::size_t at, std::size_t& length) noexcept
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    length = SequenceLength(byte(0));
    if (length == 0 || at + length > text.size()) {
        length = 0;
        return 0;
    }
    if (length == 1) {
        return byte(0);
    }
    if (!SecondByteFits(byte(0), byte(1))) {
        length = 0;
        return 0;
    }
    char32_t code = byte(0) & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(byte(i))) {
            length = 0;
            return 0;
        }
        code = (code << 6) | (byte(i) & 0x3F);
    }
    return code;
}

void AppendUnit(char32_t code, std::wstring& out)
{
    if (code < 0x10000) {
        out.push_back(static_cast<wchar_t>(code));
        return;
    }
    code -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
}

// Decodes utf8 into out; a fault ends the decoding (false) or, when
// lenient, gives U+FFFD for the byte at fault.
bool Decode(std::string_view utf8, std::wstring& out, bool lenient)
{
    for (std::size_t at = 0; at < utf8.size();) {
        std::size_t length = 0;
        const char32_t code = Decode(utf8, at, length);
        if (length == 0) {
            if (!lenient) {
                return false;
            }
            AppendUnit(kReplacement, out);
            ++at;
            continue;
        }
        AppendUnit(code, out);
        at += length;
    }
    return true;
}

void AppendUtf8(char32_t code, std::string& out)
{
    const auto put = [&out](std::uint32_t byte) { out.push_back(static_cast<char>(byte)); };
    if (code < 0x80) {
        put(code);
    } else if (code < 0x800) {
        put(0xC0 | (code >> 6));
        put(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        put(0xE0 | (code >> 12));
        put(0x80 | ((code >> 6) & 0x3F));
        put(0x80 | (code & 0x3F));
    } else {
        put(0xF0 | (code >> 18));
        put(0x80 | ((code >> 12) & 0x3F));
        put(0x80 | ((code >> 6) & 0x3F));
        put(0x80 | (code & 0x3F));
    }
}

bool IsHighSurrogate(wchar_t unit) noexcept
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t unit) noexcept
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

bool AppendWide(std::string_view utf8, std::wstring& out)
{
    return Decode(utf8, out, false);
}

std::optional<std::wstring> ToWide(std::string_view utf8)
{
    std::wstring wide;
    wide.reserve(utf8.size());
    if (!AppendWide(utf8, wide)) {
        return std::nullopt;
    }
    return wide;
}

void AppendWideForDisplay(std::string_view utf8, std::wstring& out)
{
    (void)Decode(utf8, out, true);
}

std::string ToUtf8(std::wstring_view wide)
{
    std::string utf8;
    utf8.reserve(wide.size());
    for (std::size_t at = 0; at < wide.size(); ++at) {
        const wchar_t unit = wide[at];
        if (IsHighSurrogate(unit) && at + 1 < wide.size() && IsLowSurrogate(wide[at + 1])) {
            AppendUtf8(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(wide[at + 1]) - 0xDC00), utf8);
            ++at;
        } else {
            AppendUtf8(static_cast<char32_t>(unit), utf8);
        }
    }
    return utf8;
}

std::size_t CompleteUtf8Length(std::string_view bytes) noexcept
{
    // A character has at most four bytes: look for its lead among the last
    // three, as a complete one of four may end the text.
    const std::size_t size = bytes.size();
    for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if (IsContinuation(byte)) {
            continue;
        }
        const std::size_t length = SequenceLength(byte);
        return length > back ? size - back : size;
    }
    return size;
}

} // namespace harrowdeck::windows
