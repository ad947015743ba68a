// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/WideText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace harrowdeck::windows {
namespace {

// Every name Windows can hold comes back from UTF-8 as it was, and what
// UTF-8 makes of it is the standard form where there is one.
TEST(WideText, NamesGoToUtf8AndBackUnchanged)
{
    const struct {
        const char* what;
        std::wstring wide;
        std::string utf8;
    } cases[] = {
        {"plain", L"C:\\Bookmarks\\export.htm", "C:\\Bookmarks\\export.htm"},
        {"Swedish letters", L"M\u00e5l \u00e4 \u00f6 \u00c5", "M\xc3\xa5l \xc3\xa4 \xc3\xb6 \xc3\x85"},
        {"three bytes", L"\u20ac", "\xe2\x82\xac"},
        {"a pair of surrogates", L"\U0001F600", "\xf0\x9f\x98\x80"},
        {"a lone high surrogate", std::wstring(1, wchar_t(0xD83D)) + L"x", "\xed\xa0\xbdx"},
        {"a lone low surrogate", std::wstring(1, wchar_t(0xDE00)), "\xed\xb8\x80"},
        {"a pair the wrong way round", std::wstring{wchar_t(0xDE00), wchar_t(0xD83D)}, "\xed\xb8\x80\xed\xa0\xbd"},
        {"nothing", L"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ToUtf8(c.wide), c.utf8);
        EXPECT_EQ(ToWide(c.utf8), std::optional<std::wstring>(c.wide));
    }
}

// A path that is not UTF-8 is refused rather than changed into another
// name; shown, each faulty byte becomes U+FFFD and the rest stays.
TEST(WideText, BytesThatAreNotUtf8AreRefusedForPathsAndReplacedForShowing)
{
    const struct {
        const char* what;
        std::string bytes;
        std::wstring shown;
    } cases[] = {
        {"a stray continuation byte", "a\x80z", L"a\uFFFDz"},
        {"an overlong slash", "\xc0\xaf", L"\uFFFD\uFFFD"},
        {"an overlong three-byte form", "\xe0\x80\xaf", L"\uFFFD\uFFFD\uFFFD"},
        {"past U+10FFFF", "\xf4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"a lead that no character has", "\xff", L"\uFFFD"},
        {"a character cut short", "\xc3", L"\uFFFD"},
        {"a character cut short before the next", "\xe2\x82z", L"\uFFFD\uFFFDz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ToWide(c.bytes), std::nullopt);
        std::wstring shown;
        AppendWideForDisplay(c.bytes, shown);
        EXPECT_EQ(shown, c.shown);
    }
}

TEST(WideText, OnlyACharacterStillUnderWayIsHeldBack)
{
    const struct {
        std::string bytes;
        std::size_t complete;
    } cases[] = {
        {"", 0},
        {"abc", 3},
        {"a\xc3", 1},
        {"a\xc3\xa5", 3},
        {"\xe2\x82", 0},
        {"\xe2\x82\xac", 3},
        {"x\xf0\x9f\x98", 1},
        {"\xf0\x9f\x98\x80", 4},
        {"a\xff", 2},        // not the start of any character: shown at once
        {"\x80\x80\x80", 3}, // continuations without a lead: the same
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompleteUtf8Length(c.bytes), c.complete) << testing::PrintToString(c.bytes);
    }
}

} // namespace
} // namespace harrowdeck::windows
