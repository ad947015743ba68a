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
    return std::string("Copyright ") + version::kLegalCopyright + " ";
}

int AboutWidening(int widestText, int labelWidth, int margin)
{
    return std::max(0, widestText + margin - labelWidth);
}

} // namespace harrowdeck
