// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConsoleUi.h"

namespace harrowdeck {

bool ConsoleUi::AskYesNo(const std::string& prompt)
{
    (void)prompt;
    return true;
}

void ConsoleUi::ShowMessage(const std::string& text, Icon icon)
{
    (void)icon;
    messages_.push_back(text);
}

} // namespace harrowdeck
