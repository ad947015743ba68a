// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConsoleUi.h"

#include "Interruption.h"

namespace harrowdeck {

bool ConsoleUi::AskYesNo(const std::string& /*prompt*/)
{
    return true;
}

void ConsoleUi::ShowMessage(const std::string& text, Icon /*icon*/)
{
    messages_.push_back(text);
}

bool ConsoleUi::ReportProgress(Stage /*stage*/, std::uint64_t /*done*/, std::uint64_t /*total*/)
{
    return InterruptingSignal() == nullptr;
}

} // namespace harrowdeck
