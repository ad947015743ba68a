// SPDX-License-Identifier: GPL-3.0-or-later
#include "RandomExport.h"

#include "PageModel.h"

#include <array>
#include <string_view>

namespace harrowdeck::test {

namespace {

constexpr int kMaxDepth = 3;

class Builder {
public:
    Builder(std::mt19937& random, const std::string& targetAttr) : random_(random), targetAttr_(targetAttr)
    {
        lineEnds_ = Pick(4);
        indentStyle_ = Pick(4);
    }

    RandomExport Build()
    {
        result_.bytes = Pick(2) == 0 ? "<!DOCTYPE FIRSTFLOOR>\n" : "<!DOCTYPE FIRSTFLOOR-Bookmark-file-1>\r\n";
        Line("<!-- This is an automatically generated file. -->", 0);
        Line("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">", 0);
        Line("<TITLE>Bookmarks</TITLE>", 0);
        Line("<H1>Bookmarks</H1>", 0);
        Line("<DL><p>", 0);
        const int folders = Pick(9);
        const bool openAtEnd = folders > 0 && Pick(6) == 0;
        for (int i = 0; i < folders; ++i) {
            BetweenFolders();
            RandomExport::Page page;
            page.name = Text(kNameChars, 12);
            Line("<DT><H3" + FolderAttributes() + ">" + page.name + "</H3>", 1);
            FolderBody(1, page, /*closed=*/!(openAtEnd && i == folders - 1));
            if (!page.links.empty()) {
                result_.pages.push_back(std::move(page));
            }
        }
        if (!openAtEnd) {
            BetweenFolders();
            Line("</DL><p>", 0);
        }
        if (!result_.bytes.empty() && Pick(4) == 0) {
            // The last line without its terminator.
            while (!result_.bytes.empty() && (result_.bytes.back() == '\n' || result_.bytes.back() == '\r')) {
                result_.bytes.pop_back();
            }
        }
        return std::move(result_);
    }

private:
    // Characters of names, addresses and texts; none of them ends a line.
    static constexpr char kNameChars[] = "abcXYZ019 &;'\"/\\.=%\0\xe9\xc3\xa5";
    static constexpr char kAddressChars[] = "abcxyz0189:/.?&=#%< >\0\xe9~-_";
    static constexpr char kTextChars[] = "abcXYZ 019&;<>\"/=\0\xe9\xe4\t";

    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

    template <std::size_t N>
    std::string Text(const char (&alphabet)[N], int maxLength)
    {
        const std::string_view chars(alphabet, N - 1);
        std::string text;
        for (int n = Pick(maxLength + 1); n > 0; --n) {
            text.push_back(chars[static_cast<std::size_t>(Pick(static_cast<int>(chars.size())))]);
        }
        return text;
    }

    std::string Indent(int depth)
    {
        switch (indentStyle_) {
        case 0:
            return {};
        case 1:
            return std::string(static_cast<std::size_t>(4 * depth), ' ');
        case 2:
            return std::string(static_cast<std::size_t>(depth), '\t');
        default: {
            std::string indent;
            for (int n = Pick(4) + depth; n > 0; --n) {
                indent.push_back(Pick(2) == 0 ? ' ' : '\t');
            }
            return indent;
        }
        }
    }

    void Line(const std::string& text, int depth)
    {
        static constexpr std::array<const char*, 3> kEnds = {"\n", "\r\n", "\r"};
        result_.bytes += Indent(depth) + text;
        result_.bytes += kEnds[static_cast<std::size_t>(lineEnds_ < 3 ? lineEnds_ : Pick(3))];
    }

    std::string FolderAttributes()
    {
        static constexpr std::array<const char*, 4> kAttributes = {"", " ADD_DATE=\"1700000000\"",
                                                                   " ADD_DATE=\"1\" LAST_MODIFIED=\"2\"",
                                                                   " FOLDED PERSONAL_TOOLBAR_FOLDER=\"true\""};
        return kAttributes[static_cast<std::size_t>(Pick(4))];
    }

    std::string LinkAttributes()
    {
        static constexpr std::array<const char*, 4> kAttributes = {
            "", " ADD_DATE=\"1700000000\" LAST_VISIT=\"1700000001\"", " ICON=\"data:image/png;base64,iVBO=\"",
            " TAGS=\"a,b\" SHORTCUTURL=\"q\""};
        return kAttributes[static_cast<std::size_t>(Pick(4))];
    }

    // A link line; returns what the run makes of it. Inside a folder its text
    // may hold the other marks, since a link line is known by its own first.
    std::string Link(int depth, bool inFolder = true)
    {
        const std::string address = Text(kAddressChars, 30);
        const std::string text = Text(kTextChars, 20) + (inFolder && Pick(8) == 0 ? "</H3> A HREF= </DL><p>" : "");
        Line("<DT><A HREF=\"" + address + "\"" + LinkAttributes() + ">" + text + "</A>", depth);
        // A link without text shows its address.
        const bool blank = text.find_first_not_of(" \t") == std::string::npos;
        const std::string shown = blank && !address.empty() ? address : text;
        result_.cuttableLinks.push_back("<A HREF=\"" + address + "\"" + targetAttr_ + ">" + shown + "</A><BR>");
        return result_.cuttableLinks.back();
    }

    // A link line that cannot be cut: no closing quote, or no ">" after it.
    void UncuttableLink(int depth)
    {
        if (Pick(2) == 0) {
            Line("<DT><A HREF=noquote.htm>text</A>", depth);
        } else {
            Line("<DT><A HREF=\"cut.htm\" ADD_DATE=\"1", depth);
        }
    }

    // A line that is none of folder, folder end or link.
    void Stray(int depth)
    {
        static constexpr std::array<const char*, 8> kStray = {
            "<DL><p>", "<HR>", "", "</dl><p>", "</DL><p> ", "<DD>A description &amp; more", "<p>", "</DL>"};
        Line(kStray[static_cast<std::size_t>(Pick(8))], depth);
    }

    void BetweenFolders()
    {
        for (int n = Pick(3); n > 0; --n) {
            switch (Pick(5)) {
            case 0:
                (void)Link(1, false); // outside any folder: left out, and said so
                ++result_.leftOutLinks;
                break;
            case 1:
                UncuttableLink(1); // a link line all the same, left out
                ++result_.leftOutLinks;
                break;
            case 2:
                // A heading that cannot be cut: counted, no folder.
                Line(Pick(2) == 0 ? "<DT></H3>" : "<DT>No opening tag</H3>", 1);
                ++result_.skippedLines;
                break;
            case 3:
                Line("</DL><p>", 0);
                break;
            default:
                Stray(1);
                break;
            }
        }
    }

    // Everything after a folder line. Inner folders add their links to page.
    void FolderBody(int depth, RandomExport::Page& page, bool closed)
    {
        Line("<DL><p>", depth);
        for (int n = Pick(8); n > 0; --n) {
            const int kind = Pick(20);
            if (kind < 12) {
                page.links.push_back(Link(depth + 1));
            } else if (kind < 14 && depth < kMaxDepth) {
                Line("<DT><H3" + FolderAttributes() + ">" + Text(kNameChars, 8) + "</H3>", depth + 1);
                FolderBody(depth + 1, page, true);
            } else if (kind < 16) {
                UncuttableLink(depth + 1);
                ++result_.skippedLines;
            } else if (kind == 16 && depth == 1 && Pick(3) == 0) {
                DeepChain(depth, page, 8 + Pick(4));
            } else {
                Stray(depth + 1);
            }
        }
        if (closed) {
            Line("</DL><p>", depth);
        }
    }

    // Folders nested `levels` deep inside the one at depth, deeper than an
    // index indents, with a link in the innermost and a few on the way.
    void DeepChain(int depth, RandomExport::Page& page, int levels)
    {
        Line("<DT><H3>" + Text(kNameChars, 6) + "</H3>", depth + 1);
        Line("<DL><p>", depth + 1);
        if (levels == 1 || Pick(4) == 0) {
            page.links.push_back(Link(depth + 2));
        }
        if (levels > 1) {
            DeepChain(depth + 1, page, levels - 1);
        }
        if (Pick(4) == 0) {
            page.links.push_back(Link(depth + 2));
        }
        Line("</DL><p>", depth + 1);
    }

    std::mt19937& random_;
    const std::string& targetAttr_;
    int lineEnds_ = 0;
    int indentStyle_ = 0;
    RandomExport result_;
};

} // namespace

RandomExport MakeRandomExport(std::mt19937& random, const std::string& targetAttr)
{
    return Builder(random, targetAttr).Build();
}

std::string ExpectedLinkPage(const RandomExport::Page& page)
{
    // The export declares UTF-8, so the page names no encoding.
    return LinkPageBytes(page.name, page.links);
}

void Mutate(std::string& bytes, std::mt19937& random)
{
    static constexpr char kInterestingChars[] = "\r\n\"<>/\0 \t";
    const std::string_view interesting(kInterestingChars, sizeof kInterestingChars - 1);
    auto pick = [&random](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    for (std::size_t n = pick(8) + 1; n > 0; --n) {
        const char c = pick(3) == 0 ? static_cast<char>(pick(256)) : interesting[pick(interesting.size())];
        const std::size_t at = pick(bytes.size() + 1);
        switch (pick(3)) {
        case 0:
            bytes.insert(at, 1, c);
            break;
        case 1:
            if (at < bytes.size()) {
                bytes[at] = c;
            }
            break;
        default:
            if (at < bytes.size()) {
                bytes.erase(at, pick(16) + 1);
            }
            break;
        }
    }
}

} // namespace harrowdeck::test
