// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConsoleReport.h"

#include <cstdio>

namespace harrowdeck {

void ReportOnConsole(const std::string& text)
{
    std::fprintf(stderr, "harrowdeck: %s\n", text.c_str());
}

} // namespace harrowdeck
