// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutText.h"

#include "Version.h"

#include <algorithm>

namespace harrowdeck {

std::string AppTitle()
{
    return version::kProductName;
}

std::string CopyrightLine()
{
    return CopyrightLine(version::kLegalCopyright);
}

std::string CopyrightLine(std::string_view legalCopyright)
{
    return "Copyright " + std::string(legalCopyright) + " ";
}

AboutLines AboutLinesFrom(const VersionEntries& entries)
{
    return {entries.productName.value_or(AppTitle()),
            entries.legalCopyright ? CopyrightLine(*entries.legalCopyright) : CopyrightLine()};
}

int AboutWidening(int widestText, int labelWidth, int margin)
{
    return std::max(0, widestText + margin - labelWidth);
}

} // namespace harrowdeck
