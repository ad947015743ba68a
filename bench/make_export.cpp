// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a synthetic, indented and nested bookmark export for benchmarks:
//   make-export [--nest-every N] [--undeclared] FILE [FOLDERS [LINKS_PER_FOLDER]]
// Every Nth folder holds a nested folder (every fifth by default, as real
// exports do; 1 nests one in each folder, 0 in none), and the link lines
// carry the attributes a real export has, so that the lines are of a
// realistic length. The export declares UTF-8, as browsers write them;
// --undeclared leaves the declaration out, as older browsers did, so that
// its encoding is found by reading it once more.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

namespace {

constexpr const char* kUsage = "usage: make-export [--nest-every N] [--undeclared] FILE [FOLDERS [LINKS_PER_FOLDER]]\n";

void WriteLink(std::ofstream& out, const std::string& indent, long folder, long link)
{
    out << indent << "<DT><A HREF=\"https://www.example.org/section-" << folder << "/article-" << link
        << "/index.html?ref=bookmarks&amp;utm=bench\" ADD_DATE=\"1700000000\" LAST_VISIT=\"1700100000\" "
           "LAST_MODIFIED=\"1700200000\">Article "
        << link << " of folder " << folder << "</A>\n";
}

// A count from the command line: digits only, so that a typo is not read as 0.
bool ParseCount(const char* text, long& value)
{
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return *text != '\0' && *end == '\0' && value >= 0;
}

} // namespace

int main(int argc, char** argv)
{
    long nestEvery = 5;
    bool declared = true;
    int first = 1;
    for (;;) {
        if (argc > first + 1 && std::strcmp(argv[first], "--nest-every") == 0) {
            if (!ParseCount(argv[first + 1], nestEvery)) {
                std::cerr << kUsage;
                return 2;
            }
            first += 2;
        } else if (argc > first && std::strcmp(argv[first], "--undeclared") == 0) {
            declared = false;
            ++first;
        } else {
            break;
        }
    }
    long folders = 20000;
    long links = 50;
    if (argc <= first || (argc > first + 1 && !ParseCount(argv[first + 1], folders)) ||
        (argc > first + 2 && !ParseCount(argv[first + 2], links))) {
        std::cerr << kUsage;
        return 2;
    }
    std::ofstream out(argv[first], std::ios::binary | std::ios::trunc);
    out << "<!DOCTYPE FIRSTFLOOR-Bookmark-file-1>\n";
    if (declared) {
        out << "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n";
    }
    out << "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";
    for (long folder = 1; folder <= folders; ++folder) {
        out << "    <DT><H3 ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000001\">Folder " << folder << "</H3>\n";
        out << "    <DL><p>\n";
        const bool nested = nestEvery > 0 && folder % nestEvery == 0;
        for (long link = 1; link <= links; ++link) {
            if (nested && link == links / 2) {
                out << "        <DT><H3>Inner " << folder << "</H3>\n        <DL><p>\n";
            }
            WriteLink(out, nested && link >= links / 2 ? "            " : "        ", folder, link);
            if (nested && link == links / 2 + 2) {
                out << "        </DL><p>\n";
            }
        }
        out << "    </DL><p>\n";
    }
    out << "</DL><p>\n";
    out.close();
    if (!out) {
        std::perror(argv[first]);
        return 1;
    }
    return 0;
}
