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

std::string Completion(std::size_t skippedLines)
{
    std::string text = kDone;
    if (skippedLines == 1) {
        text += "\n1 line could not be read and was left out.";
    } else if (skippedLines > 1) {
        text += "\n" + std::to_string(skippedLines) + " lines could not be read and were left out.";
    }
    return text;
}

} // namespace harrowdeck::messages
