// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConsoleReport.h"

#include <cstdio>

namespace harrowdeck {

void ReportOnConsole(std::string_view text) noexcept
{
    std::fprintf(stderr, "harrowdeck: %.*s\n", static_cast<int>(text.size()), text.data());
}

} // namespace harrowdeck
