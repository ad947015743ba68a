// SPDX-License-Identifier: GPL-3.0-or-later
// Which encoding a set's pages name, from the export's head or, when it
// declares nothing, from its bytes.
#include "ExportEncoding.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace harrowdeck {
namespace {

const std::string kHeader = "<!DOCTYPE FIRSTFLOOR>\r\n";
const std::string kList = "<DL><p>\r\n<DT><H3>F</H3>\r\n<DL><p>\r\n";

struct CharsetCase {
    const char* what;
    std::string exportText;
    std::optional<std::string> fromHead; // nothing: the head leaves it open
    std::string charset;                 // what the pages name in the end
};

TEST(PageCharset, FollowsTheDeclarationTheMarkOrTheBytes)
{
    const std::string latin1Link = "<DT><A HREF=\"x\">Caf\xE9</A>\r\n";
    const std::string utf8Link = "<DT><A HREF=\"x\">Caf\xC3\xA9</A>\r\n";
    const CharsetCase cases[] = {
        {"declared 8-bit, as spelled",
         kHeader + "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Windows-1251\">\r\n" + kList +
             latin1Link,
         "Windows-1251", "Windows-1251"},
        {"declared UTF-8 names nothing", kHeader + "<meta charset='utf-8'>\r\n" + kList + utf8Link, "", ""},
        {"declared UTF-16 is read as UTF-8", kHeader + "<META CONTENT=\"text/html; charset=UTF-16\">\r\n" + kList, "",
         ""},
        {"unknown label is passed over",
         kHeader + "<META charset=\"klingon\">\r\n<META charset=\"koi8-r\">\r\n" + kList, "koi8-r", "koi8-r"},
        {"declaration on the header's line", "<!DOCTYPE FIRSTFLOOR><META charset=latin1>\r\n" + kList, "latin1",
         "latin1"},
        {"declaration after the list starts is not the head's",
         kHeader + kList + "<META charset=\"koi8-r\">\r\n" + latin1Link, std::nullopt, "windows-1252"},
        {"byte-order mark wins over a declaration",
         "\xEF\xBB\xBF" + kHeader + "<META charset=\"windows-1252\">\r\n" + kList, "", ""},
        {"undeclared pure ASCII is UTF-8", kHeader + kList + "<DT><A HREF=\"x\">Cafe</A>\r\n", std::nullopt, ""},
        {"undeclared valid UTF-8", kHeader + kList + utf8Link, std::nullopt, ""},
        {"undeclared Latin-1", kHeader + kList + latin1Link, std::nullopt, "windows-1252"},
        {"a sequence cut off at the end", kHeader + kList + "\xC3", std::nullopt, "windows-1252"},
        {"an overlong form", kHeader + kList + "\xC0\xAF", std::nullopt, "windows-1252"},
        {"a surrogate", kHeader + kList + "\xED\xA0\x80", std::nullopt, "windows-1252"},
        {"past U+10FFFF", kHeader + kList + "\xF4\x90\x80\x80", std::nullopt, "windows-1252"},
        {"four-byte sequence", kHeader + kList + "\xF0\x9F\x93\x9A", std::nullopt, ""},
        {"empty export", "", std::nullopt, ""},
    };
    for (const CharsetCase& test : cases) {
        SCOPED_TRACE(test.what);
        MemorySource head(test.exportText);
        IoResult<std::optional<std::string>> fromHead = CharsetFromHead(head);
        ASSERT_TRUE(fromHead);
        EXPECT_EQ(*fromHead, test.fromHead);
        MemorySource whole(test.exportText);
        IoResult<std::string> fromContent = CharsetFromContent(whole);
        ASSERT_TRUE(fromContent);
        EXPECT_EQ(fromHead->value_or(*fromContent), test.charset);
    }
}

TEST(Utf8Check, ASequenceSplitBetweenBuffersIsStillValid)
{
    const std::string text = "abcdefgh\xE2\x82\xAC"
                             "abcdefghij\xF0\x9F\x93\x9A";
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        Utf8Check check;
        check.Feed(std::string_view(text).substr(0, cut));
        check.Feed(std::string_view(text).substr(cut));
        EXPECT_TRUE(check.Valid()) << cut;
    }
}

} // namespace
} // namespace harrowdeck
