// SPDX-License-Identifier: GPL-3.0-or-later
#include "Messages.h"

namespace harrowdeck::messages {

std::string CouldNotWrite(const std::string& path, const std::string& reason)
{
    return "Could not write " + path + ": " + reason;
}

std::string CouldNotRead(const std::string& path, const std::string& reason)
{
    return "Could not read " + path + ": " + reason;
}

std::string OutOfMemory(const std::string& sourcePath)
{
    return "Could not convert " + sourcePath + ": out of memory";
}

std::string DestinationBusy(const std::string& destDir)
{
    return "Another Harrowdeck run is writing into " + destDir;
}

std::string LeftOutLinks(std::uint64_t count)
{
    if (count == 1) {
        return "1 link outside any folder was left out";
    }
    return std::to_string(count) + " links outside any folder were left out";
}

std::string NothingToWrite(std::uint64_t leftOutLinks, const std::string& leftOutRemedy)
{
    std::string text = kNothingToWrite;
    if (leftOutLinks > 0) {
        text += "\n" + leftOutRemedy;
    }
    return text;
}

std::string Completion(std::uint64_t skippedLines, std::uint64_t leftOutLinks, const std::string& keepHint)
{
    std::string text = kDone;
    if (skippedLines == 1) {
        text += "\n1 line could not be read and was left out.";
    } else if (skippedLines > 1) {
        text += "\n" + std::to_string(skippedLines) + " lines could not be read and were left out.";
    }
    if (leftOutLinks > 0) {
        text += "\n" + LeftOutLinks(leftOutLinks) + ".";
        if (!keepHint.empty()) {
            text += " " + keepHint;
        }
    }
    return text;
}

} // namespace harrowdeck::messages
