// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a synthetic, indented and nested bookmark export for benchmarks:
//   make-export FILE [FOLDERS [LINKS_PER_FOLDER]]
// Every fifth folder holds a nested folder, as real exports do, and the link
// lines carry the attributes a real export has, so that the lines are of a
// realistic length.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

namespace {

void WriteLink(std::ofstream& out, const std::string& indent, long folder, long link)
{
    out << indent << "<DT><A HREF=\"https://www.example.org/section-" << folder << "/article-" << link
        << "/index.html?ref=bookmarks&amp;utm=bench\" ADD_DATE=\"1700000000\" LAST_VISIT=\"1700100000\" "
           "LAST_MODIFIED=\"1700200000\">Article "
        << link << " of folder " << folder << "</A>\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: make-export FILE [FOLDERS [LINKS_PER_FOLDER]]\n";
        return 2;
    }
    const long folders = argc > 2 ? std::atol(argv[2]) : 20000;
    const long links = argc > 3 ? std::atol(argv[3]) : 50;
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << "<!DOCTYPE FIRSTFLOOR-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";
    for (long folder = 1; folder <= folders; ++folder) {
        out << "    <DT><H3 ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000001\">Folder " << folder << "</H3>\n";
        out << "    <DL><p>\n";
        const bool nested = folder % 5 == 0;
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
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
