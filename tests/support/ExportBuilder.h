// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>

namespace harrowdeck::test {

// The ways a test builds an export; each gives the body after the header.
inline constexpr const char* kHeaderLine = "<!DOCTYPE FIRSTFLOOR>\n";

// `count` folders of one link each, named prefix1, prefix2, ...
inline std::string Folders(int count, const std::string& prefix = "F")
{
    std::string body;
    for (int i = 1; i <= count; ++i) {
        body += "<DT><H3>" + prefix + std::to_string(i) + "</H3>\n<DL><p>\n<DT><A HREF=\"" + prefix +
                std::to_string(i) + ".htm\">L</A>\n</DL><p>\n";
    }
    return body;
}

// One folder with `count` links whose lines are about `width` bytes long.
inline std::string BigFolder(const std::string& name, int count, std::size_t width = 40)
{
    std::string body = "<DT><H3>" + name + "</H3>\n<DL><p>\n";
    const std::string padding(width > 30 ? width - 30 : 0, 'x');
    for (int i = 0; i < count; ++i) {
        body += "<DT><A HREF=\"" + std::to_string(i) + padding + "\">L</A>\n";
    }
    return body + "</DL><p>\n";
}

// `folders` folders of `links` links each, lines about `width` bytes long:
// an export large enough for many progress reports.
inline std::string BigFolders(int folders, int links, std::size_t width = 60, const std::string& prefix = "F")
{
    std::string body;
    for (int i = 1; i <= folders; ++i) {
        body += BigFolder(prefix + std::to_string(i), links, width);
    }
    return body;
}

} // namespace harrowdeck::test
